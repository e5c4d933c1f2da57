#include "MapCsv.h"

#include "MapOverview.h"
#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "base/TextUtil.h"
#include "text/TextCatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringBuilder>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace {

const QStringList Header = {
    QStringLiteral("Address (0-based)"), QStringLiteral("Page"),      QStringLiteral("Slave"),   QStringLiteral("ID"),
    QStringLiteral("Mnemonic"),          QStringLiteral("High byte"), QStringLiteral("Low byte")};
const QString ReadName = QStringLiteral("read");
const QString WriteName = QStringLiteral("write");

QString quoted(const QString &field)
{
    const bool needsQuotes = field.contains(QLatin1Char(',')) || field.contains(QLatin1Char(';')) ||
                             field.contains(QLatin1Char('"')) || field.contains(QLatin1Char('\n')) ||
                             field.contains(QLatin1Char('\r')) || field != field.trimmed();
    if (!needsQuotes)
        return field;
    QString q = field;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString byteField(int part)
{
    return part != 0 ? QString::number(part) : QString();
}

// One record of the file, with the line it starts on.
struct Record
{
    int line = 0;
    QStringList fields;
    int problem = 0; // catalog index of a format fault of the record itself
};

// The separator of the file: the one of ',' and ';' that the first line uses more, outside quotes.
QChar separatorOf(const QString &text)
{
    int commas = 0;
    int semicolons = 0;
    bool inQuotes = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        else if (!inQuotes && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!inQuotes && c == QLatin1Char(','))
            ++commas;
        else if (!inQuotes && c == QLatin1Char(';'))
            ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

// RFC 4180 records; a quoted field may hold separators, doubled quotes and line breaks. A quote
// left open swallows the rest of the file, so it ends the split with that record marked.
QVector<Record> splitRecords(const QString &text, QChar separator)
{
    QVector<Record> records;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < n) {
        Record record;
        record.line = line;
        bool endOfRecord = false;
        while (!endOfRecord) {
            QString field;
            if (i < n && text.at(i) == QLatin1Char('"')) {
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = text.at(i);
                    if (c == QLatin1Char('"')) {
                        if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                            field += c;
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++line;
                    field += c;
                    ++i;
                }
                if (!closed) {
                    record.fields.append(field);
                    record.problem = 1423;
                    records.append(record);
                    return records;
                }
                // Only a separator or the end of the line may follow the closing quote.
                if (i < n && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                    text.at(i) != QLatin1Char('\n')) {
                    record.problem = 1424;
                    while (i < n && text.at(i) != QLatin1Char('\r') && text.at(i) != QLatin1Char('\n'))
                        ++i;
                }
            } else {
                const qsizetype from = i;
                while (i < n && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                       text.at(i) != QLatin1Char('\n'))
                    ++i;
                field = text.mid(from, i - from);
            }
            record.fields.append(field);
            if (i < n && text.at(i) == separator) {
                ++i;
                continue;
            }
            // End of line or of the file.
            if (i < n && text.at(i) == QLatin1Char('\r'))
                ++i;
            if (i < n && text.at(i) == QLatin1Char('\n'))
                ++i;
            ++line;
            endOfRecord = true;
        }
        records.append(record);
    }
    return records;
}

bool isBlank(const Record &record)
{
    for (const QString &f : record.fields) {
        if (!trimControl(f).isEmpty())
            return false;
    }
    return record.problem == 0;
}

bool isHeader(const Record &record)
{
    const QString first = trimControl(record.fields.value(0));
    return first.startsWith(QLatin1String("address"), Qt::CaseInsensitive) ||
           first.startsWith(QLatin1String("index"), Qt::CaseInsensitive);
}

// A byte field: empty, 0 or the word shown for none (in the chosen language, or in English) for None,
// else a byte of the slave. -1 when it is neither.
int byteValue(const QString &field, int bytes, const TextCatalog &catalog)
{
    const QString t = trimControl(field);
    if (t.isEmpty())
        return 0;
    for (const QString &none : {catalog.text(660), TextCatalog::defaultText(660)}) {
        if (t.compare(trimControl(none), Qt::CaseInsensitive) == 0)
            return 0;
    }
    const int value = ParseIntOrDefault(t, -1);
    return value >= 0 && value <= bytes ? value : -1;
}

quint64 registerKey(int page, int slave, int address)
{
    return (quint64(page) << 40) | (quint64(quint32(slave)) << 20) | quint64(address);
}

} // namespace

namespace MapCsv {

QByteArray toCsv(const ModbusMap &map)
{
    QString out = Header.join(QLatin1Char(',')) + QLatin1String("\r\n");
    out.reserve(map.registerCount() * 48);
    const QLatin1Char comma(',');
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        const QString pageName = page == ModbusMap::Read ? ReadName : WriteName;
        for (int s = 0; s < map.slaveCount(); ++s) {
            const TDNET_Slave &slave = map.slave(s);
            // What every line of the slave shares, built once.
            const QString slaveFields = comma % pageName % comma % QString::number(s + 1) % comma % quoted(slave.ID) %
                                        comma % quoted(slave.Mnemonic) % comma;
            for (const TMod_Reg &reg : map.registers(s, page))
                out += quoted(MapOverview::addressText(reg)) % slaveFields % byteField(reg.HiPart) % comma %
                       byteField(reg.LoPart) % QLatin1String("\r\n");
        }
    }
    return out.toUtf8();
}

