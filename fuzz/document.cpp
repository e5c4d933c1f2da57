// The editors' document reader: the three document models and the settings read what the parser gives, and
// the compiler's compact tree must see exactly the nodes the editors' DOM sees.
#include "DomRegisterMap.h"
#include "FuzzSupport.h"

#include "app/AppSettings.h"
#include "base/AppError.h"
#include "documents/DnetNetDocument.h"
#include "documents/ModbusMap.h"
#include "documents/ParGenDocument.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"

#include <QDir>

#include <cstdio>

namespace {

[[noreturn]] void disagree(const char *what)
{
    std::fprintf(stderr, "the two readers disagree: %s\n", what);
    std::abort();
}

int domKind(const QDomNode &n)
{
    return n.isElement()        ? XmlTree::Element
           : n.isCDATASection() ? XmlTree::CData
           : n.isText()         ? XmlTree::Text
           : n.isComment()      ? XmlTree::Comment
                                : XmlTree::ProcessingInstruction;
}

// Depth is bounded by the readers, so recursion here stays shallow.
void compare(const XmlTree &tree, int treeNode, const QDomNode &domNode)
{
    int c = treeNode;
    QDomNode d = domNode;
    for (; c != XmlTree::None && !d.isNull(); c = tree.nextSibling(c), d = d.nextSibling()) {
        if (int(tree.kind(c)) != domKind(d))
            disagree("kind");
        if (d.isElement()) {
            const QDomElement e = d.toElement();
            if (tree.name(c) != e.tagName())
                disagree("element name");
            const QDomNamedNodeMap attributes = e.attributes();
            for (int i = 0; i < attributes.count(); ++i) {
                QString value;
                if (!tree.attribute(c, attributes.item(i).nodeName(), &value) ||
                    value != attributes.item(i).nodeValue())
                    disagree("attribute");
            }
            if (tree.text(c) != e.text())
                disagree("element text");
            compare(tree, tree.firstChild(c), d.firstChild());
        } else if (d.isProcessingInstruction() && tree.name(c) != d.nodeName()) {
            disagree("instruction target");
        }
    }
    if (c != XmlTree::None || !d.isNull())
        disagree("number of child nodes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    bool domRead = false;
    QDomDocument doc;
    try {
        doc = ProjectDocument::parse(bytes, QStringLiteral("fuzz.xml"));
        domRead = true;
    } catch (const AppError &) {
    }
    bool treeRead = false;
    XmlTree tree;
    try {
        tree = XmlTree::parse(bytes, QStringLiteral("fuzz.xml"));
        treeRead = true;
    } catch (const AppError &) {
    }
    if (domRead != treeRead)
        disagree("one refuses what the other reads");
    if (domRead) {
        compare(tree, tree.firstNode(), doc.firstChild());

        Controllo_Dati(ParGenDocument::fromDocument(doc));
        const DnetNetDocument::Loaded slaves = DnetNetDocument::fromDocument(doc);
        Controllo_dati(slaves.slaves);
        const DnetNetDocument::Loaded fromTree = DnetNetDocument::fromTree(tree);
        if (fromTree.slaves != slaves.slaves || fromTree.notLoaded != slaves.notLoaded)
            disagree("slave list");
        ModbusMap map;
        DomRegisterMap::readSlaves(map, doc);
        DomRegisterMap::readRegisters(map, doc);
        ModbusMap mapFromTree;
        mapFromTree.readSlaves(tree);
        mapFromTree.readRegisters(tree);
        if (map.registerCount() != mapFromTree.registerCount() || map.slaveCount() != mapFromTree.slaveCount())
            disagree("register map");
    }

    // The settings are read from their file, as at start-up.
    const QString settings = QDir(FuzzSupport::scratchFolder()).filePath(QStringLiteral("Fabricor.xml"));
    FuzzSupport::writeFile(settings, bytes);
    AppSettings::read(settings);
    return 0;
}
