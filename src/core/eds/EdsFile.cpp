#include "EdsFile.h"

#include "base/BoundedFile.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QHash>

#include <algorithm>

#include <exception>

namespace Eds {

namespace {

enum Text {
    PollText = 1528,
    ChangeOfStateText = 1529,
    CyclicText = 1530,
    StrobeText = 1531,
    CanOpenFile = 1535,
    EtherNetIpFile = 1536,
    NoIoInfo = 1537,
    NotText = 1538,
    AtLine = 1539,
    SectionNotClosed = 1540,
    NotAnEntry = 1541,
    EntryNotClosed = 1542,
    StringNotClosed = 1543,
    MissingEntry = 1544,
    SizeOutOfRange = 1545,
    NotANumber = 1546,
    NoConnection = 1547,
    Repeated = 1548,
    MoreWarnings = 1670,
    NoEntryNumber = 1671,
};

// Every line ends in LF alone, so that lines are counted once.
QString unixLineEnds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Digits and then an underscore; checked by hand, since every entry of a file of millions asks.
bool isVendorKeyword(QStringView keyword)
{
    qsizetype i = 0;
    while (i < keyword.size() && keyword.at(i) >= QLatin1Char('0') && keyword.at(i) <= QLatin1Char('9'))
        ++i;
    return i > 0 && i < keyword.size() && keyword.at(i) == QLatin1Char('_');
}

// The text with A to Z as a to z and every other character as it is: the same length, so that a keyword
// found in the text is its folded form at the same place. Keywords are ASCII; comparing them through
// this copy needs no string of its own per entry.
QString asciiFolded(const QString &text)
{
    QString folded = text;
    QChar *c = folded.data();
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if (c[i] >= QLatin1Char('A') && c[i] <= QLatin1Char('Z'))
            c[i] = QChar(c[i].unicode() + ('a' - 'A'));
    }
    return folded;
}

// Longer text cut, so that a message quoting a line stays one line.
QString excerpt(const QString &text)
{
    const QString simple = text.simplified();
    return simple.size() > 40 ? simple.left(40) + QChar(0x2026) : simple;
}

// Reads the whole syntax; entries are kept only for the sections asked for (all when none are named),
// so that a file of millions of entries in sections nobody reads costs no memory for them.
class Parser
{
public:
    Parser(QString text, const TextCatalog &catalog, const QStringList &keep)
        : m_text(std::move(text))
        , m_folded(asciiFolded(m_text))
        , m_catalog(catalog)
    {
        for (const QString &name : keep)
            m_keep.append(name.toLower());
    }

    Parsed run()
    {
        while (m_result.error == std::nullopt) {
            skipBlanks();
            if (atEnd())
                break;
            if (peek() == QLatin1Char('['))
                readSection();
            else
                readEntry();
        }
        return std::move(m_result);
    }

private:
    // A section as read: where its entries go (-1: not kept) and its keywords so far, by their folded
    // text, with the line of the first entry of each.
    struct SectionState
    {
        int kept = -1;
        QHash<QStringView, int> keywordLines;
    };

    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek() const { return m_text.at(m_pos); }

    void fail(int line, const QString &what)
    {
        if (!m_result.error)
            m_result.error = Problem{line, what};
    }

    void skipComment()
    {
        while (!atEnd() && peek() != QLatin1Char('\n'))
            ++m_pos;
    }

