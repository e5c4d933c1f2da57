#include "MonitorModel.h"

#include "text/TextCatalog.h"

#include <QBrush>
#include <QColor>

namespace {

constexpr int FirstHeaderText = 1568;

} // namespace

MonitorModel::MonitorModel(const MonitorTable &table, const TextCatalog &catalog, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_catalog(catalog)
{
    setFilter(-1, 0);
}

void MonitorModel::setFilter(int slave, int page)
{
    beginResetModel();
    m_shown.clear();
    const QVector<MonitorRow> &rows = m_table.rows();
    for (int i = 0; i < rows.size(); ++i) {
        const MonitorRow &r = rows.at(i);
        const bool shown = r.isState() ? slave < 0 && page == 0
                                       : (slave < 0 || r.slave == slave) && (page == 0 || r.page == page);
        if (shown)
            m_shown.append(i);
    }
    endResetModel();
}

void MonitorModel::setFunction(int function)
{
    m_function = function;
    refresh();
}

void MonitorModel::refresh()
{
    if (!m_shown.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_shown.size()) - 1, Columns - 1));
}

int MonitorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int MonitorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant MonitorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size() || index.column() >= Columns)
        return {};
    const MonitorRow &r = monitorRow(index.row());
    const int c = index.column();
    switch (role) {
    case Qt::TextAlignmentRole:
        return c == Page || c == Slave || c == High || c == Low || c == Error
                   ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                   : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (r.changed && c >= Hex && c <= LowValue)
            return QBrush(QColor(255, 236, 128));
        return {};
    case Qt::ForegroundRole:
        if (r.old && c >= Hex && c <= LowValue)
            return QBrush(QColor(Qt::gray));
        if (c == Error)
            return QBrush(QColor(176, 0, 0));
        return {};
    case Qt::DisplayRole:
        break;
    default:
        return {};
    }
    switch (c) {
    case Page:
        return MonitorTable::pageText(r, m_catalog);
    case Index:
        return r.address >= 0 ? QString::number(r.address) : QString();
    case Reference:
        return MonitorTable::referenceText(r, m_function);
    case Slave:
        return m_table.slaveText(r);
    case High:
        return r.isState() ? QString() : MonitorTable::partText(r.hiPart, m_catalog);
    case Low:
        return r.isState() ? QString() : MonitorTable::partText(r.loPart, m_catalog);
    case Hex:
        return MonitorTable::hexText(r);
    case Decimal:
        return MonitorTable::decimalText(r);
    case HighValue:
        return MonitorTable::byteValueText(r, true);
    case LowValue:
        return MonitorTable::byteValueText(r, false);
    default:
        return MonitorTable::errorText(r.error, m_catalog);
    }
}

QVariant MonitorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= Columns)
        return {};
    return m_catalog.text(FirstHeaderText + section);
}
