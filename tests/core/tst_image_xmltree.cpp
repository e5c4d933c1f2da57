#include "app/AppError.h"
#include "documents/ProjectDocument.h"
#include "image/XmlTree.h"

#include <QtTest>

namespace {

// The child nodes below `node` as the compiler's tree sees them: kind, name, attributes, text.
QStringList describe(const XmlTree &tree, int node)
{
    QStringList out;
    for (int c = tree.firstChild(node); c != XmlTree::None; c = tree.nextSibling(c)) {
        QString line = QString::number(int(tree.kind(c))) + QLatin1Char(' ') + tree.name(c).toString();
        for (const char *a : {"ID", "NB_IN", "Index", "NrDNNode", "PosComp"}) {
            QString value;
            if (tree.attribute(c, QLatin1String(a), &value))
                line += QStringLiteral(" %1=%2").arg(QLatin1String(a), value);
        }
        if (tree.kind(c) == XmlTree::Element)
            line += QStringLiteral(" text[%1] {%2}").arg(tree.text(c), describe(tree, c).join(QLatin1Char(';')));
        out << line;
    }
    return out;
}

// The same, as the editors' document parser sees them.
QStringList describe(const QDomNode &node)
{
    QStringList out;
    for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling()) {
        const int kind = c.isElement()        ? XmlTree::Element
                         : c.isCDATASection() ? XmlTree::CData
                         : c.isText()         ? XmlTree::Text
                         : c.isComment()      ? XmlTree::Comment
                                              : XmlTree::ProcessingInstruction;
        const QString name = c.isElement() || c.isProcessingInstruction() ? c.nodeName() : QString();
        QString line = QString::number(kind) + QLatin1Char(' ') + name;
        for (const char *a : {"ID", "NB_IN", "Index", "NrDNNode", "PosComp"}) {
            if (c.isElement() && c.toElement().hasAttribute(QLatin1String(a)))
                line += QStringLiteral(" %1=%2").arg(QLatin1String(a), c.toElement().attribute(QLatin1String(a)));
        }
        if (c.isElement())
            line += QStringLiteral(" text[%1] {%2}").arg(c.toElement().text(), describe(c).join(QLatin1Char(';')));
        out << line;
    }
    return out;
}

} // namespace

// The compiler reads documents with its own compact tree; it must see the same nodes as the editors.
class TestImageXmlTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameNodesAsTheDocumentParser_data();
    void sameNodesAsTheDocumentParser();
    void malformedDocumentNamesTheFile();
};

void TestImageXmlTree::sameNodesAsTheDocumentParser_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("as the editors write")
        << QByteArray("<DNET_Net><row ID=\"1\" NB_IN=\"4\" NB_OUT=\"2\" Mnemonic=\"\"/>"
                      "</DNET_Net><!--SW_VERSION = 2.004-->\n");
    QTest::newRow("indented by another tool")
        << QByteArray("<?xml version=\"1.0\"?>\n<InfoMod>\n  <Modbus_Read>\n    <row Index=\"1\" NrDNNode=\"1\" "
                      "PosComp=\"0\"/>\n  </Modbus_Read>\n  <Modbus_Write/>\n</InfoMod>\n");
    QTest::newRow("comments and instructions inside")
        << QByteArray("<DNET_Net><!--note--><row ID=\"1\"/><?pi data?></DNET_Net>");
    QTest::newRow("blank values kept") << QByteArray(
        "<Par_Gen><DNET_DEV_ID> </DNET_DEV_ID><MTCPs_PORT> 502</MTCPs_PORT>"
        "</Par_Gen>");
    QTest::newRow("text beside rows") << QByteArray("<DNET_Net>x<row ID=\"1\"/> <![CDATA[ ]]></DNET_Net>");
    QTest::newRow("entities") << QByteArray("<Par_Gen><A>1&amp;2</A><B>&#51;</B></Par_Gen>");
    QTest::newRow("comment before the root") << QByteArray("<!--c--><Par_Gen><A>1</A></Par_Gen>");
}

void TestImageXmlTree::sameNodesAsTheDocumentParser()
{
    QFETCH(QByteArray, xml);
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("doc.xml"));
    const QDomDocument doc = ProjectDocument::parse(xml, QStringLiteral("doc.xml"));
    QCOMPARE(describe(tree, tree.firstNode()), describe(doc.firstChild()));
    QCOMPARE(int(tree.kind(tree.firstNode())),
             doc.firstChild().isElement() ? int(XmlTree::Element) : int(XmlTree::Comment));
}

void TestImageXmlTree::malformedDocumentNamesTheFile()
{
    for (const QByteArray &xml : {QByteArray("<DNET_Net><row"), QByteArray(""), QByteArray("<!--only a comment-->")}) {
        try {
            XmlTree::parse(xml, QStringLiteral("/p/DNET_Net.xml"));
            QFAIL("accepted a document that is not well-formed");
        } catch (const AppError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("/p/DNET_Net.xml: ")), qPrintable(e.message()));
        }
    }
}

QTEST_GUILESS_MAIN(TestImageXmlTree)
#include "tst_image_xmltree.moc"