    // Blanks, line ends and comments between statements and between the parts of a value.
    void skipBlanks()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c == QLatin1Char('\n')) {
                ++m_line;
                ++m_pos;
            } else if (c == QLatin1Char('$')) {
                skipComment();
            } else if (c.isSpace()) {
                ++m_pos;
            } else {
                return;
            }
        }
    }

    void readSection()
    {
        const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos);
        const qsizetype lineEnd = m_text.indexOf(QLatin1Char('\n'), m_pos);
        if (close < 0 || (lineEnd >= 0 && lineEnd < close)) {
            fail(m_line, m_catalog.text(SectionNotClosed));
            return;
        }
        const QStringView name = QStringView(m_text).mid(m_pos + 1, close - m_pos - 1).trimmed();
        const QStringView key = QStringView(m_folded).mid(name.data() - m_text.constData(), name.size());
        m_pos = close + 1;
        auto found = m_sectionIndex.constFind(key);
        if (found != m_sectionIndex.constEnd()) {
            // A section written twice goes on where the first one stopped.
            m_current = found.value();
            return;
        }
        m_current = int(m_sections.size());
        m_sectionIndex.insert(key, m_current);
        SectionState state;
        if (m_keep.isEmpty() || m_keep.contains(key.toString().toLower())) {
            state.kept = int(m_result.sections.size());
            m_result.sections.append(Section{name.toString(), m_line, {}});
        }
        m_sections.append(state);
    }

    void readEntry()
    {
        const int startLine = m_line;
        const qsizetype start = m_pos;
        while (!atEnd()) {
            const QChar c = peek();
            if (c == QLatin1Char('=') || c == QLatin1Char('\n') || c == QLatin1Char(';') || c == QLatin1Char('"') ||
                c == QLatin1Char('$') || c == QLatin1Char('[') || c == QLatin1Char(','))
                break;
            ++m_pos;
        }
        const QStringView keyword = QStringView(m_text).mid(start, m_pos - start).trimmed();
        if (atEnd() || peek() != QLatin1Char('=') || keyword.isEmpty() || m_current < 0) {
            fail(startLine, m_catalog.text(NotAnEntry).arg(excerpt(m_text.mid(start, m_pos - start + 1))));
            return;
        }
        ++m_pos; // '='
        SectionState &section = m_sections[m_current];
        QStringList fields;
        if (!readFields(keyword, startLine, section.kept >= 0 ? &fields : nullptr))
            return;
        if (isVendorKeyword(keyword))
            return;
        const QStringView key = QStringView(m_folded).mid(keyword.data() - m_text.constData(), keyword.size());
        if (const auto first = section.keywordLines.constFind(key); first != section.keywordLines.constEnd()) {
            // Past the kept ones a warning is only counted: its text would never be shown.
            if (m_result.warnings.size() < MaxWarnings)
                m_result.warnings.append(Problem{startLine, m_catalog.text(Repeated).arg(keyword).arg(first.value())});
            ++m_result.warningCount;
            return;
        }
        section.keywordLines.insert(key, startLine);
        if (section.kept >= 0)
            m_result.sections[section.kept].entries.append(Entry{keyword.toString(), fields, startLine});
    }

    // The fields up to the closing ';', over as many lines as they take; only read over when fields is null.
    bool readFields(QStringView keyword, int startLine, QStringList *fields)
    {
        QString field;
        QString pendingBlanks; // kept only between two pieces of one unquoted value
        bool bare = false;     // the field's last piece was unquoted text
        while (true) {
            if (atEnd()) {
                fail(startLine, m_catalog.text(EntryNotClosed).arg(keyword));
                return false;
            }
            const QChar c = peek();
            if (c == QLatin1Char('\n')) {
                ++m_line;
                ++m_pos;
                pendingBlanks.clear();
                bare = false;
            } else if (c == QLatin1Char('$')) {
                skipComment();
            } else if (c == QLatin1Char('"')) {
                if (!readString(fields ? &field : nullptr))
                    return false;
                pendingBlanks.clear();
                bare = false;
            } else if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
                if (fields)
                    fields->append(field);
                field.clear();
                pendingBlanks.clear();
                bare = false;
                ++m_pos;
                if (c == QLatin1Char(';'))
                    return true;
            } else if (c == QLatin1Char('=') || c == QLatin1Char('[')) {
                // No value holds these outside quotes: the ';' before the next entry or section is missing.
                fail(startLine, m_catalog.text(EntryNotClosed).arg(keyword));
                return false;
            } else if (c.isSpace()) {
                if (bare && fields)
                    pendingBlanks.append(c);
                ++m_pos;
            } else {
                if (fields) {
                    if (bare)
                        field.append(pendingBlanks);
                    field.append(c);
                }
                pendingBlanks.clear();
                bare = true;
                ++m_pos;
            }
        }
    }

    // A quoted string on one line; '$' inside it is text. A backslash keeps a quote or a backslash. Only
    // read over when field is null.
    bool readString(QString *field)
    {
        ++m_pos; // opening quote
        while (!atEnd()) {
            const QChar c = peek();
            if (c == QLatin1Char('\n'))
                break;
            ++m_pos;
            if (c == QLatin1Char('"'))
                return true;
            if (c == QLatin1Char('\\') && !atEnd() && (peek() == QLatin1Char('"') || peek() == QLatin1Char('\\'))) {
                if (field)
                    field->append(peek());
                ++m_pos;
                continue;
            }
            if (field)
                field->append(c);
        }
        fail(m_line, m_catalog.text(StringNotClosed));
        return false;
    }

    const QString m_text;
    const QString m_folded; // m_text with ASCII letters in lower case: the keys below point into it
    const TextCatalog &m_catalog;
    QStringList m_keep;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_current = -1;
    QHash<QStringView, int> m_sectionIndex;
    QVector<SectionState> m_sections;
    Parsed m_result;
};

