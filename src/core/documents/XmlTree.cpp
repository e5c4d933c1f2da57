#include "XmlTree.h"

#include "XmlInput.h"
#include "base/AppError.h"
#include "base/BoundedFile.h"

#include <QXmlStreamReader>

XmlTree::Span XmlTree::store(QStringView text)
{
    const Span span{int(m_pool.size()), int(text.size())};
    m_pool.append(text);
    return span;
}

XmlTree::Span XmlTree::storeName(QStringView name)
{
    const auto matches = [&](size_t k) { return m_names[k].length == name.size() && view(m_names[k]) == name; };
    if (!m_names.empty()) {
        const size_t next = (m_lastName + 1) % m_names.size();
        if (matches(next))
            return m_names[m_lastName = next];
    }
    for (size_t k = 0; k < m_names.size(); ++k) {
        if (matches(k))
            return m_names[m_lastName = k];
    }
    const Span span = store(name);
    if (m_names.size() < 32) {
        m_lastName = m_names.size();
        m_names.push_back(span);
    }
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

bool XmlTree::isLayout(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u != u' ' && u != u'\t' && u != u'\r' && u != u'\n')
            return false;
    }
    return true;
}

QString XmlTree::tooDeepMessage()
{
    return QStringLiteral("the elements are nested deeper than %1 levels").arg(MaxDepth);
}

void XmlTree::appendText(int parent, QStringView text)
{
    // Text split by a CDATA section or a comment stays split; text the reader hands over in pieces is joined.
    const int last = m_nodes[size_t(parent)].lastChild;
    if (last != None) {
        Node &previous = m_nodes[size_t(last)];
        if (previous.kind == Text && previous.value.offset + previous.value.length == int(m_pool.size())) {
            m_pool.append(text);
            previous.value.length += int(text.size());
            return;
        }
    }
    Node node;
    node.kind = Text;
    node.value = store(text);
    append(parent, node);
}

void XmlTree::dropLayoutBlanks(int element)
{
    Node &e = m_nodes[size_t(element)];
    if (e.firstChild == e.lastChild)
        return; // no child, or the only one: a value
    int previous = None;
    int c = e.firstChild;
    e.firstChild = None;
    e.lastChild = None;
    while (c != None) {
        const int next = m_nodes[size_t(c)].nextSibling;
        const Node &child = m_nodes[size_t(c)];
        if (child.kind == Text && isLayout(view(child.value))) {
            c = next;
            continue;
        }
        if (previous == None)
            m_nodes[size_t(element)].firstChild = c;
        else
            m_nodes[size_t(previous)].nextSibling = c;
        m_nodes[size_t(c)].nextSibling = None;
        m_nodes[size_t(element)].lastChild = c;
        previous = c;
        c = next;
    }
}

