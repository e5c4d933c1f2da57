#include "LanguageFile.h"

#include "base/ParseIntOrDefault.h"
#include "base/TextUtil.h"

#include <QStringDecoder>

namespace LanguageFile {

namespace {

const QChar Pilcrow(0x00B6);

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    // The bytes 0x80..0x9F differ from Latin-1; 0 marks the five unassigned ones (kept as is).
    static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const uchar c = uchar(ch);
        if (c >= 0x80 && c <= 0x9F && high[c - 0x80] != 0)
            out.append(QChar(high[c - 0x80]));
        else
            out.append(QChar(c));
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    if (auto encoding = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*encoding);
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes);
}

bool isText(const QString &decoded)
{
    for (const QChar c : decoded) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\f' && u != u'\r') || u == 0x7F)
            return false;
    }
    return true;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    int start = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

Line parseLine(const QString &rawLine, int lineNumber, int catalogSize)
{
    Line line;
    line.lineNumber = lineNumber;
    const QString trimmed = trimControl(rawLine);
    if (!trimmed.startsWith(QLatin1String("STR")))
        return line;
    const int equals = trimmed.indexOf(QLatin1Char('='));
    if (equals < 0) {
        line.kind = LineKind::NoEquals;
        return line;
    }
    const QString indexText = trimControl(trimmed.mid(3, equals - 3));
    if (!tryParseInt(indexText, &line.index)) {
        line.index = -1;
        line.kind = LineKind::BadIndex;
        return line;
    }
    if (line.index < 0 || line.index >= catalogSize) {
        line.kind = LineKind::OutOfRange;
        return line;
    }
    QString text = trimControl(trimmed.mid(equals + 1));
    const int comment = text.indexOf(QLatin1String("/#/"));
    if (comment >= 0)
        text = trimControl(text.left(comment));
    if (text.isEmpty()) {
        line.kind = LineKind::EmptyText;
        return line;
    }
    if (text.startsWith(Pilcrow))
        text.remove(0, 1);
    const int pilcrow = text.indexOf(Pilcrow);
    if (pilcrow >= 0)
        text.truncate(pilcrow);
    line.kind = LineKind::Entry;
    line.text = text;
    return line;
}

QVector<Line> parse(const QByteArray &bytes, int catalogSize)
{
    QVector<Line> result;
    const QStringList lines = splitLines(decode(bytes));
    result.reserve(lines.size());
    for (int i = 0; i < lines.size(); ++i)
        result.append(parseLine(lines.at(i), i + 1, catalogSize));
    return result;
}

QString encodeText(const QString &text)
{
    const bool frame = text.isEmpty() || text.front().unicode() <= 32 || text.back().unicode() <= 32 ||
                       text.contains(QLatin1String("/#/"));
    return frame ? Pilcrow + text + Pilcrow : text;
}

} // namespace LanguageFile
