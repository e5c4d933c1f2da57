#include "XmlMarkupScan.h"

#include <array>

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

// The document's text as UTF-16 code units; the markup characters are all single units.
struct Units
{
    QStringView text;

    char16_t at(qsizetype i) const { return text[i].unicode(); }
    qsizetype count() const { return text.size(); }
    // The position of the first unit from i on that is the ASCII character c, or count() when there is none.
    qsizetype find(qsizetype i, char c) const
    {
        const qsizetype hit = text.indexOf(QLatin1Char(c), i);
        return hit < 0 ? count() : hit;
    }
    // The position of the first unit from i on that is one of the ASCII characters in `set`, or count().
    qsizetype findAny(qsizetype i, const MarkupSet &set) const
    {
        const qsizetype n = count();
        const char16_t *d = text.utf16();
        while (i < n && !(d[i] < 128 && set[d[i]]))
            ++i;
        return i;
    }
    bool startsWith(qsizetype i, const char *ascii) const
    {
        for (qsizetype k = 0; ascii[k]; ++k) {
            if (i + k >= count() || at(i + k) != char16_t(uchar(ascii[k])))
                return false;
        }
        return true;
    }
};

// The longest markup whose meaning the scan reads ahead for: "<![CDATA[".
constexpr qsizetype LongestLookahead = 9;

} // namespace

Finding Scanner::feed(QStringView piece, bool last)
{
    QString joined;
    QStringView text = piece;
    if (!m_carry.isEmpty()) {
        joined.reserve(m_carry.size() + piece.size());
        joined.append(m_carry).append(piece);
        m_carry.clear();
        text = joined;
    }
    const Units u{text};
    const qsizetype n = u.count();
    // Lines are counted up to a position of this text, as the parser counts them for its messages (in
    // UTF-16 units).
    const auto countLines = [&](qsizetype upTo) {
        for (qsizetype k = u.find(0, '\n'); k < upTo; k = u.find(k + 1, '\n')) {
            ++m_line;
            m_lineStart = m_offset + k + 1;
        }
    };
    const auto findingAt = [&](qsizetype at) {
        countLines(at);
        return Finding{m_line, m_offset + at - m_lineStart + 1,
                       QStringLiteral("an element has more than %1 attributes").arg(MaxAttributes)};
    };
    // Where the text still undecided starts: it is read again with the next piece.
    qsizetype undecided = n;
    // Text, comments and quoted values are passed over a search at a time: only the markup around them
    // is read unit by unit.
    for (qsizetype i = 0; i < n; ++i) {
        switch (m_state) {
        case State::Text:
            i = u.find(i, '<');
            if (i < n && !last && n - i < LongestLookahead) {
                undecided = i;
                i = n;
                break;
            }
            if (i == n)
                break;
            if (u.startsWith(i, "<!--")) {
                m_state = State::Skip;
                m_skipUntil = "-->";
            } else if (u.startsWith(i, "<![CDATA[")) {
                m_state = State::Skip;
                m_skipUntil = "]]>";
            } else if (u.startsWith(i, "<?")) {
                m_state = State::Skip;
                m_skipUntil = "?>";
            } else if (u.startsWith(i, "</")) {
                m_state = State::Skip;
                m_skipUntil = ">";
            } else if (u.startsWith(i, "<!")) {
                m_state = State::Declaration;
                m_quote = 0;
                m_bracketDepth = 0;
            } else {
                m_state = State::StartTag;
                m_quote = 0;
                m_attributes = 0;
            }
            break;
        case State::StartTag:
        case State::Declaration:
            if (m_quote != 0) {
                i = u.find(i, m_quote);
                if (i < n)
                    m_quote = 0;
                break;
            }
            i = u.findAny(i, kTagMarkup);
            if (i == n)
                break;
            switch (u.at(i)) {
            case U'"':
            case U'\'':
                m_quote = char(u.at(i));
                break;
            case U'=':
                if (m_state == State::StartTag && ++m_attributes > MaxAttributes)
                    return findingAt(i);
                break;
            case U'[':
                ++m_bracketDepth;
                break;
            case U']':
                --m_bracketDepth;
                break;
            case U'>':
                if (m_state == State::StartTag || m_bracketDepth <= 0)
                    m_state = State::Text;
                break;
            default:
                break;
            }
            break;
        case State::Skip: {
            i = u.find(i, m_skipUntil[0]);
            const auto length = qsizetype(qstrlen(m_skipUntil));
            if (i < n && !last && n - i < length) {
                undecided = i;
                i = n;
                break;
            }
            if (u.startsWith(i, m_skipUntil)) {
                i += length - 1;
                m_state = State::Text;
            }
            break;
        }
        }
    }
    countLines(undecided);
    m_carry = text.sliced(undecided).toString();
    m_offset += undecided;
    return {};
}

Finding scan(QStringView text)
{
    return Scanner().feed(text, true);
}

} // namespace XmlMarkupScan
