#pragma once

#include "XmlInput.h"

#include <QDomDocument>
#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;

// The shared shape of the XML files this program writes: the root element first, then (for the
// project documents) the comment "SW_VERSION = " and the program version at document level; no XML declaration and no
// indentation. Reading takes the document's first child node as the root; an XML declaration is
// not a node, so a file that starts with one still reads.
namespace ProjectDocument {

inline const QString VersionComment = QStringLiteral("SW_VERSION = " SW_PROGRAM_VERSION);

// An empty document holding only the root element and, when asked, the version comment after it.
QDomDocument create(const QString &rootName, bool withVersionComment = true);
QDomElement root(const QDomDocument &doc); // the document element of a document made by create()
QDomElement appendElement(QDomNode parent, const QString &name);
QDomElement appendTextElement(QDomNode parent, const QString &name, const QString &text);

// The bytes of a document as written: UTF-8, no declaration, no indentation. An element's
// attributes are written in attributeOrder first, then any others by name: the DOM itself keeps
// no order, so without this the order would change from run to run.
QByteArray toBytes(const QDomDocument &doc, const QStringList &attributeOrder = {});
// Writes to any device; returns the device's error text, or an empty text on success.
QString writeTo(const QDomDocument &doc, QIODevice &device, const QStringList &attributeOrder = {});
// Replaces the file whole (SafeFile::write): a failed save leaves the previous file as it was, and a
// link in the file's place is refused. Throws AppError with the platform's message.
void save(const QDomDocument &doc, const QString &path, const QStringList &attributeOrder = {});

// Parses the file (read through BoundedFile); throws AppError carrying the parser's message and the file
// name. Text made only of XML white space beside other nodes is layout and dropped; an element's text
// reads back exactly as written, blanks included. Nesting deeper than XmlTree::MaxDepth and undeclared
// prefixes are errors.
QDomDocument load(const QString &path);
// The bytes are read through XmlInput, `pieceBytes` at a time.
QDomDocument parse(const QByteArray &bytes, const QString &fileNameForMessages,
                   qsizetype pieceBytes = XmlInput::DefaultPieceBytes);
// The document's first child node, whatever it is.
QDomNode firstNode(const QDomDocument &doc);

// The first row of a table (see XmlTree::firstRow); the next is its nextSibling().
QDomNode firstRow(const QDomNode &parent);

// Text of the first child element of parent with that name; nothing when there is none.
std::optional<QString> childText(const QDomNode &parent, const QString &name);
QString childText(const QDomNode &parent, const QString &name, const QString &fallback);
QDomElement firstChildElement(const QDomNode &parent, const QString &name);
// Value of the attribute; nothing when the node is not an element or lacks it.
std::optional<QString> attribute(const QDomNode &node, const QString &name);

} // namespace ProjectDocument
