#include "TextEncoding.h"

#include <QStringDecoder>

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

std::optional<QString> decodeStrict(const QByteArray &bytes, QStringConverter::Encoding encoding)
{
    using E = QStringConverter::Encoding;
    // A last code unit cut short is dropped by the decoder without a word.
    const qsizetype unit = encoding == E::Utf16 || encoding == E::Utf16BE || encoding == E::Utf16LE   ? 2
                           : encoding == E::Utf32 || encoding == E::Utf32BE || encoding == E::Utf32LE ? 4
                                                                                                      : 1;
    if (bytes.size() % unit != 0)
        return std::nullopt;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    // Half of a surrogate pair is no character in any of these encodings.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return std::nullopt;
    }
    return text;
}

QString decodeWindows1252(const QByteArray &bytes)
{
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

} // namespace TextEncoding