void save(const ModbusMap &map, const QString &path)
{
    if (QFileInfo(path).isSymLink())
        throw AppError(QStringLiteral("Cannot write %1: it is a symbolic link").arg(path));
    const QByteArray bytes = toCsv(map);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, error));
    }
    if (!file.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
}

QByteArray readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw AppError(QStringLiteral("Cannot read %1: the file does not exist").arg(path));
    if (!info.isFile())
        throw AppError(QStringLiteral("Cannot read %1: not a regular file").arg(path));
    if (info.size() > MaxFileSize)
        throw AppError(QStringLiteral("Cannot read %1: the file is larger than %2 bytes").arg(path).arg(MaxFileSize));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    // The size may change between the look and the read: never read more than the limit.
    const QByteArray bytes = file.read(MaxFileSize + 1);
    if (bytes.size() > MaxFileSize)
        throw AppError(QStringLiteral("Cannot read %1: the file is larger than %2 bytes").arg(path).arg(MaxFileSize));
    return bytes;
}

ImportResult parse(const QByteArray &bytes, const ModbusMap &map, const TextCatalog &catalog)
{
    ImportResult result;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        result.problems.append({0, catalog.text(1426)});
        return result;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QVector<Record> records = splitRecords(text, separatorOf(text));
    records.erase(std::remove_if(records.begin(), records.end(), isBlank), records.end());
    if (!records.isEmpty() && records.first().problem == 0 && isHeader(records.first()))
        records.removeFirst();
    else if (records.isEmpty()) {
        result.problems.append({0, catalog.text(1428)});
        return result;
    }

    // The index texts the map holds now, so that an unchanged register keeps the form it was typed in.
    QHash<quint64, QString> typed;
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        for (int s = 0; s < map.slaveCount(); ++s) {
            for (const TMod_Reg &reg : map.registers(s, page)) {
                const int value = ParseIntOrDefault(reg.Ind_Mod, -1);
                if (value >= 0 && value <= ModbusMap::MaxIndex && !typed.contains(registerKey(page, s, value)))
                    typed.insert(registerKey(page, s, value), reg.Ind_Mod);
            }
        }
    }

    // The same slaves, no registers: the file's lines are the whole new map.
    for (const TDNET_Slave &slave : map.slaves())
        result.map.appendSlave(slave.ID, slave.Num_Byte_IN, slave.Num_Byte_OUT, slave.Mnemonic);

    QHash<int, int> lineOfIndex;
    const auto refuse = [&result](const Record &record, const QString &reason) {
        result.problems.append({record.line, reason});
    };
    for (const Record &record : records) {
        if (record.problem) {
            refuse(record, catalog.text(record.problem));
            continue;
        }
        const QStringList &f = record.fields;
        if (f.size() != Header.size()) {
            refuse(record, catalog.text(1415).arg(f.size()));
            continue;
        }
        const QString pageText = trimControl(f.at(1));
        const int page = pageText.compare(ReadName, Qt::CaseInsensitive) == 0    ? ModbusMap::Read
                         : pageText.compare(WriteName, Qt::CaseInsensitive) == 0 ? ModbusMap::Write
                                                                                 : 0;
        if (page == 0) {
            refuse(record, catalog.text(1416).arg(pageText));
            continue;
        }
        const int slave = ParseIntOrDefault(trimControl(f.at(2)), 0) - 1;
        if (!map.hasSlave(slave)) {
            refuse(record, catalog.text(1417).arg(trimControl(f.at(2)), QString::number(map.slaveCount())));
            continue;
        }
        const QString id = trimControl(f.at(3));
        if (id != trimControl(map.slave(slave).ID)) {
            refuse(record, catalog.text(1418).arg(id, QString::number(slave + 1), map.slave(slave).ID));
            continue;
        }
        const QString indexText = trimControl(f.at(0));
        const int index = ParseIntOrDefault(indexText, -1);
        if (index < 0 || index > ModbusMap::MaxIndex) {
            refuse(record, catalog.text(1419).arg(indexText));
            continue;
        }
        const int byteCount = map.byteCount(slave, page);
        TMod_Reg reg;
        reg.HiPart = byteValue(f.at(5), byteCount, catalog);
        reg.LoPart = byteValue(f.at(6), byteCount, catalog);
        if (reg.HiPart < 0 || reg.LoPart < 0) {
            const int which = reg.HiPart < 0 ? 5 : 6;
            refuse(record,
                   catalog.text(which == 5 ? 1421 : 1422).arg(trimControl(f.at(which)), QString::number(byteCount)));
            continue;
        }
        if (const auto earlier = lineOfIndex.constFind(index); earlier != lineOfIndex.constEnd()) {
            refuse(record, catalog.text(1420).arg(QString::number(index), QString::number(earlier.value())));
            continue;
        }
        lineOfIndex.insert(index, record.line);
        reg.Ind_Mod = typed.value(registerKey(page, slave, index), indexText);
        result.map.appendRegister(slave, page, reg);
    }
    if (!result.problems.isEmpty())
        result.map = ModbusMap();
    else
        result.registers = result.map.registerCount();
    return result;
}

QString problemsText(const QVector<Problem> &problems, const TextCatalog &catalog, int maxLines)
{
    QStringList lines;
    for (int i = 0; i < problems.size() && i < maxLines; ++i) {
        const Problem &p = problems.at(i);
        lines.append(p.line > 0 ? catalog.text(1414).arg(QString::number(p.line), p.reason) : p.reason);
    }
    if (problems.size() > maxLines)
        lines.append(catalog.text(1425).arg(problems.size() - maxLines));
    return lines.join(QLatin1Char('\n'));
}

} // namespace MapCsv