XmlTree XmlTree::parse(const QByteArray &bytes, const QString &fileNameForMessages, qsizetype pieceBytes)
{
    XmlInput input(bytes, fileNameForMessages, pieceBytes);
    QXmlStreamReader &reader = input.reader();
    XmlTree tree;
    // Room for the densest rows and for all the text (no encoding read here has fewer bytes than UTF-16
    // units), reserved once so that a large document is never copied while it grows; pages never written
    // (the text of a large comment is not kept) cost no memory.
    tree.m_nodes.reserve(size_t(bytes.size() / 32 + 16));
    tree.m_attributes.reserve(size_t(bytes.size() / 16 + 16));
    tree.m_pool.reserve(bytes.size() + 16);
    int current = None;
    int depth = 0;
    bool hasRoot = false;
    while (!input.atEnd()) {
        switch (input.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (depth == MaxDepth) {
                reader.raiseError(tooDeepMessage());
                break;
            }
            ++depth;
            Node node;
            node.kind = Element;
            node.name = tree.storeName(reader.qualifiedName());
            const QXmlStreamAttributes attributes = reader.attributes();
            node.firstAttribute = int(tree.m_attributes.size());
            node.attributeCount = int(attributes.size());
            for (const QXmlStreamAttribute &a : attributes)
                tree.m_attributes.push_back({tree.storeName(a.qualifiedName()), tree.store(a.value())});
            hasRoot = hasRoot || current == None;
            current = tree.append(current, node);
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            tree.dropLayoutBlanks(current);
            current = tree.m_nodes[size_t(current)].parent;
            break;
        case QXmlStreamReader::Characters:
            // Blanks between top-level nodes have no place in a document.
            if (current != None) {
                if (reader.isCDATA()) {
                    Node node;
                    node.kind = CData;
                    node.value = tree.store(reader.text());
                    tree.append(current, node);
                } else {
                    tree.appendText(current, reader.text());
                }
            }
            break;
        case QXmlStreamReader::Comment: {
            Node node;
            node.kind = Comment;
            tree.append(current, node);
            break;
        }
        case QXmlStreamReader::ProcessingInstruction: {
            Node node;
            node.kind = ProcessingInstruction;
            node.name = tree.storeName(reader.processingInstructionTarget());
            tree.append(current, node);
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError())
        throwParseError(reader, fileNameForMessages);
    if (!hasRoot)
        throw AppError(QStringLiteral("%1: the document has no root element").arg(fileNameForMessages));
    tree.m_names = {};
    return tree;
}

XmlTree XmlTree::load(const QString &path)
{
    return parse(BoundedFile::readOrThrow(path), path);
}

int XmlTree::childCount(int node) const
{
    int count = 0;
    for (int c = firstChild(node); c != None; c = nextSibling(c))
        ++count;
    return count;
}

int XmlTree::firstRow(int node) const
{
    const int c = firstChild(node);
    if (c != None && kind(c) == Text && nextSibling(c) == None && isLayout(view(m_nodes[size_t(c)].value)))
        return None;
    return c;
}

int XmlTree::rowCount(int node) const
{
    int count = 0;
    for (int c = firstRow(node); c != None; c = nextSibling(c))
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

const XmlTree::Attribute *XmlTree::findAttribute(int node, QStringView name) const
{
    const Node &n = m_nodes[size_t(node)];
    if (n.kind != Element)
        return nullptr;
    for (int i = n.firstAttribute; i < n.firstAttribute + n.attributeCount; ++i) {
        const Attribute &a = m_attributes[size_t(i)];
        if (a.name.length == name.size() && view(a.name) == name)
            return &a;
    }
    return nullptr;
}

bool XmlTree::attribute(int node, const QString &name, QString *value) const
{
    const Attribute *a = findAttribute(node, name);
    if (a)
        *value = QString::fromRawData(m_pool.constData() + a->value.offset, a->value.length);
    return a != nullptr;
}

bool XmlTree::attribute(int node, QStringView name, QStringView *value) const
{
    const Attribute *a = findAttribute(node, name);
    if (a)
        *value = view(a->value);
    return a != nullptr;
}

QString XmlTree::text(int node) const
{
    // A walk in document order over the node's descendants, without recursion: the depth comes from the file.
    QString out;
    if (node == None)
        return out;
    int c = firstChild(node);
    while (c != None) {
        const Node &n = m_nodes[size_t(c)];
        if (n.kind == Text || n.kind == CData)
            out += view(n.value);
        if (n.kind == Element && n.firstChild != None) {
            c = n.firstChild;
            continue;
        }
        while (c != None && m_nodes[size_t(c)].nextSibling == None) {
            c = m_nodes[size_t(c)].parent;
            if (c == node)
                return out;
        }
        if (c != None)
            c = m_nodes[size_t(c)].nextSibling;
    }
    return out;
}

void XmlTree::throwParseError(const QXmlStreamReader &reader, const QString &fileNameForMessages)
{
    throw AppError(QStringLiteral("%1: line %2, column %3: %4")
                       .arg(fileNameForMessages)
                       .arg(reader.lineNumber())
                       .arg(reader.columnNumber())
                       .arg(reader.errorString()));
}