// Which of the sections that tell the format stand at the start of lines, read before the whole syntax:
// a CANopen file (keyword=value lines without ';') is told apart before its first line would be a syntax
// error. Looked at line by line without a copy: a file may hold a million sections.
struct FormatSections
{
    bool canOpen = false; // [FileInfo] or [DeviceInfo]
    bool connectionManager = false;
    bool ioInfo = false;
};

FormatSections formatSections(const QString &text)
{
    FormatSections seen;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        const QStringView line = QStringView(text).mid(from, end - from).trimmed();
        from = end + 1;
        if (!line.startsWith(QLatin1Char('[')))
            continue;
        const qsizetype close = line.indexOf(QLatin1Char(']'));
        if (close <= 0)
            continue;
        const QStringView name = line.mid(1, close - 1).trimmed();
        const auto is = [name](const char *known) {
            return name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0;
        };
        seen.canOpen = seen.canOpen || is("FileInfo") || is("DeviceInfo");
        seen.connectionManager = seen.connectionManager || is("Connection Manager");
        seen.ioInfo = seen.ioInfo || is("IO_Info");
    }
    return seen;
}

// A count or code: decimal digits, or hexadecimal ones after 0x.
std::optional<qint64> number(const QString &field)
{
    const QString t = field.trimmed();
    if (t.isEmpty() || t.size() > 20)
        return std::nullopt;
    bool ok = false;
    qint64 value = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(2);
        for (const QChar c : digits) {
            if (!c.isDigit() && !QStringLiteral("abcdefABCDEF").contains(c))
                return std::nullopt;
        }
        value = digits.toLongLong(&ok, 16);
    } else {
        for (const QChar c : t) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
        }
        value = t.toLongLong(&ok, 10);
    }
    if (!ok)
        return std::nullopt;
    return value;
}

// The rule for the two counts, on a file whose syntax was read. Failures are thrown as Problem and
// caught in read().
class Rule
{
public:
    Rule(const Section &ioInfo, const TextCatalog &catalog)
        : m_io(ioInfo)
        , m_catalog(catalog)
    {}

    qint64 numberField(const Entry &entry, int field) const
    {
        const QString text = entry.fields.value(field - 1);
        const std::optional<qint64> value = number(text);
        if (!value)
            throw Problem{entry.line, m_catalog.text(NotANumber).arg(field).arg(entry.keyword, excerpt(text))};
        return *value;
    }

    // The default mask, or 0 when there is none.
    qint64 defaultMask() const
    {
        const Entry *def = m_io.entry(QStringLiteral("Default"));
        return def ? numberField(*def, 1) : 0;
    }

