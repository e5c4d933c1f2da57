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

// Where the unit at `at` stands, as the parser counts lines and columns (in UTF-16 units).
Finding findingAt(const Units &u, qsizetype at)
{
    qint64 line = 1;
    qsizetype lineStart = 0;
    for (qsizetype k = u.find(0, '\n'); k < at; k = u.find(k + 1, '\n')) {
        ++line;
        lineStart = k + 1;
    }
    const qint64 column = at - lineStart + 1;
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
    for (qsizetype i = 0; i < u.count(); ++i) {
        switch (state) {
        case State::Text:
            i = u.find(i, '<');
            if (i == u.count())
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
            if (i == u.count())
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

Finding scan(QStringView text)
{
    return scanUnits({text});
}

} // namespace XmlMarkupScan
