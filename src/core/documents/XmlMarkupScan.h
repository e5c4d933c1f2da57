#pragma once

#include <QString>
#include <QStringView>

// A pass over a document's text before it is parsed, for what the XML parser itself handles in time that
// grows with the square of the input: it checks every attribute of a start tag against the ones before it,
// so one tag with 100 000 attributes takes minutes. Both readers refuse a tag with more than MaxAttributes.
namespace XmlMarkupScan {

// The documents' rows have at most four attributes.
constexpr int MaxAttributes = 256;

struct Finding
{
    qint64 line = 0;
    qint64 column = 0;
    QString reason; // empty: nothing found
};

// Scans the decoded text (XmlEncoding) a piece at a time, each piece before the parser gets it, so that the
// bound holds whatever encoding the file was stored in and however the text is cut into pieces.
class Scanner
{
public:
    // The first start tag with more than MaxAttributes attributes that the pieces so far show; `last` says
    // that the text ends with this piece.
    Finding feed(QStringView piece, bool last);

private:
    enum class State { Text, StartTag, Skip, Declaration };
    State m_state = State::Text;
    const char *m_skipUntil = nullptr; // the end of a comment, CDATA section, instruction or end tag
    char m_quote = 0;
    int m_attributes = 0;
    int m_bracketDepth = 0;
    // The few units at the end of the last piece that only the next one can tell the meaning of ("<!-" may
    // open a comment), read again in front of it.
    QString m_carry;
    qint64 m_offset = 0; // units of the text before the carried ones
    qint64 m_line = 1;
    qint64 m_lineStart = 0; // where that line starts, in units
};

// The whole text in one piece.
Finding scan(QStringView text);

} // namespace XmlMarkupScan
