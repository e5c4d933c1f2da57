#include "TextEncoding.h"

#include <QStringDecoder>
#include <QSysInfo>

#include <algorithm>

namespace TextEncoding {

namespace {

bool startsWith(const QByteArray &bytes, std::initializer_list<uchar> prefix)
{
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    qsizetype i = 0;
    for (const uchar b : prefix) {
        if (uchar(bytes.at(i++)) != b)
            return false;
    }
    return true;
}

bool isZero(const QByteArray &bytes, qsizetype i)
{
    return i < bytes.size() && bytes.at(i) == 0;
}

bool isAscii(const QByteArray &bytes, qsizetype i)
{
    return i < bytes.size() && bytes.at(i) > 0; // char is signed: 0x80..0xFF are below 0
}

} // namespace

std::optional<QStringConverter::Encoding> detectUnicode(const QByteArray &bytes)
{
    using E = QStringConverter::Encoding;
    // UTF-32 LE's mark begins with UTF-16 LE's: the longer one first.
    if (startsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}))
        return E::Utf32BE;
    if (startsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}))
        return E::Utf32LE;
    if (startsWith(bytes, {0xFE, 0xFF}))
        return E::Utf16BE;
    if (startsWith(bytes, {0xFF, 0xFE}))
        return E::Utf16LE;
    if (isZero(bytes, 0) && isZero(bytes, 1) && isZero(bytes, 2) && isAscii(bytes, 3))
        return E::Utf32BE;
    if (isAscii(bytes, 0) && isZero(bytes, 1) && isZero(bytes, 2) && isZero(bytes, 3))
        return E::Utf32LE;
    if (isZero(bytes, 0) && isAscii(bytes, 1))
        return E::Utf16BE;
    if (isAscii(bytes, 0) && isZero(bytes, 1))
        return E::Utf16LE;
    return std::nullopt;
}

int bomLength(const QByteArray &bytes, QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    switch (encoding) {
    case E::Utf8:
        return startsWith(bytes, {0xEF, 0xBB, 0xBF}) ? 3 : 0;
    case E::Utf16BE:
        return startsWith(bytes, {0xFE, 0xFF}) ? 2 : 0;
    case E::Utf16LE:
        return startsWith(bytes, {0xFF, 0xFE}) ? 2 : 0;
    case E::Utf32BE:
        return startsWith(bytes, {0x00, 0x00, 0xFE, 0xFF}) ? 4 : 0;
    case E::Utf32LE:
        return startsWith(bytes, {0xFF, 0xFE, 0x00, 0x00}) ? 4 : 0;
    default:
        return 0;
    }
}

namespace {

qsizetype unitWidth(QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    switch (encoding) {
    case E::Utf16:
    case E::Utf16BE:
    case E::Utf16LE:
        return 2;
    case E::Utf32:
    case E::Utf32BE:
    case E::Utf32LE:
        return 4;
    default:
        return 1;
    }
}

bool bigEndian(QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    return encoding == E::Utf16BE || encoding == E::Utf32BE ||
           ((encoding == E::Utf16 || encoding == E::Utf32) && QSysInfo::ByteOrder == QSysInfo::BigEndian);
}

// Qt's UTF-32 decoder turns any unit into characters, 0x04010000 into U+10000 and a unit in the surrogate
// range into half a pair: every unit is checked here instead.
std::optional<QString> decodeUtf32(QByteArrayView bytes, bool big)
{
    QString out;
    out.reserve(bytes.size() / 4);
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4) {
        const char32_t u = big ? char32_t(b[i]) << 24 | char32_t(b[i + 1]) << 16 | char32_t(b[i + 2]) << 8 | b[i + 3]
                               : char32_t(b[i + 3]) << 24 | char32_t(b[i + 2]) << 16 | char32_t(b[i + 1]) << 8 | b[i];
        if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
            return std::nullopt;
        if (u > 0xFFFF) {
            out.append(QChar(QChar::highSurrogate(u)));
            out.append(QChar(QChar::lowSurrogate(u)));
        } else {
            out.append(QChar(char16_t(u)));
        }
    }
    return out;
}

// Half of a surrogate pair is no character in any of these encodings.
bool pairsWhole(const QString &text)
{
    const qsizetype n = text.size();
    const QChar *d = text.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (!d[i].isSurrogate())
            continue;
        if (d[i].isHighSurrogate() && i + 1 < n && d[i + 1].isLowSurrogate())
            ++i;
        else
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> decodePiece(QByteArrayView piece, QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    // A last code unit cut short is dropped by the decoder without a word.
    const qsizetype unit = unitWidth(encoding);
    if (piece.size() % unit != 0)
        return std::nullopt;
    if (encoding == E::Latin1)
        return QString::fromLatin1(piece);
    if (unit == 4)
        return decodeUtf32(piece, bigEndian(encoding));
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(piece);
    // Qt's UTF-8 decoder already refuses an encoded surrogate; UTF-16 keeps a lone half as it is.
    if (decoder.hasError() || (unit == 2 && !pairsWhole(text)))
        return std::nullopt;
    return text;
}

std::optional<QString> decodeStrict(const QByteArray &bytes, QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    qsizetype bom = bomLength(bytes, encoding);
    // Without a stated byte order, a mark states it; without one the machine's order is read.
    if (encoding == E::Utf16 || encoding == E::Utf32) {
        const E little = encoding == E::Utf16 ? E::Utf16LE : E::Utf32LE;
        const E big = encoding == E::Utf16 ? E::Utf16BE : E::Utf32BE;
        if ((bom = bomLength(bytes, little)) != 0)
            encoding = little;
        else if ((bom = bomLength(bytes, big)) != 0)
            encoding = big;
    }
    return decodePiece(QByteArrayView(bytes).sliced(bom), encoding);
}

qsizetype pieceEnd(QByteArrayView bytes, qsizetype from, qsizetype size, QStringConverter::Encoding encoding)
{
    const qsizetype n = bytes.size();
    const qsizetype unit = unitWidth(encoding);
    if (size >= n - from)
        return n;
    qsizetype end = from + std::max(unit, size - size % unit);
    if (end >= n)
        return n;
    const auto byteAt = [&](qsizetype i) { return uchar(bytes.at(i)); };
    if (encoding == QStringConverter::Utf8) {
        // Never before a continuation byte of a sequence: back to its lead byte, or on past the sequence.
        const auto continues = [&](qsizetype i) { return (byteAt(i) & 0xC0) == 0x80; };
        qsizetype back = end;
        while (back > from && end - back < 3 && continues(back))
            --back;
        if (back > from && !continues(back))
            return back;
        while (end < n && end - from < size + 3 && continues(end))
            ++end;
        return end;
    }
    if (unit == 2) {
        // Never between the two halves of a surrogate pair.
        const bool big = bigEndian(encoding);
        const char16_t before = big ? char16_t(byteAt(end - 2) << 8 | byteAt(end - 1))
                                    : char16_t(byteAt(end - 1) << 8 | byteAt(end - 2));
        if (QChar::isHighSurrogate(before))
            end += end - 2 > from ? -2 : 2;
        return std::min(end, n);
    }
    return end;
}

QString decodeWindows1252(QByteArrayView bytes)
{
    static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *to = reinterpret_cast<char16_t *>(out.data());
    for (const char ch : bytes) {
        const uchar c = uchar(ch);
        *to++ = c >= 0x80 && c <= 0x9F && high[c - 0x80] != 0 ? high[c - 0x80] : char16_t(c);
    }
    return out;
}

} // namespace TextEncoding
