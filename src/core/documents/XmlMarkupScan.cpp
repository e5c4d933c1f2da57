#include "XmlMarkupScan.h"

#include <QSysInfo>

#include <array>
#include <cstring>

namespace XmlMarkupScan {

namespace {

// The ASCII characters that change the state inside a start tag or a declaration, marked by their code.
using MarkupSet = std::array<bool, 256>;

constexpr MarkupSet markupSet(const char *characters)
{
    MarkupSet set{};
    for (; *characters; ++characters)
        set[uchar(*characters)] = true;
    return set;
}

constexpr MarkupSet kTagMarkup = markupSet("\"'=[]>");

// The code units of the document as numbers, whatever their width and byte order.
struct Units
{
    const uchar *data;
    qsizetype count;
    int width;
    bool bigEndian;

    char32_t at(qsizetype i) const
    {
        if (width == 1)
            return data[i];
        const uchar *p = data + i * width;
        char32_t u = 0;
        for (int b = 0; b < width; ++b)
            u |= char32_t(p[bigEndian ? b : width - 1 - b]) << (8 * (width - 1 - b));
        return u;
    }
    // The position of the first unit from i on that is the ASCII character c, or count when there is none.
    qsizetype find(qsizetype i, char c) const
    {
        if (width == 1) {
            const void *hit = std::memchr(data + i, c, size_t(count - i));
            return hit ? static_cast<const uchar *>(hit) - data : count;
        }
        while (i < count && at(i) != char32_t(uchar(c)))
            ++i;
        return i;
    }
    // The position of the first unit from i on that is one of the ASCII characters in `set`, or count.
    qsizetype findAny(qsizetype i, const MarkupSet &set) const
    {
        if (width == 1) {
            while (i < count && !set[data[i]])
                ++i;
            return i;
        }
        for (; i < count; ++i) {
            const char32_t c = at(i);
            if (c < 128 && set[c])
                break;
        }
        return i;
    }
    bool startsWith(qsizetype i, const char *ascii) const
    {
        for (qsizetype k = 0; ascii[k]; ++k) {
            if (i + k >= count || at(i + k) != char32_t(uchar(ascii[k])))
                return false;
        }
        return true;
    }
};

Units unitsOf(const QByteArray &bytes)
{
    const auto *d = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    const auto has = [&](std::initializer_list<int> prefix) {
        if (n < qsizetype(prefix.size()))
            return false;
        qsizetype i = 0;
        for (const int b : prefix) {
            if (d[i++] != b)
                return false;
        }
        return true;
    };
    // By the byte-order mark, or by the bytes of "<" as the parser guesses them without one.
    if (has({0x00, 0x00, 0xFE, 0xFF}) || has({0x00, 0x00, 0x00, 0x3C}))
        return {d, n / 4, 4, true};
    if (has({0xFF, 0xFE, 0x00, 0x00}) || has({0x3C, 0x00, 0x00, 0x00}))
        return {d, n / 4, 4, false};
    if (has({0xFE, 0xFF}) || has({0x00, 0x3C}))
        return {d, n / 2, 2, true};
    if (has({0xFF, 0xFE}) || has({0x3C, 0x00}))
        return {d, n / 2, 2, false};
    return {d, n, 1, false};
}

// Where the unit at `at` stands, as the parser counts lines and columns: the column counts characters,
// and UTF-8 continuation bytes are no characters of their own.
Finding findingAt(const Units &u, qsizetype at)
{
    qint64 line = 1;
    qsizetype lineStart = 0;
    for (qsizetype k = u.find(0, '\n'); k < at; k = u.find(k + 1, '\n')) {
        ++line;
        lineStart = k + 1;
    }
    qint64 column = 0;
    for (qsizetype k = lineStart; k <= at; ++k)
        column += u.width != 1 || (u.at(k) & 0xC0) != 0x80;
    return {line, column, QStringLiteral("an element has more than %1 attributes").arg(MaxAttributes)};
}

Finding scanUnits(const Units &u)
{
    enum class State { Text, StartTag, Skip, Declaration };
    State state = State::Text;
    const char *skipUntil = nullptr; // the end of a comment, CDATA section, instruction or end tag
    char quote = 0;
    int attributes = 0;
    int bracketDepth = 0;
    // Text, comments and quoted values are passed over a search at a time: only the markup around them
    // is read unit by unit.
    for (qsizetype i = 0; i < u.count; ++i) {
        switch (state) {
        case State::Text:
            i = u.find(i, '<');
            if (i == u.count)
                return {};
            if (u.startsWith(i, "<!--")) {
                state = State::Skip;
                skipUntil = "-->";
            } else if (u.startsWith(i, "<![CDATA[")) {
                state = State::Skip;
                skipUntil = "]]>";
            } else if (u.startsWith(i, "<?")) {
                state = State::Skip;
                skipUntil = "?>";
            } else if (u.startsWith(i, "</")) {
                state = State::Skip;
                skipUntil = ">";
            } else if (u.startsWith(i, "<!")) {
                state = State::Declaration;
                quote = 0;
                bracketDepth = 0;
            } else {
                state = State::StartTag;
                quote = 0;
                attributes = 0;
            }
            break;
        case State::StartTag:
        case State::Declaration:
            if (quote != 0) {
                i = u.find(i, quote);
                quote = 0;
                break;
            }
            i = u.findAny(i, kTagMarkup);
            if (i == u.count)
                return {};
            switch (u.at(i)) {
            case U'"':
            case U'\'':
                quote = char(u.at(i));
                break;
            case U'=':
                if (state == State::StartTag && ++attributes > MaxAttributes)
                    return findingAt(u, i);
                break;
            case U'[':
                ++bracketDepth;
                break;
            case U']':
                --bracketDepth;
                break;
            case U'>':
                if (state == State::StartTag || bracketDepth <= 0)
                    state = State::Text;
                break;
            default:
                break;
            }
            break;
        case State::Skip:
            i = u.find(i, skipUntil[0]);
            if (u.startsWith(i, skipUntil)) {
                i += qsizetype(qstrlen(skipUntil)) - 1;
                state = State::Text;
            }
            break;
        }
    }
    return {};
}

} // namespace

Finding scan(const QByteArray &bytes)
{
    return scanUnits(unitsOf(bytes));
}

Finding scan(QStringView text)
{
    return scanUnits(
        {reinterpret_cast<const uchar *>(text.utf16()), text.size(), 2, QSysInfo::ByteOrder == QSysInfo::BigEndian});
}

} // namespace XmlMarkupScan
