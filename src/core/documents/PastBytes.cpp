#include "PastBytes.h"

#include "MapOverview.h"
#include "text/Plural.h"
#include "text/TextCatalog.h"

#include <QStringList>

namespace PastBytes {

QVector<int> beyond(int hiPart, int loPart, int count)
{
    QVector<int> bytes;
    for (const int part : {hiPart, loPart}) {
        if (part > count)
            bytes.append(part);
    }
    return bytes;
}

QVector<RegisterPastBytes> find(const ModbusMap &map)
{
    QVector<RegisterPastBytes> found;
    for (const int page : {ModbusMap::Read, ModbusMap::Write}) {
        for (int s = 0; s < map.slaveCount(); ++s) {
            const int count = map.byteCount(s, page);
            for (const TMod_Reg &reg : map.registers(s, page)) {
                const QVector<int> bytes = beyond(reg.HiPart, reg.LoPart, count);
                if (!bytes.isEmpty())
                    found.append({page, MapOverview::addressText(reg), s, map.slave(s).ID, count, bytes});
            }
        }
    }
    return found;
}

QString lines(const QVector<RegisterPastBytes> &found, const TextCatalog &catalog, int shown)
{
    QStringList out;
    for (int i = 0; i < found.size() && i < shown; ++i) {
        const RegisterPastBytes &r = found.at(i);
        const QString count = Plural::pick(catalog, r.byteCount, 1723, 1722).arg(r.byteCount);
        // One call for all values: an ID holding "%2" is not taken for a placeholder.
        out.append(catalog.text(1728).arg(MapOverview::pageName(r.page, catalog), r.index, QString::number(r.slave + 1),
                                          r.slaveId, count, MapOverview::bytesText(r.bytes, catalog)));
    }
    if (found.size() > shown)
        out.append(catalog.text(1482).arg(found.size() - shown));
    return out.join(QLatin1Char('\n'));
}

QString warning(const QVector<RegisterPastBytes> &found, const TextCatalog &catalog)
{
    return Plural::pick(catalog, found.size(), 1711, 1480).arg(found.size()) + QLatin1Char('\n') +
           lines(found, catalog);
}

} // namespace PastBytes
