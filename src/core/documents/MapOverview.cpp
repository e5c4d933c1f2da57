#include "MapOverview.h"

#include "base/ParseIntOrDefault.h"
#include "text/Plural.h"
#include "text/TextCatalog.h"

#include <QStringList>

#include <algorithm>
#include <tuple>

namespace {

int addressOf(const TMod_Reg &reg)
{
    const int value = ParseIntOrDefault(reg.Ind_Mod, -1);
    return value >= 0 && value <= ModbusMap::MaxIndex ? value : -1;
}

// First text index of the overview's column captions: address, page, slave, ID, mnemonic, high, low.
constexpr int FirstColumnText = 1392;
constexpr int NoteColumnText = 1725;
constexpr int PastCountMarkText = 1726;
constexpr int PastBytesHeadingText = 1724;

} // namespace

namespace MapOverview {

QString columnCaption(int column, const TextCatalog &catalog)
{
    return catalog.text(column == NoteColumn ? NoteColumnText : FirstColumnText + column);
}

QString pastCountMark(const TextCatalog &catalog)
{
    return catalog.text(PastCountMarkText);
}

QVector<OverviewRow> rows(const ModbusMap &map)
{
    QVector<OverviewRow> all;
    all.reserve(map.registerCount());
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        for (int s = 0; s < map.slaveCount(); ++s) {
            const QVector<TMod_Reg> &regs = map.registers(s, page);
            for (int r = 0; r < regs.size(); ++r)
                all.append({addressOf(regs.at(r)), page, s, r});
        }
    }
    std::sort(all.begin(), all.end(), [](const OverviewRow &a, const OverviewRow &b) {
        return std::tie(a.address, a.page, a.slave, a.position) < std::tie(b.address, b.page, b.slave, b.position);
    });
    return all;
}

QVector<bool> carriedBytes(const ModbusMap &map, int slavePosition, int page)
{
    const int bytes = std::max(0, map.byteCount(slavePosition, page));
    QVector<bool> carried(bytes + 1, false);
    for (const TMod_Reg &reg : map.registers(slavePosition, page)) {
        for (int part : {reg.HiPart, reg.LoPart}) {
            if (part >= 1 && part <= bytes)
                carried[part] = true;
        }
    }
    return carried;
}

QVector<FreeBytes> freeBytes(const ModbusMap &map)
{
    QVector<FreeBytes> all;
    for (int s = 0; s < map.slaveCount(); ++s) {
        for (int page : {ModbusMap::Read, ModbusMap::Write}) {
            const QVector<bool> carried = carriedBytes(map, s, page);
            FreeBytes free{s, page, {}};
            for (int b = 1; b < carried.size(); ++b) {
                if (!carried.at(b))
                    free.bytes.append(b);
            }
            if (!free.bytes.isEmpty())
                all.append(free);
        }
    }
    return all;
}

QVector<FreeBytes> bytesPastCount(const ModbusMap &map)
{
    QVector<FreeBytes> all;
    for (int s = 0; s < map.slaveCount(); ++s) {
        for (int page : {ModbusMap::Read, ModbusMap::Write}) {
            const int count = map.byteCount(s, page);
            QVector<int> bytes;
            for (const TMod_Reg &reg : map.registers(s, page)) {
                for (int part : {reg.HiPart, reg.LoPart}) {
                    if (part > count)
                        bytes.append(part);
                }
            }
            if (bytes.isEmpty())
                continue;
            std::sort(bytes.begin(), bytes.end());
            bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
            all.append({s, page, bytes});
        }
    }
    return all;
}

bool pastCount(const ModbusMap &map, const OverviewRow &row)
{
    const TMod_Reg &reg = map.registers(row.slave, row.page).at(row.position);
    const int count = map.byteCount(row.slave, row.page);
    return reg.HiPart > count || reg.LoPart > count;
}

QString byteRanges(const QVector<int> &bytes)
{
    QStringList parts;
    for (int i = 0; i < bytes.size();) {
        int j = i;
        while (j + 1 < bytes.size() && bytes.at(j + 1) == bytes.at(j) + 1)
            ++j;
        parts.append(j == i ? QString::number(bytes.at(i))
                            : QString::number(bytes.at(i)) + QLatin1Char('-') + QString::number(bytes.at(j)));
        i = j + 1;
    }
    return parts.join(QLatin1String(", "));
}

QString addressText(const TMod_Reg &reg)
{
    const int address = addressOf(reg);
    return address >= 0 ? QString::number(address) : reg.Ind_Mod;
}

QString pageName(int page, const TextCatalog &catalog)
{
    return catalog.text(page == ModbusMap::Read ? 1369 : 1370);
}

QString partText(int part, const TextCatalog &catalog)
{
    return part != 0 ? QString::number(part) : catalog.text(660);
}

QString bytesText(const QVector<int> &bytes, const TextCatalog &catalog)
{
    return Plural::pick(catalog, bytes.size(), 1721, 1720).arg(byteRanges(bytes));
}

QString bytesLine(const ModbusMap &map, const FreeBytes &bytes, const TextCatalog &catalog)
{
    // One call for all values: an ID holding "%2" must not be taken for a placeholder.
    return catalog.text(1727).arg(QString::number(bytes.slave + 1), map.slave(bytes.slave).ID,
                                  pageName(bytes.page, catalog), bytesText(bytes.bytes, catalog));
}

QString text(const ModbusMap &map, const TextCatalog &catalog)
{
    QVector<QStringList> table;
    QStringList header;
    for (int c = 0; c < ColumnCount; ++c)
        header.append(columnCaption(c, catalog).trimmed());
    table.append(header);
    const QString mark = pastCountMark(catalog).trimmed();
    for (const OverviewRow &row : rows(map)) {
        const TDNET_Slave &slave = map.slave(row.slave);
        const TMod_Reg &reg = map.registers(row.slave, row.page).at(row.position);
        table.append({addressText(reg), pageName(row.page, catalog), QString::number(row.slave + 1), slave.ID,
                      slave.Mnemonic, partText(reg.HiPart, catalog), partText(reg.LoPart, catalog),
                      pastCount(map, row) ? mark : QString()});
    }
    QVector<int> widths(ColumnCount, 0);
    for (const QStringList &line : table) {
        for (int c = 0; c < ColumnCount; ++c)
            widths[c] = std::max(widths[c], int(line.at(c).size()));
    }
    QString out;
    for (const QStringList &line : table) {
        QString l;
        for (int c = 0; c < ColumnCount; ++c)
            l += line.at(c).leftJustified(c + 1 < ColumnCount ? widths[c] + 2 : 0);
        out += l.trimmed() + QLatin1Char('\n');
    }
    out += QLatin1Char('\n') + catalog.text(1403).trimmed() + QStringLiteral(":\n");
    const QVector<FreeBytes> free = freeBytes(map);
    for (const FreeBytes &f : free)
        out += QStringLiteral("  ") + bytesLine(map, f, catalog) + QLatin1Char('\n');
    if (free.isEmpty())
        out += QStringLiteral("  ") + catalog.text(1408) + QLatin1Char('\n');
    // A register carries these bytes, so they are no free bytes; the slave lacks them, so the device
    // would serve another slave's bytes there.
    const QVector<FreeBytes> past = bytesPastCount(map);
    if (!past.isEmpty()) {
        out += QLatin1Char('\n') + catalog.text(PastBytesHeadingText).trimmed() + QStringLiteral(":\n");
        for (const FreeBytes &p : past)
            out += QStringLiteral("  ") + bytesLine(map, p, catalog) + QLatin1Char('\n');
    }
    return out;
}

} // namespace MapOverview
