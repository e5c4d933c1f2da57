#include "AutoMap.h"

#include "MapOverview.h"
#include "text/TextCatalog.h"

#include <algorithm>

namespace {

struct Planned
{
    int slave;
    int page;
    TMod_Reg reg;
};

// Hands out free register indexes in rising order from a cursor; a value past MaxIndex means the
// map has run out.
class IndexCursor
{
public:
    IndexCursor(const ModbusMap &map, int start)
        : m_map(map)
        , m_next(std::max(0, start))
    {}

    // A slave's first register: the next multiple of the step that is free, so that each slave
    // begins at a round index even where the map already uses one.
    void roundUp(int step)
    {
        if (step <= 1)
            return;
        if (m_next % step != 0)
            m_next += step - m_next % step;
        while (m_next <= ModbusMap::MaxIndex && m_map.Check_Mod_Reg_in_Use(int(m_next), -1, -1, ModbusMap::Read))
            m_next += step;
    }
    // The next free index, or -1 when none is left up to 65535. Indexes handed out before are
    // below the cursor, so only the map's own registers need a look.
    int take()
    {
        while (m_next <= ModbusMap::MaxIndex && m_map.Check_Mod_Reg_in_Use(int(m_next), -1, -1, ModbusMap::Read))
            ++m_next;
        return m_next <= ModbusMap::MaxIndex ? int(m_next++) : -1;
    }

private:
    const ModbusMap &m_map;
    qint64 m_next; // wide: rounding up near 65535 must not wrap
};

int pageRegisterCount(const ModbusMap &map, int page)
{
    int count = 0;
    for (int s = 0; s < map.slaveCount(); ++s)
        count += int(map.registers(s, page).size());
    return count;
}

// Plans one slave and page onto the cursor; false when the indexes run out.
bool planSlave(const ModbusMap &map, int slave, int page, const AutoMapOptions &options, IndexCursor &cursor,
               QVector<Planned> &planned, AutoMapResult &result)
{
    const QVector<TMod_Reg> parts = AutoMap::plannedParts(map, slave, page, options.highFirst);
    if (parts.isEmpty())
        return true;
    cursor.roundUp(options.step);
    AutoMapResult::Block block;
    block.slave = slave;
    block.page = page;
    for (TMod_Reg reg : parts) {
        const int index = cursor.take();
        if (index < 0) {
            result.failure = 1380;
            return false;
        }
        reg.Ind_Mod = QString::number(index);
        planned.append({slave, page, reg});
        if (block.count == 0)
            block.first = index;
        block.last = index;
        ++block.count;
    }
    result.blocks.append(block);
    return true;
}

// Checks the page limits, then adds everything or nothing.
AutoMapResult apply(ModbusMap &map, const QVector<Planned> &planned, AutoMapResult result)
{
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        int total = pageRegisterCount(map, page);
        for (const Planned &p : planned)
            total += p.page == page ? 1 : 0;
        if (total > AutoMap::MaxRegistersPerPage) {
            result.failure = 1381;
            result.failedPage = page;
            result.failedTotal = total;
        }
        if (result.failure)
            break;
    }
    // Each register passes the editor's own Create check as well; the plan never fails it, but the
    // map must never hold what the editor would have refused.
    for (int i = 0; i < planned.size() && !result.failure; ++i) {
        const Planned &p = planned.at(i);
        result.failure = map.checkRegister(p.slave, p.page, -1, p.reg.Ind_Mod, p.reg.HiPart, p.reg.LoPart);
    }
    if (result.failure) {
        result.blocks.clear();
        return result;
    }
    for (const Planned &p : planned)
        map.appendRegister(p.slave, p.page, p.reg);
    result.added = int(planned.size());
    return result;
}

} // namespace

QString AutoMapResult::message(const TextCatalog &catalog) const
{
    if (failure == 1381)
        return catalog.text(1381).arg(QString::number(failedTotal), MapOverview::pageName(failedPage, catalog));
    return failure ? catalog.text(failure) : QString();
}

namespace AutoMap {

QVector<TMod_Reg> plannedParts(const ModbusMap &map, int slavePosition, int page, bool highFirst)
{
    const QVector<bool> carried = MapOverview::carriedBytes(map, slavePosition, page);
    const int bytes = int(carried.size()) - 1;
    QVector<TMod_Reg> parts;
    for (int odd = 1; odd <= bytes; odd += 2) {
        const int even = odd + 1;
        const bool oddFree = !carried.at(odd);
        const bool evenFree = even <= bytes && !carried.at(even);
        TMod_Reg reg;
        if (oddFree && evenFree) {
            reg.HiPart = highFirst ? odd : even;
            reg.LoPart = highFirst ? even : odd;
        } else if (oddFree || evenFree) {
            reg.LoPart = oddFree ? odd : even;
        } else {
            continue;
        }
        parts.append(reg);
    }
    return parts;
}

AutoMapResult mapSlave(ModbusMap &map, int slavePosition, int page, const AutoMapOptions &options)
{
    AutoMapResult result;
    if (!map.hasSlave(slavePosition))
        return result;
    IndexCursor cursor(map, options.start);
    QVector<Planned> planned;
    if (!planSlave(map, slavePosition, page, options, cursor, planned, result)) {
        result.blocks.clear();
        return result;
    }
    return apply(map, planned, result);
}

AutoMapResult mapAll(ModbusMap &map, int pages, const AutoMapOptions &options)
{
    AutoMapResult result;
    IndexCursor cursor(map, options.start);
    QVector<Planned> planned;
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        if (pages != BothPages && pages != page)
            continue;
        for (int s = 0; s < map.slaveCount(); ++s) {
            if (!planSlave(map, s, page, options, cursor, planned, result)) {
                result.blocks.clear();
                return result;
            }
        }
    }
    return apply(map, planned, result);
}

} // namespace AutoMap
