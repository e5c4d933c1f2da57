#include "MapOverviewModel.h"

#include "text/TextCatalog.h"

#include <QColor>

namespace {

constexpr int Columns = MapOverview::ColumnCount;

} // namespace

MapOverviewModel::MapOverviewModel(const ModbusMap &map, const TextCatalog &catalog, QObject *parent)
    : QAbstractTableModel(parent)
    , m_map(map)
    , m_catalog(catalog)
    , m_all(MapOverview::rows(map))
{
    setFilter(-1, 0);
}

void MapOverviewModel::setFilter(int slave, int page)
{
    beginResetModel();
    m_slave = slave;
    m_page = page;
    m_shown.clear();
    m_shown.reserve(m_all.size());
    for (int i = 0; i < m_all.size(); ++i) {
        const OverviewRow &r = m_all.at(i);
        if ((slave < 0 || r.slave == slave) && (page == 0 || r.page == page))
            m_shown.append(i);
    }
    endResetModel();
}

int MapOverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int MapOverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant MapOverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown.size() || index.column() >= Columns)
        return {};
    if (role == Qt::TextAlignmentRole) {
        // Numbers to the right, words (page, ID, mnemonic) to the left.
        const int c = index.column();
        return c == 1 || c == 3 || c == 4 || c == MapOverview::NoteColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                          : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    }
    const OverviewRow &r = overviewRow(index.row());
    if (role == PastCountRole || role == Qt::ForegroundRole || role == Qt::ToolTipRole) {
        // A register past its slave's bytes stands out, and its hint says why.
        if (!MapOverview::pastCount(m_map, r))
            return role == PastCountRole ? QVariant(false) : QVariant();
        if (role == Qt::ForegroundRole)
            return QColor(176, 0, 0);
        return role == PastCountRole ? QVariant(true) : QVariant(m_catalog.text(1506));
    }
    if (role != Qt::DisplayRole)
        return {};
    const TMod_Reg &reg = m_map.registers(r.slave, r.page).at(r.position);
    switch (index.column()) {
    case 0:
        return MapOverview::addressText(reg);
    case 1:
        return MapOverview::pageName(r.page, m_catalog);
    case 2:
        return r.slave + 1;
    case 3:
        return m_map.slave(r.slave).ID;
    case 4:
        return m_map.slave(r.slave).Mnemonic;
    case 5:
        return MapOverview::partText(reg.HiPart, m_catalog);
    case 6:
        return MapOverview::partText(reg.LoPart, m_catalog);
    default:
        return MapOverview::pastCount(m_map, r) ? MapOverview::pastCountMark(m_catalog) : QString();
    }
}

QVariant MapOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= Columns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return MapOverview::columnCaption(section, m_catalog);
}