    void choose(Device *device) const
    {
        static const struct
        {
            Connection type;
            const char *info;
        } byPreference[] = {{Connection::ChangeOfState, "COSInfo"},
                            {Connection::Cyclic, "CyclicInfo"},
                            {Connection::Strobe, "StrobeInfo"}};
        const Entry *info = m_io.entry(QStringLiteral("PollInfo"));
        Connection type = Connection::Poll;
        if (!info) {
            const qint64 mask = defaultMask();
            for (const auto &candidate : byPreference) {
                if (!(mask & qint64(candidate.type)))
                    continue;
                type = candidate.type;
                info = m_io.entry(QLatin1String(candidate.info));
                if (!info) {
                    const Entry *def = m_io.entry(QStringLiteral("Default"));
                    throw Problem{def->line,
                                  m_catalog.text(MissingEntry).arg(def->keyword, QLatin1String(candidate.info))};
                }
                break;
            }
            if (!info)
                throw Problem{m_io.line, m_catalog.text(NoConnection)};
        }
        device->connection = type;
        const int inputNumber = connectionNumber(*info, 2);
        device->inputs = entries(QStringLiteral("Input"), inputNumber, type, *info, &device->defaultInput);
        if (type == Connection::Strobe) {
            // A strobe request carries one bit per slave and no data of the slave's own.
            device->outputs = {IoEntry{}};
            device->defaultOutput = 0;
        } else {
            const int outputNumber = connectionNumber(*info, 3);
            device->outputs = entries(QStringLiteral("Output"), outputNumber, type, *info, &device->defaultOutput);
        }
    }

private:
    // The entry number a connection entry gives in that field: 0 (none) or an entry number.
    int connectionNumber(const Entry &info, int field) const
    {
        const qint64 value = numberField(info, field);
        if (value > MaxEntryNumber)
            throw Problem{info.line,
                          m_catalog.text(NoEntryNumber).arg(field).arg(info.keyword).arg(value).arg(MaxEntryNumber)};
        return int(value);
    }

    int size(const Entry &entry) const
    {
        const qint64 bytes = numberField(entry, 1);
        if (bytes > MaxBytesPerSlave)
            throw Problem{entry.line,
                          m_catalog.text(SizeOutOfRange).arg(entry.keyword).arg(bytes).arg(MaxBytesPerSlave)};
        return int(bytes);
    }

    // The default entry and the others of that kind whose type mask names the connection. Both are found
    // by entryNumber(), so that the entry whose size is checked is the one in the list.
    QVector<IoEntry> entries(const QString &kind, int defaultNumber, Connection type, const Entry &info,
                             int *defaultIndex) const
    {
        *defaultIndex = 0;
        if (defaultNumber == 0)
            return {IoEntry{}};
        QVector<IoEntry> found;
        bool hasDefault = false;
        for (const Entry &entry : m_io.entries) {
            const int n = entryNumber(entry.keyword, kind);
            if (n == 0)
                continue;
            if (n == defaultNumber) {
                found.append(IoEntry{n, size(entry), entry.fields.value(3)});
                hasDefault = true;
                continue;
            }
            // Another choice only when it is meant for this connection and its size is usable.
            const std::optional<qint64> mask = number(entry.fields.value(2));
            const std::optional<qint64> bytes = number(entry.fields.value(0));
            if (mask && (*mask & qint64(type)) && bytes && *bytes <= MaxBytesPerSlave)
                found.append(IoEntry{n, int(*bytes), entry.fields.value(3)});
        }
        if (!hasDefault)
            throw Problem{info.line,
                          m_catalog.text(MissingEntry).arg(info.keyword, kind + QString::number(defaultNumber))};
        std::sort(found.begin(), found.end(), [](const IoEntry &a, const IoEntry &b) { return a.number < b.number; });
        for (int i = 0; i < found.size(); ++i) {
            if (found.at(i).number == defaultNumber)
                *defaultIndex = i;
        }
        return found;
    }

    const Section &m_io;
    const TextCatalog &m_catalog;
};

QString firstField(const Section *device, const char *keyword)
{
    const Entry *entry = device ? device->entry(QLatin1String(keyword)) : nullptr;
    return entry ? entry->fields.value(0).trimmed() : QString();
}

QString decimal(const Section *device, const char *keyword)
{
    const QString text = firstField(device, keyword);
    const std::optional<qint64> value = number(text);
    return value ? QString::number(*value) : text;
}

