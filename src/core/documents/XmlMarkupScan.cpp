#include "XmlMarkupScan.h"

namespace XmlMarkupScan {

namespace {

// The code units of the document as numbers, whatever their width and byte order.
struct Units
{
    const uchar *data;
    qsizetype count;
    int width;
    bool bigEndian;

    char32_t at(qsizetype i) const
    {
        const uchar *p = data + i * width;
        char32_t u = 0;
        for (int b = 0; b < width; ++b)
            u |= char32_t(p[bigEndian ? b : width - 1 - b]) << (8 * (width - 1 - b));
        return u;
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

} // namespace

Finding scan(const QByteArray &bytes)
{
    const Units u = unitsOf(bytes);
    enum class State { Text, StartTag, Skip, Declaration };
    State state = State::Text;
    const char *skipUntil = nullptr; // the end of a comment, CDATA section, instruction or end tag
    char32_t quote = 0;
    int attributes = 0;
    int bracketDepth = 0;
    qint64 line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < u.count; ++i) {
        const char32_t c = u.at(i);
        if (c == U'\n') {
            ++line;
            lineStart = i + 1;
        }
        switch (state) {
        case State::Text:
            if (c != U'<')
                break;
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
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == U'"' || c == U'\'') {
                quote = c;
            } else if (c == U'=') {
                if (++attributes > MaxAttributes) {
                    // The column counts characters: UTF-8 continuation bytes are no characters of their own.
                    qint64 column = 0;
                    for (qsizetype k = lineStart; k <= i; ++k)
                        column += u.width != 1 || (u.at(k) & 0xC0) != 0x80;
                    return {line, column, QStringLiteral("an element has more than %1 attributes").arg(MaxAttributes)};
                }
            } else if (c == U'>') {
                state = State::Text;
            }
            break;
        case State::Skip:
            if (u.startsWith(i, skipUntil)) {
                i += qsizetype(qstrlen(skipUntil)) - 1;
                state = State::Text;
            }
            break;
        case State::Declaration:
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == U'"' || c == U'\'') {
                quote = c;
            } else if (c == U'[') {
                ++bracketDepth;
            } else if (c == U']') {
                --bracketDepth;
            } else if (c == U'>' && bracketDepth <= 0) {
                state = State::Text;
            }
            break;
        }
    }
    return {};
}

} // namespace XmlMarkupScan
