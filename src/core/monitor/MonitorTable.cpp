#include "MonitorTable.h"

#include "ModbusFrame.h"
#include "documents/MapOverview.h"
#include "text/TextCatalog.h"

#include <algorithm>

void MonitorTable::build(const ModbusMap &map, int stateRegister)
{
    m_map = map;
    m_rows.clear();
    if (stateRegister >= 0 && stateRegister <= ModbusMap::MaxIndex) {
        MonitorRow state;
        state.page = StatePage;
        state.address = stateRegister;
        m_rows.append(state);
    }
    for (const OverviewRow &o : MapOverview::rows(map)) {
        const TMod_Reg &reg = map.registers(o.slave, o.page).at(o.position);
        MonitorRow row;
        row.page = o.page;
        row.slave = o.slave;
        row.address = o.address;
        row.hiPart = reg.HiPart;
        row.loPart = reg.LoPart;
        if (row.address < 0)
            row.error.kind = MonitorError::NoRegister;
        m_rows.append(row);
    }
    m_byAddress.clear();
    for (int r = 0; r < m_rows.size(); ++r) {
        if (m_rows.at(r).address >= 0)
            m_byAddress.append({m_rows.at(r).address, r});
    }
    std::sort(m_byAddress.begin(), m_byAddress.end());
    m_touched = QVector<bool>(m_rows.size(), false);
}

QVector<int> MonitorTable::addresses() const
{
    QVector<int> all;
    all.reserve(m_byAddress.size());
    for (const auto &entry : m_byAddress) {
        if (all.isEmpty() || all.last() != entry.first)
            all.append(entry.first);
    }
    return all;
}

template <typename F> void MonitorTable::forRange(const ReadRange &range, F f)
{
    auto it = std::lower_bound(m_byAddress.begin(), m_byAddress.end(), qMakePair(range.start, -1));
    for (; it != m_byAddress.end() && it->first <= range.last(); ++it) {
        f(m_rows[it->second], it->first);
        m_touched[it->second] = true;
    }
}

void MonitorTable::applyValues(int start, const QVector<quint16> &values)
{
    forRange({start, int(values.size())}, [&](MonitorRow &row, int address) {
        const quint16 value = values.at(address - start);
        row.changed = row.hasValue && row.value != value;
        row.hasValue = true;
        row.value = value;
        row.old = false;
        row.error = {};
    });
}

void MonitorTable::applyError(const ReadRange &range, const MonitorError &error)
{
    forRange(range, [&](MonitorRow &row, int) {
        row.changed = false;
        row.old = row.hasValue;
        row.error = error;
    });
}

void MonitorTable::clearValues()
{
    for (int r = 0; r < m_rows.size(); ++r) {
        MonitorRow &row = m_rows[r];
        row.hasValue = false;
        row.value = 0;
        row.old = false;
        row.changed = false;
        row.error = {};
        if (row.address < 0)
            row.error.kind = MonitorError::NoRegister;
        m_touched[r] = true;
    }
}

QVector<QPair<int, int>> MonitorTable::takeTouched()
{
    QVector<QPair<int, int>> spans;
    for (int r = 0; r < m_touched.size(); ++r) {
        if (!m_touched.at(r))
            continue;
        if (!spans.isEmpty() && spans.last().second == r - 1)
            spans.last().second = r;
        else
            spans.append({r, r});
        m_touched[r] = false;
    }
    return spans;
}

QString MonitorTable::pageText(const MonitorRow &row, const TextCatalog &catalog)
{
    return row.isState() ? catalog.text(1567) : MapOverview::pageName(row.page, catalog);
}

QString MonitorTable::referenceText(const MonitorRow &row, int function)
{
    if (row.address < 0)
        return QString();
    return QString::number((function == 4 ? 300001 : 400001) + row.address);
}

QString MonitorTable::slaveText(const MonitorRow &row) const
{
    if (row.isState() || !m_map.hasSlave(row.slave))
        return QString();
    const TDNET_Slave &slave = m_map.slave(row.slave);
    return slave.Mnemonic.isEmpty() ? slave.ID : slave.ID + QStringLiteral(" ") + slave.Mnemonic;
}

QString MonitorTable::partText(int part, const TextCatalog &catalog)
{
    return part != 0 ? catalog.text(661) + QString::number(part) : catalog.text(660);
}

QString MonitorTable::hexText(const MonitorRow &row)
{
    if (!row.hasValue)
        return QString();
    return QStringLiteral("0x") + QStringLiteral("%1").arg(row.value, 4, 16, QLatin1Char('0')).toUpper();
}

QString MonitorTable::decimalText(const MonitorRow &row)
{
    return row.hasValue ? QString::number(row.value) : QString();
}

QString MonitorTable::byteValueText(const MonitorRow &row, bool high)
{
    if (!row.hasValue)
        return QString();
    const int byte = high ? row.value >> 8 : row.value & 0xFF;
    if (row.isState())
        return QStringLiteral("%1").arg(byte, 8, 2, QLatin1Char('0'));
    if ((high ? row.hiPart : row.loPart) == 0)
        return QString();
    return QString::number(byte);
}

QString MonitorTable::errorText(const MonitorError &error, const TextCatalog &catalog)
{
    switch (error.kind) {
    case MonitorError::None:
        return QString();
    case MonitorError::Exception: {
        const int name = ModbusFrame::exceptionNameText(error.code);
        return catalog.text(1586).arg(QStringLiteral("%1").arg(error.code, 2, 16, QLatin1Char('0')).toUpper(),
                                      catalog.text(name != 0 ? name : 1640));
    }
    case MonitorError::Timeout:
        return catalog.text(1582);
    case MonitorError::Refused:
        return catalog.text(1583);
    case MonitorError::Lost:
        return catalog.text(1584);
    case MonitorError::Malformed: {
        QString detail = catalog.text(error.problem.text);
        for (const QString &value : error.problem.values)
            detail = detail.arg(value);
        return catalog.text(1585).arg(detail);
    }
    case MonitorError::ConnectTimeout:
        return catalog.text(1641).arg(QString::number(error.code / 1000.0));
    case MonitorError::ConnectFailed:
        return catalog.text(1588).arg(error.detail);
    case MonitorError::NoRegister:
        return catalog.text(1589);
    }
    return QString();
}

QString MonitorTable::stateWord(const MonitorRow &row)
{
    if (!row.hasValue)
        return QStringLiteral("error");
    return row.old ? QStringLiteral("old") : QStringLiteral("ok");
}
