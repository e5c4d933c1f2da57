#include "LanguageFile.h"

#include "base/ParseIntOrDefault.h"
#include "base/TextEncoding.h"
#include "base/TextUtil.h"

#include <QStringDecoder>

namespace LanguageFile {

namespace {

const QChar Pilcrow(0x00B6);

} // namespace

QString decode(const QByteArray &bytes)
{
    if (TextEncoding::bomLength(bytes, QStringConverter::Utf8) != 0)
        return QStringDecoder(QStringConverter::Utf8).decode(bytes);
    if (const auto encoding = TextEncoding::detectUnicode(bytes))
        return QStringDecoder(*encoding).decode(bytes);
    if (const auto text = TextEncoding::decodeStrict(bytes, QStringConverter::Utf8))
        return *text;
    return TextEncoding::decodeWindows1252(bytes);
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
