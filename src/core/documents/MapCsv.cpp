#include "MapCsv.h"

#include "AutoMap.h"
#include "MapOverview.h"
#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "base/TextUtil.h"
#include "base/TextEncoding.h"
#include "text/TextCatalog.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
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

// The separator of the file: the one of ',' and ';' that the first line with text uses more, outside
// quotes.
QChar separatorOf(const QString &text)
{
    int commas = 0;
    int semicolons = 0;
    bool inQuotes = false;
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r')))
        ++i;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
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

// RFC 4180 records, one at a time, so that a file of a million short lines never becomes a million
// records in memory; a quoted field may hold separators, doubled quotes and line breaks. A quote left
// open swallows the rest of the file, so it ends the reading with that record marked.
class RecordReader
{
public:
    RecordReader(const QString &text, QChar separator)
        : m_text(text)
        , m_separator(separator)
    {}

    bool next(Record &record)
    {
        const qsizetype n = m_text.size();
        // Empty lines are passed over here, without a record each: a file of nothing else stays cheap.
        while (m_pos < n && isLineEnd(m_text.at(m_pos))) {
            if (m_text.at(m_pos) == QLatin1Char('\r'))
                ++m_pos;
            if (m_pos < n && m_text.at(m_pos) == QLatin1Char('\n'))
                ++m_pos;
            ++m_line;
        }
        if (m_pos >= n)
            return false;
        record = Record();
        record.line = m_line;
        qsizetype &i = m_pos;
        for (;;) {
            QString field;
            if (i < n && m_text.at(i) == QLatin1Char('"')) {
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = m_text.at(i);
                    if (c == QLatin1Char('"')) {
                        if (i + 1 < n && m_text.at(i + 1) == QLatin1Char('"')) {
                            field += c;
                            i += 2;
                            continue;
                        }
                        ++i;
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++m_line;
                    field += c;
                    ++i;
                }
                if (!closed) {
                    record.fields.append(field);
                    record.problem = 1423;
                    i = n;
                    return true;
                }
                // Only a separator or the end of the line may follow the closing quote.
                if (i < n && m_text.at(i) != m_separator && !isLineEnd(m_text.at(i))) {
                    record.problem = 1424;
                    while (i < n && !isLineEnd(m_text.at(i)))
                        ++i;
                }
            } else {
                const qsizetype from = i;
                while (i < n && m_text.at(i) != m_separator && !isLineEnd(m_text.at(i)))
                    ++i;
                field = m_text.mid(from, i - from);
            }
            record.fields.append(field);
            if (i < n && m_text.at(i) == m_separator) {
                ++i;
                continue;
            }
            // End of line or of the file.
            if (i < n && m_text.at(i) == QLatin1Char('\r'))
                ++i;
            if (i < n && m_text.at(i) == QLatin1Char('\n'))
                ++i;
            ++m_line;
            return true;
        }
    }

private:
    static bool isLineEnd(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

    const QString &m_text;
    const QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool isBlank(const Record &record)
{
    for (const QString &f : record.fields) {
        if (!trimControl(f).isEmpty())
            return false;
    }
    return record.problem == 0;
}

// The columns the import reads, by their position in the export.
enum Column { AddressColumn, PageColumn, SlaveColumn, IdColumn, MnemonicColumn, HighColumn, LowColumn, ColumnCount };

bool isRequired(int column)
{
    return column != IdColumn && column != MnemonicColumn;
}

// Where each column is in the file (-1: absent), from the header line; the header's faults go to problems.
struct Columns
{
    int at[ColumnCount] = {-1, -1, -1, -1, -1, -1, -1};
    int count = 0; // fields of a line
};

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

void save(const ModbusMap &map, const QString &path, SafeFile::Steps &steps)
{
    SafeFile::write(path, toCsv(map), steps);
}

qint64 largestImport(const ModbusMap &map)
{
    // Address, page, slave number, both bytes, six separators and the line end, at their longest.
    const qint64 fixed = 5 + 5 + QString::number(qMax(map.slaveCount(), 1)).size() + 3 + 3 + 6 + 2;
    qint64 texts = 0;
    for (const TDNET_Slave &slave : map.slaves())
        texts = qMax(texts, qint64(quoted(slave.ID).toUtf8().size() + quoted(slave.Mnemonic).toUtf8().size()));
    const qint64 largestExport = Header.join(QLatin1Char(',')).size() + 2 + 2 * AutoMap::MaxRegistersPerPage * (fixed + texts);
    return qMin(2 * largestExport, MaxFileSize);
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
    const auto refuse = [&result](int line, const QString &reason) {
        ++result.problemCount;
        if (result.problems.size() < MaxProblems)
            result.problems.append({line, reason});
    };
    if (bytes.size() > largestImport(map)) {
        refuse(0, catalog.text(1435).arg(bytes.size()).arg(largestImport(map)));
        return result;
    }
    // UTF-8 byte order marks: a tool that adds one to a file that has one leaves two, and both go.
    const QByteArrayView bom("\xEF\xBB\xBF");
    QByteArrayView body(bytes);
    while (body.startsWith(bom))
        body = body.sliced(bom.size());
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(body);
    // A spreadsheet on Windows saves its "CSV" in Windows-1252.
    if (decoder.hasError())
        text = TextEncoding::decodeWindows1252(body.toByteArray());
    if (text.isEmpty()) {
        refuse(0, catalog.text(1428));
        return result;
    }

    RecordReader reader(text, separatorOf(text));
    Record record;
    bool found = false;
    while ((found = reader.next(record)) && isBlank(record)) {
    }
    if (!found) {
        refuse(0, catalog.text(1430));
        return result;
    }
    if (record.problem) {
        refuse(record.line, catalog.text(record.problem));
        return result;
    }

    // The header: every column by its name, in any order. Empty fields after the last name are the
    // columns a spreadsheet adds when it saves (";;"): they are passed over, here and in every line.
    QStringList names;
    for (const QString &field : record.fields)
        names.append(trimControl(field));
    while (!names.isEmpty() && names.constLast().isEmpty())
        names.removeLast();
    const auto known = [](const QString &name) {
        return std::any_of(Header.begin(), Header.end(),
                           [&name](const QString &h) { return name.compare(h, Qt::CaseInsensitive) == 0; });
    };
    // A first line without a single column name is no header at all (a file of registers only): one
    // sentence then says what the first line must be, instead of a fault for every column.
    if (!std::any_of(names.begin(), names.end(), known)) {
        refuse(record.line, catalog.text(1672).arg(Header.join(QLatin1String(", "))));
        return result;
    }
    Columns columns;
    columns.count = int(names.size());
    for (int i = 0; i < columns.count; ++i) {
        const QString &name = names.at(i);
        int column = 0;
        while (column < ColumnCount && name.compare(Header.at(column), Qt::CaseInsensitive) != 0)
            ++column;
        if (column == ColumnCount)
            refuse(record.line, catalog.text(1433).arg(name, Header.join(QLatin1String(", "))));
        else if (columns.at[column] >= 0)
            refuse(record.line, catalog.text(1434).arg(Header.at(column)));
        else
            columns.at[column] = i;
    }
    for (int column = 0; column < ColumnCount; ++column) {
        if (isRequired(column) && columns.at[column] < 0)
            refuse(record.line, catalog.text(1432).arg(Header.at(column)));
    }
    result.hasMnemonic = columns.at[MnemonicColumn] >= 0;
    if (result.problemCount > 0)
        return result;

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
    while (reader.next(record)) {
        if (isBlank(record))
            continue;
        if (record.problem) {
            refuse(record.line, catalog.text(record.problem));
            continue;
        }
        QStringList &f = record.fields;
        while (f.size() > columns.count && trimControl(f.constLast()).isEmpty())
            f.removeLast();
        if (f.size() != columns.count) {
            refuse(record.line, catalog.text(1431).arg(f.size()).arg(columns.count));
            continue;
        }
        const auto field = [&](int column) { return f.at(columns.at[column]); };
        const QString pageText = trimControl(field(PageColumn));
        const int page = pageText.compare(ReadName, Qt::CaseInsensitive) == 0    ? ModbusMap::Read
                         : pageText.compare(WriteName, Qt::CaseInsensitive) == 0 ? ModbusMap::Write
                                                                                 : 0;
        if (page == 0) {
            refuse(record.line, catalog.text(1416).arg(pageText));
            continue;
        }
        const QString slaveText = trimControl(field(SlaveColumn));
        // 64-bit, so that the lowest integer minus one stays below every position.
        const qint64 slaveNumber = qint64(ParseIntOrDefault(slaveText, 0)) - 1;
        if (slaveNumber < 0 || slaveNumber >= map.slaveCount()) {
            refuse(record.line, catalog.text(1417).arg(slaveText, QString::number(map.slaveCount())));
            continue;
        }
        const int slave = int(slaveNumber);
        if (columns.at[IdColumn] >= 0) {
            const QString id = trimControl(field(IdColumn));
            if (id != trimControl(map.slave(slave).ID)) {
                refuse(record.line, catalog.text(1418).arg(id, QString::number(slave + 1), map.slave(slave).ID));
                continue;
            }
        }
        const QString indexText = trimControl(field(AddressColumn));
        const int index = ParseIntOrDefault(indexText, -1);
        if (index < 0 || index > ModbusMap::MaxIndex) {
            refuse(record.line, catalog.text(1419).arg(indexText));
            continue;
        }
        const int byteCount = map.byteCount(slave, page);
        TMod_Reg reg;
        reg.HiPart = byteValue(field(HighColumn), byteCount, catalog);
        reg.LoPart = byteValue(field(LowColumn), byteCount, catalog);
        if (reg.HiPart < 0 || reg.LoPart < 0) {
            const bool high = reg.HiPart < 0;
            refuse(record.line, catalog.text(high ? 1421 : 1422)
                                    .arg(trimControl(field(high ? HighColumn : LowColumn)), QString::number(byteCount)));
            continue;
        }
        if (const auto earlier = lineOfIndex.constFind(index); earlier != lineOfIndex.constEnd()) {
            refuse(record.line, catalog.text(1420).arg(QString::number(index), QString::number(earlier.value())));
            continue;
        }
        lineOfIndex.insert(index, record.line);
        // Once a line is refused nothing is imported: the registers need not be kept.
        if (result.problemCount == 0) {
            reg.Ind_Mod = typed.value(registerKey(page, slave, index), indexText);
            result.map.appendRegister(slave, page, reg);
        }
    }
    // A file of the header alone (a cut-off export, say) would empty the map: emptying it is the
    // register map window's own work, never an import's.
    if (result.problemCount == 0 && result.map.registerCount() == 0)
        refuse(0, catalog.text(1673));
    if (result.problemCount > 0)
        result.map = ModbusMap();
    else
        result.registers = result.map.registerCount();
    return result;
}

QString problemsText(const QVector<Problem> &problems, const TextCatalog &catalog, int maxLines, int total)
{
    if (total < 0)
        total = int(problems.size());
    QStringList lines;
    for (int i = 0; i < problems.size() && i < maxLines; ++i) {
        const Problem &p = problems.at(i);
        lines.append(p.line > 0 ? catalog.text(1414).arg(QString::number(p.line), p.reason) : p.reason);
    }
    const int shown = int(lines.size());
    if (total > shown)
        lines.append(catalog.text(1425).arg(total - shown));
    return lines.join(QLatin1Char('\n'));
}

} // namespace MapCsv
