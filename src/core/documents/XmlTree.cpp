#include "XmlTree.h"

#include "app/AppError.h"

#include <QFile>
#include <QXmlStreamReader>

XmlTree::Span XmlTree::store(QStringView text)
{
    const Span span{int(m_pool.size()), int(text.size())};
    m_pool.append(text);
    return span;
}

int XmlTree::append(int parent, const Node &node)
{
    const int index = int(m_nodes.size());
    m_nodes.push_back(node);
    m_nodes.back().parent = parent;
    int &last = parent == None ? m_lastTop : m_nodes[size_t(parent)].lastChild;
    if (last == None) {
        if (parent == None)
            m_firstTop = index;
        else
            m_nodes[size_t(parent)].firstChild = index;
    } else {
        m_nodes[size_t(last)].nextSibling = index;
    }
    last = index;
    return index;
}

void XmlTree::dropLayoutBlanks(int element)
{
    Node &e = m_nodes[size_t(element)];
    bool hasChildElement = false;
    for (int c = e.firstChild; c != None; c = m_nodes[size_t(c)].nextSibling)
        hasChildElement = hasChildElement || m_nodes[size_t(c)].kind == Element;
    if (!hasChildElement)
        return;
    int previous = None;
    int c = e.firstChild;
    e.firstChild = None;
    e.lastChild = None;
    while (c != None) {
        const int next = m_nodes[size_t(c)].nextSibling;
        const Node &child = m_nodes[size_t(c)];
        if (child.kind == Text && view(child.value).trimmed().isEmpty()) {
            c = next;
            continue;
        }
        if (previous == None)
            e.firstChild = c;
        else
            m_nodes[size_t(previous)].nextSibling = c;
        m_nodes[size_t(c)].nextSibling = None;
        e.lastChild = c;
        previous = c;
        c = next;
    }
}

XmlTree XmlTree::parse(const QByteArray &bytes, const QString &fileNameForMessages)
{
    XmlTree tree;
    tree.m_nodes.reserve(size_t(bytes.size() / 40 + 16));
    tree.m_attributes.reserve(size_t(bytes.size() / 16 + 16));
    tree.m_pool.reserve(bytes.size() / 2 + 16);
    QXmlStreamReader reader(bytes);
    reader.setNamespaceProcessing(false);
    int current = None;
    bool hasRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            Node node;
            node.kind = Element;
            node.name = tree.store(reader.qualifiedName());
            const QXmlStreamAttributes attributes = reader.attributes();
            node.firstAttribute = int(tree.m_attributes.size());
            node.attributeCount = int(attributes.size());
            for (const QXmlStreamAttribute &a : attributes)
                tree.m_attributes.push_back({tree.store(a.qualifiedName()), tree.store(a.value())});
            hasRoot = hasRoot || current == None;
            current = tree.append(current, node);
            break;
        }
        case QXmlStreamReader::EndElement:
            tree.dropLayoutBlanks(current);
            current = tree.m_nodes[size_t(current)].parent;
            break;
        case QXmlStreamReader::Characters:
            // Blanks between top-level nodes have no place in a document.
            if (current != None) {
                Node node;
                node.kind = reader.isCDATA() ? CData : Text;
                node.value = tree.store(reader.text());
                tree.append(current, node);
            }
            break;
        case QXmlStreamReader::Comment: {
            Node node;
            node.kind = Comment;
            node.value = tree.store(reader.text());
            tree.append(current, node);
            break;
        }
        case QXmlStreamReader::ProcessingInstruction: {
            Node node;
            node.kind = ProcessingInstruction;
            node.name = tree.store(reader.processingInstructionTarget());
            node.value = tree.store(reader.processingInstructionData());
            tree.append(current, node);
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError())
        throw AppError(QStringLiteral("%1: line %2, column %3: %4")
                           .arg(fileNameForMessages)
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber())
                           .arg(reader.errorString()));
    if (!hasRoot)
        throw AppError(QStringLiteral("%1: the document has no root element").arg(fileNameForMessages));
    return tree;
}

XmlTree XmlTree::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return parse(file.readAll(), path);
}

int XmlTree::childCount(int node) const
{
    int count = 0;
    for (int c = firstChild(node); c != None; c = nextSibling(c))
        ++count;
    return count;
}

int XmlTree::firstChildElement(int node, const QString &name) const
{
    for (int c = firstChild(node); c != None; c = nextSibling(c)) {
        if (kind(c) == Element && view(m_nodes[size_t(c)].name) == name)
            return c;
    }
    return None;
}

bool XmlTree::attribute(int node, const QString &name, QString *value) const
{
    const Node &n = m_nodes[size_t(node)];
    if (n.kind != Element)
        return false;
    for (int i = n.firstAttribute; i < n.firstAttribute + n.attributeCount; ++i) {
        const Attribute &a = m_attributes[size_t(i)];
        if (view(a.name) == name) {
            *value = QString::fromRawData(m_pool.constData() + a.value.offset, a.value.length);
            return true;
        }
    }
    return false;
}

void XmlTree::appendText(int node, QString &out) const
{
    for (int c = firstChild(node); c != None; c = nextSibling(c)) {
        const Node &child = m_nodes[size_t(c)];
        if (child.kind == Text || child.kind == CData)
            out += view(child.value);
        else if (child.kind == Element)
            appendText(c, out);
    }
}

QString XmlTree::text(int node) const
{
    QString out;
    if (node != None)
        appendText(node, out);
    return out;
}
