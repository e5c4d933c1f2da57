#pragma once

#include "XmlInput.h"

#include <QString>
#include <QStringView>

#include <vector>

class QByteArray;

// A compact, read-only node tree of one project document, built in a single pass. It holds exactly the
// nodes ProjectDocument::parse keeps (elements, text, CDATA, comments, processing instructions; text made
// only of XML white space beside other nodes is layout and dropped), so the image compiler and the
// register map see the same child nodes as the editors, without the cost of a full DOM for a map of
// thousands of rows.
// Comments and instructions are kept as nodes (each is a row where rows are read) but not their data,
// which nothing reads.
class QXmlStreamReader;

class XmlTree
{
public:
    enum Kind { Element, Text, CData, Comment, ProcessingInstruction };
    static constexpr int None = -1;
    // Deeper nesting is refused: the documents are three levels deep, and a bound keeps every walk
    // over the tree cheap and the editors' DOM (which Qt handles recursively) off the stack limit.
    static constexpr int MaxDepth = 256;
    // Text made only of XML white space (blank, tab, CR, LF): the layout of an indented file, never a row.
    // Beside other nodes it is dropped; as an element's only content it stays its value (a value typed as
    // blanks reads back as typed). Any other character (U+00A0 included) makes it content.
    static bool isLayout(QStringView text);
    // What both readers report when an element opens at depth MaxDepth + 1.
    static QString tooDeepMessage();
    // Throws the reader's error as "FILE: line L, column C: REASON", the form of every parse error.
    [[noreturn]] static void throwParseError(const QXmlStreamReader &reader, const QString &fileNameForMessages);

    // Throws AppError with the parser's message and the file name, as ProjectDocument::parse does. The
    // document is read through XmlInput, `pieceBytes` at a time.
    static XmlTree parse(const QByteArray &bytes, const QString &fileNameForMessages,
                         qsizetype pieceBytes = XmlInput::DefaultPieceBytes);
    // Reads through BoundedFile: a file that is no regular file or too large throws AppError.
    static XmlTree load(const QString &path);

    int firstNode() const { return m_firstTop; } // the document's first top-level node
    int firstChild(int node) const { return node == None ? None : m_nodes[size_t(node)].firstChild; }
    int nextSibling(int node) const { return m_nodes[size_t(node)].nextSibling; }
    int childCount(int node) const;
    // The rows of a table (the root's or a section's children): every child node, whatever its kind, except
    // an element's only text when it is layout (a table without rows that another tool wrote on two lines).
    int firstRow(int node) const;
    int rowCount(int node) const;
    Kind kind(int node) const { return m_nodes[size_t(node)].kind; }
    QStringView name(int node) const { return view(m_nodes[size_t(node)].name); }
    // The first child element with that name, or None.
    int firstChildElement(int node, const QString &name) const;
    // The attribute's value (sharing the tree's storage: valid while the tree lives); false when the node
    // is no element or lacks the attribute.
    bool attribute(int node, const QString &name, QString *value) const;
    // The same without a QString: what the compiler reads on every row.
    bool attribute(int node, QStringView name, QStringView *value) const;
    // All text below the node, in document order (an element's text).
    QString text(int node) const;

private:
    // All names and values live in one text pool, so a node costs no allocation of its own.
    struct Span
    {
        int offset = 0;
        int length = 0;
    };
    struct Node
    {
        Kind kind = Element;
        int parent = None;
        int firstChild = None;
        int lastChild = None;
        int nextSibling = None;
        Span name;  // element name or processing instruction target
        Span value; // text, comment or instruction data
        int firstAttribute = 0;
        int attributeCount = 0;
    };
    struct Attribute
    {
        Span name;
        Span value;
    };
    const Attribute *findAttribute(int node, QStringView name) const;
    int append(int parent, const Node &node);
    Span store(QStringView text);
    // Element and attribute names repeat on every row: each distinct name is stored once (up to a few dozen).
    Span storeName(QStringView name);
    QStringView view(Span span) const { return QStringView(m_pool).mid(span.offset, span.length); }
    void appendText(int parent, QStringView text);
    void dropLayoutBlanks(int element);

    std::vector<Node> m_nodes;
    std::vector<Attribute> m_attributes;
    QString m_pool;
    std::vector<Span> m_names; // the names stored so far, each once
    size_t m_lastName = 0;     // where the previous name was found: rows repeat their names in order
    int m_firstTop = None;
    int m_lastTop = None;
};
