#include "ProjectDocument.h"

#include "XmlInput.h"
#include "XmlTree.h"
#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "base/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace ProjectDocument {

QDomDocument create(const QString &rootName, bool withVersionComment)
{
    QDomDocument doc;
    doc.appendChild(doc.createElement(rootName));
    if (withVersionComment)
        doc.appendChild(doc.createComment(VersionComment));
    return doc;
}

QDomElement root(const QDomDocument &doc)
{
    return doc.documentElement();
}

QDomElement appendElement(QDomNode parent, const QString &name)
{
    QDomElement element = parent.ownerDocument().createElement(name);
    parent.appendChild(element);
    return element;
}

QDomElement appendTextElement(QDomNode parent, const QString &name, const QString &text)
{
    QDomElement element = appendElement(parent, name);
    if (!text.isEmpty())
        element.appendChild(parent.ownerDocument().createTextNode(text));
    return element;
}

namespace {

void writeNode(QXmlStreamWriter &writer, const QDomNode &node, const QStringList &attributeOrder)
{
    if (node.isElement()) {
        const QDomElement element = node.toElement();
        writer.writeStartElement(element.tagName());
        const QDomNamedNodeMap attributes = element.attributes();
        QStringList names;
        for (int i = 0; i < attributes.count(); ++i)
            names.append(attributes.item(i).nodeName());
        names.sort();
        for (const QString &name : attributeOrder)
            if (names.removeOne(name))
                writer.writeAttribute(name, element.attribute(name));
        for (const QString &name : std::as_const(names))
            writer.writeAttribute(name, element.attribute(name));
        for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling())
            writeNode(writer, child, attributeOrder);
        writer.writeEndElement();
    } else if (node.isCDATASection()) {
        writer.writeCDATA(node.nodeValue());
    } else if (node.isText()) {
        writer.writeCharacters(node.nodeValue());
    } else if (node.isComment()) {
        writer.writeComment(node.nodeValue());
    } else if (node.isProcessingInstruction()) {
        const QDomProcessingInstruction pi = node.toProcessingInstruction();
        writer.writeProcessingInstruction(pi.target(), pi.data());
    }
}

} // namespace

QByteArray toBytes(const QDomDocument &doc, const QStringList &attributeOrder)
{
    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(false);
    for (QDomNode node = doc.firstChild(); !node.isNull(); node = node.nextSibling())
        writeNode(writer, node, attributeOrder);
    return bytes;
}

QString writeTo(const QDomDocument &doc, QIODevice &device, const QStringList &attributeOrder)
{
    return SafeFile::writeAll(device, toBytes(doc, attributeOrder));
}

void save(const QDomDocument &doc, const QString &path, const QStringList &attributeOrder)
{
    SafeFile::write(path, toBytes(doc, attributeOrder));
}

namespace {

// Text made only of XML white space beside other nodes lays out the file (another tool's indentation). As the
// element's only content it stays: a value typed as blanks reads back as typed (firstRow skips it).
void dropLayoutBlanks(QDomElement element)
{
    if (element.firstChild() == element.lastChild())
        return;
    QDomNode child = element.firstChild();
    while (!child.isNull()) {
        const QDomNode next = child.nextSibling();
        if (child.isText() && !child.isCDATASection() && XmlTree::isLayout(child.nodeValue()))
            element.removeChild(child);
        child = next;
    }
}

// Builds the document with the stream reader rather than QDomDocument::setContent, so that both readers
// of this program share one parser and one set of rules (see XmlTree). The XML declaration and document
// type are not nodes of the result.
QDomDocument buildDocument(XmlInput &input)
{
    QXmlStreamReader &reader = input.reader();
    QDomDocument doc;
    // Null while at document level: a fresh QDomDocument is itself null until it creates a node.
    QDomNode current;
    int depth = 0;
    const auto append = [&doc, &current](const QDomNode &node) {
        if (current.isNull())
            doc.appendChild(node);
        else
            current.appendChild(node);
    };
    while (!input.atEnd()) {
        switch (input.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (depth == XmlTree::MaxDepth) {
                reader.raiseError(XmlTree::tooDeepMessage());
                break;
            }
            ++depth;
            QDomElement element = doc.createElement(reader.qualifiedName().toString());
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute &a : attributes)
                element.setAttribute(a.qualifiedName().toString(), a.value().toString());
            append(element);
            current = element;
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            dropLayoutBlanks(current.toElement());
            current = current.parentNode();
            if (current.isDocument())
                current = QDomNode();
            break;
        case QXmlStreamReader::Characters:
            // Blanks between top-level nodes have no place in a document.
            if (!current.isNull()) {
                if (reader.isCDATA()) {
                    current.appendChild(doc.createCDATASection(reader.text().toString()));
                } else {
                    // Text the reader hands over in pieces is one text, as in the compiler's tree.
                    QDomNode last = current.lastChild();
                    if (last.isText() && !last.isCDATASection())
                        last.toText().appendData(reader.text().toString());
                    else
                        current.appendChild(doc.createTextNode(reader.text().toString()));
                }
            }
            break;
        case QXmlStreamReader::Comment:
            append(doc.createComment(reader.text().toString()));
            break;
        case QXmlStreamReader::ProcessingInstruction:
            append(doc.createProcessingInstruction(reader.processingInstructionTarget().toString(),
                                                   reader.processingInstructionData().toString()));
            break;
        default:
            break;
        }
    }
    return doc;
}

} // namespace

QDomDocument parse(const QByteArray &bytes, const QString &fileNameForMessages, qsizetype pieceBytes)
{
    XmlInput input(bytes, fileNameForMessages, pieceBytes);
    QXmlStreamReader &reader = input.reader();
    QDomDocument doc = buildDocument(input);
    if (reader.hasError())
        XmlTree::throwParseError(reader, fileNameForMessages);
    if (doc.documentElement().isNull())
        throw AppError(QStringLiteral("%1: the document has no root element").arg(fileNameForMessages));
    return doc;
}

QDomDocument load(const QString &path)
{
    return parse(BoundedFile::readOrThrow(path), path);
}

QDomNode firstNode(const QDomDocument &doc)
{
    return doc.firstChild();
}

QDomNode firstRow(const QDomNode &parent)
{
    const QDomNode c = parent.firstChild();
    if (c.isText() && !c.isCDATASection() && c.nextSibling().isNull() && XmlTree::isLayout(c.nodeValue()))
        return QDomNode();
    return c;
}

QDomElement firstChildElement(const QDomNode &parent, const QString &name)
{
    return parent.firstChildElement(name);
}

std::optional<QString> childText(const QDomNode &parent, const QString &name)
{
    const QDomElement element = parent.firstChildElement(name);
    if (element.isNull())
        return std::nullopt;
    return element.text();
}

QString childText(const QDomNode &parent, const QString &name, const QString &fallback)
{
    return childText(parent, name).value_or(fallback);
}

std::optional<QString> attribute(const QDomNode &node, const QString &name)
{
    const QDomElement element = node.toElement();
    if (element.isNull() || !element.hasAttribute(name))
        return std::nullopt;
    return element.attribute(name);
}

} // namespace ProjectDocument