Result readText(const QByteArray &bytes, const QString &name, const TextCatalog &catalog)
{
    Result result;
    const QString decoded = LanguageFile::decode(bytes);
    if (!LanguageFile::isText(decoded)) {
        result.error = catalog.text(NotText).arg(name);
        return result;
    }
    const QString text = unixLineEnds(decoded);

    const FormatSections seen = formatSections(text);
    if (seen.canOpen) {
        result.error = catalog.text(CanOpenFile).arg(name);
        return result;
    }
    if (seen.connectionManager && !seen.ioInfo) {
        result.error = catalog.text(EtherNetIpFile).arg(name);
        return result;
    }

    // The sections the rule below reads; the others are checked for their syntax only.
    const Parsed parsed = parse(
        text, catalog, {QStringLiteral("Device"), QStringLiteral("IO_Info"), QStringLiteral("Device Classification")});
    const auto located = [&](const Problem &p) { return catalog.text(AtLine).arg(name).arg(p.line).arg(p.what); };
    for (const Problem &warning : parsed.warnings)
        result.warnings.append(located(warning));
    if (parsed.warningCount > parsed.warnings.size())
        result.warnings.append(catalog.text(MoreWarnings).arg(name).arg(parsed.warningCount - parsed.warnings.size()));
    if (parsed.error) {
        result.error = located(*parsed.error);
        return result;
    }
    if (const Section *classification = parsed.section(QStringLiteral("Device Classification"))) {
        const Entry *class1 = classification->entry(QStringLiteral("Class1"));
        if (class1 &&
            class1->fields.value(0).trimmed().compare(QLatin1String("EtherNetIP"), Qt::CaseInsensitive) == 0) {
            result.error = catalog.text(EtherNetIpFile).arg(name);
            return result;
        }
    }
    const Section *ioInfo = parsed.section(QStringLiteral("IO_Info"));
    if (!ioInfo) {
        result.error = catalog.text(NoIoInfo).arg(name);
        return result;
    }

    Device device;
    const Section *info = parsed.section(QStringLiteral("Device"));
    device.productName = firstField(info, "ProdName");
    device.vendorName = firstField(info, "VendName");
    device.vendorCode = decimal(info, "VendCode");
    device.productCode = decimal(info, "ProdCode");
    const QString major = decimal(info, "MajRev");
    const QString minor = decimal(info, "MinRev");
    if (!major.isEmpty())
        device.revision = major + QLatin1Char('.') + minor.rightJustified(3, QLatin1Char('0'));
    try {
        Rule(*ioInfo, catalog).choose(&device);
    } catch (const Problem &problem) {
        result.error = located(problem);
        return result;
    }
    result.device = device;
    return result;
}

} // namespace

int entryNumber(QStringView keyword, QStringView kind)
{
    if (keyword.size() <= kind.size() || !keyword.startsWith(kind, Qt::CaseInsensitive))
        return 0;
    const QStringView digits = keyword.mid(kind.size());
    // At most five digits, the first not 0: anything else is another keyword.
    if (digits.size() > 5 || digits.front() == QLatin1Char('0'))
        return 0;
    int n = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
        n = n * 10 + (c.unicode() - '0');
    }
    return n <= MaxEntryNumber ? n : 0;
}

const Entry *Section::entry(const QString &keyword) const
{
    for (const Entry &e : entries) {
        if (e.keyword.size() == keyword.size() && e.keyword.compare(keyword, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

const Section *Parsed::section(const QString &name) const
{
    for (const Section &s : sections) {
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

Parsed parse(const QString &text, const TextCatalog &catalog, const QStringList &keep)
{
    return Parser(unixLineEnds(text), catalog, keep).run();
}

Result read(const QByteArray &bytes, const QString &name, const TextCatalog &catalog)
{
    try {
        return readText(bytes, name, catalog);
    } catch (const std::exception &e) {
        Result result;
        result.error = name + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
        return result;
    }
}

Result readFile(const QString &path, const TextCatalog &catalog)
{
    QString error;
    std::optional<QByteArray> bytes;
    try {
        bytes = BoundedFile::read(path, &error, MaxFileSize);
    } catch (const std::exception &e) {
        error = path + QStringLiteral(": ") + QString::fromLocal8Bit(e.what());
    }
    if (!bytes) {
        Result result;
        result.error = error;
        return result;
    }
    return read(*bytes, path, catalog);
}

QString connectionText(Connection connection, const TextCatalog &catalog)
{
    switch (connection) {
    case Connection::Poll:
        return catalog.text(PollText);
    case Connection::ChangeOfState:
        return catalog.text(ChangeOfStateText);
    case Connection::Cyclic:
        return catalog.text(CyclicText);
    case Connection::Strobe:
        return catalog.text(StrobeText);
    }
    return QString();
}

} // namespace Eds
