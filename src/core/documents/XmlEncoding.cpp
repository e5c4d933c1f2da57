#include "XmlEncoding.h"

#include "base/AppError.h"
#include "base/TextEncoding.h"

#include <QStringDecoder>

namespace XmlEncoding {

namespace {

using Encoding = QStringConverter::Encoding;

enum class Family { Utf8, Utf16, Utf32 };

Family familyOf(Encoding e)
{
    switch (e) {
    case Encoding::Utf16:
    case Encoding::Utf16BE:
    case Encoding::Utf16LE:
        return Family::Utf16;
    case Encoding::Utf32:
    case Encoding::Utf32BE:
    case Encoding::Utf32LE:
        return Family::Utf32;
    default:
        return Family::Utf8;
    }
}

// The value of encoding="..." in an XML declaration at the very start of the text, or an empty text.
// Only the first few hundred characters are looked at: a declaration is short.
QString declaredEncoding(QStringView start)
{
    if (!start.startsWith(QLatin1String("<?xml")) || start.size() < 6 || !start.at(5).isSpace())
        return QString();
    const qsizetype end = start.indexOf(QLatin1String("?>"));
    const QStringView declaration = start.left(end < 0 ? start.size() : end);
    qsizetype at = declaration.indexOf(QLatin1String("encoding"));
    if (at < 0)
        return QString();
    at += 8;
    const auto skipBlanks = [&] {
        while (at < declaration.size() && declaration.at(at).isSpace())
            ++at;
    };
    skipBlanks();
    if (at >= declaration.size() || declaration.at(at) != QLatin1Char('='))
        return QString();
    ++at;
    skipBlanks();
    if (at >= declaration.size() || (declaration.at(at) != QLatin1Char('"') && declaration.at(at) != QLatin1Char('\'')))
        return QString();
    const QChar quote = declaration.at(at);
    const qsizetype close = declaration.indexOf(quote, at + 1);
    if (close < 0)
        return QString();
    return declaration.mid(at + 1, close - at - 1).toString();
}

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    for (const char *n : names) {
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

[[noreturn]] void refuse(const QString &file, const QString &reason)
{
    throw AppError(QStringLiteral("%1: %2").arg(file, reason));
}

[[noreturn]] void refuseEncoding(const QString &file, const QString &name)
{
    refuse(file, QStringLiteral("the document is declared in the encoding \"%1\", which this program does not read "
                                "(it reads UTF-8, UTF-16, UTF-32, ISO-8859-1 and Windows-1252)")
                     .arg(name));
}

[[noreturn]] void refuseInvalid(const QString &file, const char *encoding)
{
    refuse(file, QStringLiteral("the document is not valid %1 text").arg(QLatin1String(encoding)));
}

const char *nameOf(Family family)
{
    switch (family) {
    case Family::Utf16:
        return "UTF-16";
    case Family::Utf32:
        return "UTF-32";
    default:
        return "UTF-8";
    }
}

} // namespace

Pieces::Pieces(const QByteArray &bytes, const QString &file)
    : m_bytes(bytes)
    , m_file(file)
{
    // The declaration is ASCII in every encoding read here: its characters are found in the first units
    // decoded as the byte-order mark or the byte pattern says.
    const std::optional<Encoding> unicode = TextEncoding::detectUnicode(bytes);
    const Family family = unicode ? familyOf(*unicode) : Family::Utf8;
    const qsizetype width = family == Family::Utf32 ? 4 : family == Family::Utf16 ? 2 : 1;
    const QByteArray head = bytes.mid(unicode ? 0 : TextEncoding::bomLength(bytes, Encoding::Utf8), 512 * width);
    const QString headText = QStringDecoder(unicode.value_or(Encoding::Latin1)).decode(head);
    const QString declared = declaredEncoding(headText);

    if (unicode) {
        // Without a mark, the byte order is the pattern's; a declaration may only name the same family.
        const bool sameFamily = declared.isEmpty() ||
                                (family == Family::Utf16 && isOneOf(declared, {"UTF-16", "UTF-16LE", "UTF-16BE"})) ||
                                (family == Family::Utf32 && isOneOf(declared, {"UTF-32", "UTF-32LE", "UTF-32BE"}));
        if (!sameFamily) {
            if (isOneOf(declared, {"UTF-8", "UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32", "UTF-32LE", "UTF-32BE",
                                   "ISO-8859-1", "ISO_8859-1", "Latin1", "Latin-1", "windows-1252", "cp1252"}))
                refuse(file, QStringLiteral("the document is declared as %1 but stored as %2")
                                 .arg(declared, QLatin1String(nameOf(family))));
            refuseEncoding(file, declared);
        }
        m_encoding = *unicode;
        m_next = TextEncoding::bomLength(bytes, m_encoding);
        // A last unit cut short is seen before anything is parsed.
        if ((bytes.size() - m_next) % width != 0)
            refuseInvalid(file, nameOf(family));
        return;
    }

    const bool utf8Bom = TextEncoding::bomLength(bytes, Encoding::Utf8) != 0;
    if (declared.isEmpty() || isOneOf(declared, {"UTF-8"})) {
        m_next = utf8Bom ? 3 : 0;
        return;
    }
    const bool latin1 = isOneOf(declared, {"ISO-8859-1", "ISO_8859-1", "Latin1", "Latin-1"});
    const bool windows1252 = isOneOf(declared, {"windows-1252", "cp1252"});
    if (!latin1 && !windows1252) {
        if (isOneOf(declared, {"UTF-16", "UTF-16LE", "UTF-16BE", "UTF-32", "UTF-32LE", "UTF-32BE"}))
            refuse(file, QStringLiteral("the document is declared as %1 but stored as UTF-8").arg(declared));
        refuseEncoding(file, declared);
    }
    if (utf8Bom)
        refuse(file, QStringLiteral("the document is declared as %1 but stored as UTF-8").arg(declared));
    m_encoding = Encoding::Latin1;
    m_kind = latin1 ? Kind::Converter : Kind::Windows1252;
}

QString Pieces::next(qsizetype size)
{
    const qsizetype end = TextEncoding::pieceEnd(m_bytes, m_next, size, m_encoding);
    const QByteArrayView piece = QByteArrayView(m_bytes).sliced(m_next, end - m_next);
    m_last = m_next;
    m_next = end;
    if (m_kind == Kind::Windows1252)
        return TextEncoding::decodeWindows1252(piece);
    std::optional<QString> text = TextEncoding::decodePiece(piece, m_encoding);
    if (!text)
        refuseInvalid(m_file, nameOf(familyOf(m_encoding)));
    return *std::move(text);
}

} // namespace XmlEncoding
