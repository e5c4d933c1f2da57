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

// The register indexes still free, from 0 to 65535; the map's registers and those planned so far
// are taken.
class FreeIndexes
{
public:
    explicit FreeIndexes(const ModbusMap &map)
        : m_used(ModbusMap::MaxIndex + 1, false)
    {
        for (int i = 0; i <= ModbusMap::MaxIndex; ++i)
            m_used[i] = map.Check_Mod_Reg_in_Use(i, -1, -1, ModbusMap::Read);
    }

    // The first index of the first run of count free indexes that starts at or after start on the
    // grid start, start + step, ...; -1 when no such run ends by 65535.
    int findRun(int start, int step, int count) const
    {
        const qint64 grid = step > 1 ? step : 1;
        qint64 first = std::max(0, start);
        while (first + count - 1 <= ModbusMap::MaxIndex) {
            // The last taken index of the run, if any: the next try starts past it.
            qint64 taken = -1;
            for (qint64 i = first + count - 1; i >= first; --i) {
                if (m_used.at(int(i))) {
                    taken = i;
                    break;
                }
            }
            if (taken < 0)
                return int(first);
            first = start + ((taken - start) / grid + 1) * grid;
        }
        return -1;
    }

    void take(int first, int count)
    {
        for (int i = first; i < first + count; ++i)
            m_used[i] = true;
    }

private:
    QVector<bool> m_used;
};

int pageRegisterCount(const ModbusMap &map, int page)
{
    int count = 0;
    for (int s = 0; s < map.slaveCount(); ++s)
        count += int(map.registers(s, page).size());
    return count;
}

// Plans one slave and page onto one run of free indexes; false (with the refusal) when none holds it.
bool planSlave(const ModbusMap &map, int slave, int page, const AutoMapOptions &options, FreeIndexes &free,
               QVector<Planned> &planned, AutoMapResult &result)
{
    const QVector<TMod_Reg> parts = AutoMap::plannedParts(map, slave, page, options.highFirst);
    if (parts.isEmpty())
        return true;
    const int count = int(parts.size());
    const int first = free.findRun(options.start, options.step, count);
    if (first < 0) {
        result.failure = AutoMapResult::NoRun;
        result.failedSlave = slave;
        result.failedPage = page;
        result.failedTotal = count;
        result.failedStart = options.start;
        return false;
    }
    free.take(first, count);
    for (int i = 0; i < count; ++i) {
        TMod_Reg reg = parts.at(i);
        reg.Ind_Mod = QString::number(first + i);
        planned.append({slave, page, reg});
    }
    result.blocks.append({slave, page, count, first, first + count - 1});
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
    if (failure == NoRun) {
        // Named by the map the refusal left unchanged; the ID is the slave's own text.
        return catalog.text(NoRun).arg(QString::number(failedSlave + 1), failedId,
                                       MapOverview::pageName(failedPage, catalog), QString::number(failedTotal),
                                       QString::number(failedStart));
    }
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
    FreeIndexes free(map);
    QVector<Planned> planned;
    if (!planSlave(map, slavePosition, page, options, free, planned, result)) {
        result.blocks.clear();
        result.failedId = map.slave(result.failedSlave).ID;
        return result;
    }
    return apply(map, planned, result);
}

AutoMapResult mapAll(ModbusMap &map, int pages, const AutoMapOptions &options)
{
    AutoMapResult result;
    FreeIndexes free(map);
    QVector<Planned> planned;
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        if (pages != BothPages && pages != page)
            continue;
        for (int s = 0; s < map.slaveCount(); ++s) {
            if (!planSlave(map, s, page, options, free, planned, result)) {
                result.blocks.clear();
                result.failedId = map.slave(result.failedSlave).ID;
                return result;
            }
        }
    }
    return apply(map, planned, result);
}

} // namespace AutoMap
