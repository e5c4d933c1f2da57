#include "DomRegisterMap.h"
#include "Portable.h"
#include "base/AppError.h"
#include "documents/ModbusMap.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"

#include <QtTest>

namespace {

// The child nodes below `node` as the compiler's tree sees them: kind, name, attributes, text.
QStringList describe(const XmlTree &tree, int node)
{
    QStringList out;
    for (int c = tree.firstChild(node); c != XmlTree::None; c = tree.nextSibling(c)) {
        QString line = QString::number(int(tree.kind(c))) + QLatin1Char(' ') + tree.name(c).toString();
        for (const char *a : {"ID", "NB_IN", "Index", "NrDNNode", "PosComp", "Mnemonic"}) {
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
        for (const char *a : {"ID", "NB_IN", "Index", "NrDNNode", "PosComp", "Mnemonic"}) {
            if (c.isElement() && c.toElement().hasAttribute(QLatin1String(a)))
                line += QStringLiteral(" %1=%2").arg(QLatin1String(a), c.toElement().attribute(QLatin1String(a)));
        }
        if (c.isElement())
            line += QStringLiteral(" text[%1] {%2}").arg(c.toElement().text(), describe(c).join(QLatin1Char(';')));
        out << line;
    }
    return out;
}

// Everything the register map holds, slave by slave.
QStringList describe(const ModbusMap &map)
{
    QStringList out;
    for (int s = 0; s < map.slaveCount(); ++s) {
        const TDNET_Slave &slave = map.slave(s);
        out << QStringLiteral("slave [%1] %2 %3").arg(slave.ID).arg(slave.Num_Byte_IN).arg(slave.Num_Byte_OUT);
        for (int page : {ModbusMap::Read, ModbusMap::Write})
            for (const TMod_Reg &reg : map.registers(s, page))
                out << QStringLiteral("  page %1 [%2] %3 %4")
                           .arg(page)
                           .arg(reg.Ind_Mod)
                           .arg(reg.HiPart)
                           .arg(reg.LoPart);
    }
    return out;
}

} // namespace

// The compiler and the register map read documents with a compact tree; it must see the same nodes as the
// document parser the editors use.
class TestXmlTree : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sameNodesAsTheDocumentParser_data();
    void sameNodesAsTheDocumentParser();
    void malformedDocumentNamesTheFile();
    void bothReadersRefuse_data();
    void bothReadersRefuse();
    void manyEqualsSignsOutsideTagsRead();
    void encodingsRead_data();
    void encodingsRead();
    void layoutIsNoRow_data();
    void layoutIsNoRow();
    void deepTextReadsWithoutRecursion();
    void piecesReadAsTheWhole_data();
    void piecesReadAsTheWhole();
    void registerMapReadsAsFromTheDocumentParser_data();
    void registerMapReadsAsFromTheDocumentParser();
};

void TestXmlTree::sameNodesAsTheDocumentParser_data()
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
        "<MTCPs_IP1>\t1 </MTCPs_IP1></Par_Gen>");
    QTest::newRow("text beside rows") << QByteArray("<DNET_Net>x<row ID=\"1\"/> <![CDATA[ ]]></DNET_Net>");
    QTest::newRow("empty tables laid out")
        << QByteArray("<InfoMod>\r\n<Modbus_Read>\n  </Modbus_Read>\n<Modbus_Write>\t\r\n</Modbus_Write>\n</InfoMod>");
    QTest::newRow("no-break and ideographic space are text")
        << QByteArray("<DNET_Net>\xc2\xa0<row ID=\"1\"/>\n\xe3\x80\x80\n</DNET_Net>");
    QTest::newRow("declared prefixes") << QByteArray(
        "<InfoMod xmlns:p=\"urn:x\"><Modbus_Read><p:row p:Index=\"1\" NrDNNode=\"1\"/></Modbus_Read></InfoMod>");
    QTest::newRow("text in pieces") << QByteArray("<Par_Gen><A>1&#32;&#32;2<![CDATA[3]]> &amp; </A></Par_Gen>");
    QTest::newRow("entities") << QByteArray("<Par_Gen><A>1&amp;2</A><B>&#51;</B></Par_Gen>");
    QTest::newRow("comment before the root") << QByteArray("<!--c--><Par_Gen><A>1</A></Par_Gen>");
}

void TestXmlTree::sameNodesAsTheDocumentParser()
{
    QFETCH(QByteArray, xml);
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("doc.xml"));
    const QDomDocument doc = ProjectDocument::parse(xml, QStringLiteral("doc.xml"));
    QCOMPARE(describe(tree, tree.firstNode()), describe(doc.firstChild()));
    QCOMPARE(int(tree.kind(tree.firstNode())),
             doc.firstChild().isElement() ? int(XmlTree::Element) : int(XmlTree::Comment));
}

void TestXmlTree::malformedDocumentNamesTheFile()
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

// A document refused by one reader is refused by the other, with the same place and reason.
void TestXmlTree::bothReadersRefuse_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("message");
    const auto nested = [](int depth) {
        return "<Par_Gen><DNET_DEV_ID>" + QByteArray("<a>").repeated(depth - 2) + "1" +
               QByteArray("</a>").repeated(depth - 2) + "</DNET_DEV_ID></Par_Gen>";
    };
    QTest::newRow("257 levels") << nested(257)
                                << "doc.xml: line 1, column 787: the elements are nested deeper than 256 levels";
    // Far beyond any stack: refused at level 257 in time linear in the file.
    QTest::newRow("400 000 levels") << nested(400000)
                                    << "doc.xml: line 1, column 787: the elements are nested deeper than 256 levels";
    // One attribute beyond the bound, with a value that holds markup characters; distinct names, so that only
    // the bound refuses it.
    QByteArray tag = "<DNET_Net>\n<row ID=\"1\"";
    for (int i = 1; i <= 256; ++i)
        tag += " a" + QByteArray::number(i) + "=\"'>\"";
    tag += "/></DNET_Net>";
    QTest::newRow("257 attributes") << tag << "doc.xml: line 2, column 2459: an element has more than 256 attributes";
    const QString text = QString::fromLatin1(tag);
    QTest::newRow("257 attributes in UTF-16")
        << QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
        << "doc.xml: line 2, column 2459: an element has more than 256 attributes";
    // A start tag straight after the end of other markup is still counted.
    QByteArray attributes;
    for (int i = 1; i <= 257; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    const QString first = QStringLiteral("doc.xml: line 1, column %1: an element has more than 256 attributes");
    const auto after = [&](const QByteArray &markup) { return "<r>" + markup + "<b" + attributes + "/></r>"; };
    QTest::newRow("257 attributes after an end tag") << after("<a></a>") << first.arg(1958);
    QTest::newRow("257 attributes after a comment") << after("<!--c-->") << first.arg(1959);
    QTest::newRow("257 attributes after CDATA") << after("<![CDATA[c]]>") << first.arg(1964);
    QTest::newRow("257 attributes after an instruction") << after("<?p?>") << first.arg(1956);
    // The bound holds in every encoding read, counted on the decoded text.
    const QString declared = QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n") + text;
    const QString third = QStringLiteral("doc.xml: line 3, column 2459: an element has more than 256 attributes");
    const QString second = QStringLiteral("doc.xml: line 2, column 2459: an element has more than 256 attributes");
    for (const char *encoding : {"UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        const bool utf8 = qstrcmp(encoding, "UTF-8") == 0;
        for (const bool bom : {false, true}) {
            if (utf8 && !bom)
                continue; // the plain row above
            QTest::addRow("257 attributes in %s %s", encoding, bom ? "with mark" : "without mark")
                << Portable::encoded(text, encoding, bom) << second;
        }
        const QByteArray family = QByteArray(encoding).left(6);
        QTest::addRow("257 attributes in %s declared", encoding)
            << Portable::encoded(declared.arg(QLatin1String(family)), encoding, !utf8) << third;
    }
    for (const char *encoding : {"ISO-8859-1", "windows-1252"})
        QTest::addRow("257 attributes in %s", encoding)
            << Portable::encoded(declared.arg(QLatin1String(encoding)), encoding, false) << third;
    // UTF-7 hides every "=" as "+AD0-" from a scan of the bytes; it is refused by name before anything else.
    QByteArray utf7 = "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\n<DNET_Net>\n<row ID+AD0-\"1\"";
    for (int i = 1; i <= 256; ++i)
        utf7 += " a" + QByteArray::number(i) + "+AD0-\"x\"";
    utf7 += "/></DNET_Net>";
    const QString notRead = QStringLiteral("doc.xml: the document is declared in the encoding \"%1\", which this "
                                           "program does not read (it reads UTF-8, UTF-16, UTF-32, ISO-8859-1 and "
                                           "Windows-1252)");
    QTest::newRow("UTF-7") << utf7 << notRead.arg(QStringLiteral("UTF-7"));
    QTest::newRow("EBCDIC named") << QByteArray("<?xml version='1.0' encoding='IBM037'?><DNET_Net/>")
                                  << notRead.arg(QStringLiteral("IBM037"));
    QTest::newRow("Shift_JIS") << QByteArray("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><DNET_Net/>")
                               << notRead.arg(QStringLiteral("Shift_JIS"));
    QTest::newRow("UTF-16 declared, stored as UTF-8")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-16\"?><DNET_Net/>")
        << "doc.xml: the document is declared as UTF-16 but stored as UTF-8";
    QTest::newRow("ISO-8859-1 declared after a UTF-8 mark")
        << QByteArray("\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><DNET_Net/>")
        << "doc.xml: the document is declared as ISO-8859-1 but stored as UTF-8";
    QTest::newRow("UTF-8 declared, stored as UTF-16")
        << Portable::encoded(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><DNET_Net/>"), "UTF-16LE", true)
        << "doc.xml: the document is declared as UTF-8 but stored as UTF-16";
    QTest::newRow("not UTF-8") << QByteArray("<DNET_Net><row ID=\"\xe9\"/></DNET_Net>")
                               << "doc.xml: the document is not valid UTF-8 text";
    QTest::newRow("UTF-16, half a surrogate pair")
        << Portable::encoded(QStringLiteral("<DNET_Net/>"), "UTF-16LE", true) + QByteArray("\x3d\xd8", 2)
        << "doc.xml: the document is not valid UTF-16 text";
    const auto utf32le = [](std::initializer_list<quint32> units) {
        QByteArray out("\xff\xfe\0\0", 4);
        for (const quint32 u : units)
            out += QByteArray(reinterpret_cast<const char *>(&u), 4); // the tests run on little-endian machines
        return out;
    };
    // Units beyond U+10FFFF whose low bits look valid (U+10000, U+1DC00), and a surrogate as a unit.
    for (const quint32 unit : {0x04010000u, 0x0401DC00u, 0x110000u, 0xD800u})
        QTest::addRow("UTF-32 unit 0x%08X", unit)
            << utf32le({'<', 'r', ' ', 'a', '=', '"', unit, '"', '/', '>'}) << "doc.xml: the document is not valid UTF-32 text";
    QTest::newRow("UTF-16 cut in a character") << Portable::encoded(QStringLiteral("<DNET_Net/>"), "UTF-16LE", true).chopped(1)
                                               << "doc.xml: the document is not valid UTF-16 text";
    QTest::newRow("undeclared element prefix") << QByteArray("<DNET_Net>\n<p:row ID=\"1\"/></DNET_Net>")
                                               << "doc.xml: line 2, column 15: Namespace prefix 'p' not declared";
    QTest::newRow("undeclared attribute prefix") << QByteArray("<DNET_Net><row p:ID=\"1\"/></DNET_Net>")
                                                 << "doc.xml: line 1, column 25: Namespace prefix 'p' not declared";
}

void TestXmlTree::bothReadersRefuse()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, message);
    QString treeMessage;
    try {
        XmlTree::parse(xml, QStringLiteral("doc.xml"));
    } catch (const AppError &e) {
        treeMessage = e.message();
    }
    QString domMessage;
    try {
        ProjectDocument::parse(xml, QStringLiteral("doc.xml"));
    } catch (const AppError &e) {
        domMessage = e.message();
    }
    QCOMPARE(treeMessage, message);
    QCOMPARE(domMessage, message);
}

// Text made only of XML white space between the rows of a table is layout; any other node is a row.
// Markup that merely looks like attributes is no attribute: comments, CDATA, values and end tags.
void TestXmlTree::manyEqualsSignsOutsideTagsRead()
{
    const QByteArray many = QByteArray("a=b ").repeated(300);
    const QByteArray xml = "<!DOCTYPE DNET_Net [<!ENTITY e \"" + many + "\">]><DNET_Net><!--" + many + "--><row ID=\"" +
                           many + "\" NB_IN='" + many + "'>" + many + "<![CDATA[" + many + "]]></row><?pi " + many +
                           "?></DNET_Net>";
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("doc.xml"));
    QCOMPARE(tree.rowCount(tree.firstNode()), 3);
    ProjectDocument::parse(xml, QStringLiteral("doc.xml"));
}

// Every encoding read gives both readers the same values, the letters beyond ASCII of each one included.
void TestXmlTree::encodingsRead_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("mnemonic");
    const QString latin = QStringLiteral("Pr\u00fcfstand \u00e9t\u00e9");
    const QString euro = QStringLiteral("\u20ac 5 \u2013 \u201cok\u201d");
    const QString wide = QStringLiteral("\u6e29\u5ea6 \U0001F321");
    const auto doc = [](const QString &declaration, const QString &value) {
        return declaration + QStringLiteral("<DNET_Net><row ID=\"1\" Mnemonic=\"%1\"/></DNET_Net>").arg(value);
    };
    const QString none;
    const auto decl = [](const char *name) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>").arg(QLatin1String(name));
    };
    QTest::newRow("UTF-8") << Portable::encoded(doc(none, wide), "UTF-8", false) << wide;
    QTest::newRow("UTF-8 with mark") << Portable::encoded(doc(decl("utf-8"), wide), "UTF-8", true) << wide;
    for (const char *encoding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        QTest::addRow("%s without mark", encoding) << Portable::encoded(doc(none, wide), encoding, false) << wide;
        QTest::addRow("%s with mark", encoding) << Portable::encoded(doc(none, wide), encoding, true) << wide;
        const QByteArray family = QByteArray(encoding).left(6);
        QTest::addRow("%s declared", encoding) << Portable::encoded(doc(decl(family.constData()), wide), encoding, true) << wide;
    }
    QTest::newRow("ISO-8859-1") << Portable::encoded(doc(decl("ISO-8859-1"), latin), "ISO-8859-1", false) << latin;
    QTest::newRow("latin1") << Portable::encoded(doc(decl("latin1"), latin), "ISO-8859-1", false) << latin;
    QTest::newRow("Windows-1252") << Portable::encoded(doc(decl("Windows-1252"), euro), "windows-1252", false) << euro;
}

void TestXmlTree::encodingsRead()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, mnemonic);
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("doc.xml"));
    const int row = tree.firstChild(tree.firstNode());
    QString value;
    QVERIFY(tree.attribute(row, QStringLiteral("Mnemonic"), &value));
    QCOMPARE(value, mnemonic);
    const QDomDocument doc = ProjectDocument::parse(xml, QStringLiteral("doc.xml"));
    QCOMPARE(doc.documentElement().firstChildElement().attribute(QStringLiteral("Mnemonic")), mnemonic);
}

void TestXmlTree::layoutIsNoRow_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("rows");
    QTest::newRow("line break") << QByteArray("\n") << 0;
    QTest::newRow("indentation") << QByteArray("\r\n  \t") << 0;
    QTest::newRow("character references to blanks") << QByteArray("&#10;&#32;") << 0;
    QTest::newRow("rows laid out") << QByteArray("\n  <row/>\n  <row/>\n") << 2;
    QTest::newRow("no-break space") << QByteArray("\n\xc2\xa0\n") << 1;
    QTest::newRow("ideographic space") << QByteArray("\xe3\x80\x80") << 1;
    QTest::newRow("a letter") << QByteArray("\n x\n") << 1;
    QTest::newRow("comment") << QByteArray("\n<!--c-->\n") << 1;
    QTest::newRow("instruction") << QByteArray("\n<?pi?>\n") << 1;
    QTest::newRow("blank CDATA") << QByteArray("\n<![CDATA[ ]]>\n") << 1;
    QTest::newRow("rows and a comment") << QByteArray("<row/>\n<!--c-->\n<row/>") << 3;
}

void TestXmlTree::layoutIsNoRow()
{
    QFETCH(QByteArray, content);
    QFETCH(int, rows);
    const QByteArray xml = "<InfoMod><Modbus_Write>" + content + "</Modbus_Write></InfoMod>";
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("DefReg.xml"));
    QCOMPARE(tree.rowCount(tree.firstChildElement(tree.firstNode(), QStringLiteral("Modbus_Write"))), rows);
    const QDomDocument doc = ProjectDocument::parse(xml, QStringLiteral("DefReg.xml"));
    int domRows = 0;
    for (QDomNode row = ProjectDocument::firstRow(
             ProjectDocument::firstNode(doc).firstChildElement(QStringLiteral("Modbus_Write")));
         !row.isNull(); row = row.nextSibling())
        ++domRows;
    QCOMPARE(domRows, rows);
}

// An element's text gathers the text of every level below it; 256 levels in all must read as well as one.
void TestXmlTree::deepTextReadsWithoutRecursion()
{
    const QByteArray xml = "<Par_Gen><DNET_DEV_ID>" + QByteArray("<a>1").repeated(254) +
                           QByteArray("2</a>").repeated(254) + "</DNET_DEV_ID><B>3</B></Par_Gen>";
    const XmlTree tree = XmlTree::parse(xml, QStringLiteral("ParGen.xml"));
    const int id = tree.firstChildElement(tree.firstNode(), QStringLiteral("DNET_DEV_ID"));
    QCOMPARE(tree.text(id), QString(QStringLiteral("1").repeated(254) + QStringLiteral("2").repeated(254)));
    QCOMPARE(tree.text(tree.firstNode()), tree.text(id) + QStringLiteral("3"));
    const QDomDocument doc = ProjectDocument::parse(xml, QStringLiteral("ParGen.xml"));
    QCOMPARE(ProjectDocument::childText(ProjectDocument::firstNode(doc), QStringLiteral("DNET_DEV_ID")),
             std::optional<QString>(tree.text(id)));
}

// A document is decoded, scanned and parsed a piece at a time; wherever the pieces are cut, both readers see
// what they see in the whole, and refuse with the same place and reason.
void TestXmlTree::piecesReadAsTheWhole_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("error"); // empty: read
    const QString wide = QStringLiteral("\u00e9\u20ac\U0001F321\uFEFF\u6e29");
    const QString doc = QStringLiteral("<?xml version=\"1.0\"?>\r\n<!DOCTYPE DNET_Net [<!ENTITY e \"[%1]\">]>\n"
                                       "<DNET_Net><!--c-->\n  <row ID=\"1\" Mnemonic=\"%1&e;\"/>x&amp;y<![CDATA[<%1>]]>"
                                       "<?pi %1?>\n</DNET_Net>\n<!--SW_VERSION = 2.004-->\n")
                            .arg(wide);
    QTest::newRow("UTF-8") << doc.toUtf8() << QString();
    for (const char *encoding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"})
        QTest::addRow("%s", encoding) << Portable::encoded(doc, encoding, true) << QString();
    const QString latin = QString(doc).replace(wide, QStringLiteral("\u00e9\u20ac\u0178"));
    QTest::newRow("Windows-1252")
        << Portable::encoded(QString(latin).replace(QStringLiteral("?>\r"), QStringLiteral(" encoding=\"cp1252\"?>\r")),
                   "windows-1252", false)
        << QString();
    // Whatever follows the root element is read: a second root, text, a comment that never ends.
    QTest::newRow("second root") << QByteArray("<DNET_Net><row/></DNET_Net><!--c--><DNET_Net/>")
                                 << "doc.xml: line 1, column 46: Extra content at end of document.";
    QTest::newRow("text after the root") << QByteArray("<DNET_Net/>\n  x")
                                         << "doc.xml: line 2, column 3: Extra content at end of document.";
    QTest::newRow("open comment after the root") << QByteArray("<DNET_Net></DNET_Net><!-- c")
                                                 << "doc.xml: line 1, column 27: Premature end of document.";
    QTest::newRow("empty root, comment after") << QByteArray("<DNET_Net/><!--SW_VERSION = 2.004-->") << QString();
    QTest::newRow("no root") << QByteArray("<!--only a comment-->\n")
                            << "doc.xml: line 2, column 0: Premature end of document.";
    // The attribute bound counts across pieces and names the same place; markup that only looks like
    // attributes is not counted, however its opening is cut.
    QByteArray attributes = "<DNET_Net>\n<!--a=1-->\n<row";
    for (int i = 1; i <= 257; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    QTest::newRow("257 attributes") << attributes + "/></DNET_Net>"
                                    << "doc.xml: line 3, column 1950: an element has more than 256 attributes";
    const QByteArray many = QByteArray("a=b ").repeated(300);
    QTest::newRow("equals signs outside tags")
        << "<DNET_Net><!--" + many + "--><![CDATA[" + many + "]]><?pi " + many + "?><row a='" + many + "'/></DNET_Net>"
        << QString();
    QTest::newRow("257 levels") << "<a>" + QByteArray("<a>").repeated(256) + QByteArray("</a>").repeated(257)
                                << "doc.xml: line 1, column 771: the elements are nested deeper than 256 levels";
    QTest::newRow("undeclared prefix") << QByteArray("<DNET_Net>\n\n<p:row ID=\"1\"/></DNET_Net>")
                                       << "doc.xml: line 3, column 15: Namespace prefix 'p' not declared";
    QTest::newRow("not UTF-8 near the end") << QByteArray("<DNET_Net><row ID=\"1\"/><row ID=\"\xe9\"/></DNET_Net>")
                                            << "doc.xml: the document is not valid UTF-8 text";
    QTest::newRow("UTF-16, half a pair near the end")
        << Portable::encoded(QStringLiteral("<DNET_Net><row/></DNET_Net>"), "UTF-16LE", true) + QByteArray("\x3d\xd8", 2)
        << "doc.xml: the document is not valid UTF-16 text";
}

void TestXmlTree::piecesReadAsTheWhole()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, error);
    const auto outcome = [&xml](qsizetype piece) {
        QString tree;
        try {
            const XmlTree t = XmlTree::parse(xml, QStringLiteral("doc.xml"), piece);
            for (int node = t.firstNode(); node != XmlTree::None; node = t.nextSibling(node))
                tree += QString::number(int(t.kind(node))) + QLatin1Char(' ') + t.name(node).toString() +
                        QLatin1Char('{') + describe(t, node).join(QLatin1Char(';')) + QLatin1Char('}');
        } catch (const AppError &e) {
            tree = e.message();
        }
        QString dom;
        try {
            dom = describe(ProjectDocument::parse(xml, QStringLiteral("doc.xml"), piece)).join(QLatin1Char(';'));
        } catch (const AppError &e) {
            dom = e.message();
        }
        return tree + QStringLiteral("\n") + dom;
    };
    const QString whole = outcome(xml.size() + 1);
    if (error.isEmpty())
        QVERIFY2(!whole.contains(QLatin1String("doc.xml")), qPrintable(whole));
    else
        QCOMPARE(whole, error + QLatin1Char('\n') + error);
    for (qsizetype piece = 1; piece <= 40; ++piece)
        QVERIFY2(outcome(piece) == whole, qPrintable(QStringLiteral("pieces of %1 bytes:\n%2\nwhole:\n%3")
                                                         .arg(piece)
                                                         .arg(outcome(piece), whole)));
}

void TestXmlTree::registerMapReadsAsFromTheDocumentParser_data()
{
    QTest::addColumn<QByteArray>("dnetNet");
    QTest::addColumn<QByteArray>("defReg");
    const QByteArray slaves =
        "<DNET_Net><row ID=\"4\" NB_IN=\"2\" NB_OUT=\"3\"/><row ID=\" 9\" NB_IN=\"$10\" NB_OUT=\"x\"/>"
        "</DNET_Net><!--SW_VERSION = 2.004-->";
    const QByteArray registers = "<InfoMod><Modbus_Read><row Index=\"010\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                                 "<row Index=\"7\" NrDNNode=\"2\" PosComp=\"-1\"/></Modbus_Read>"
                                 "<Modbus_Write><row Index=\" 3\" NrDNNode=\"2\" PosComp=\"1\"/></Modbus_Write>"
                                 "</InfoMod><!--SW_VERSION = 2.004-->";
    QTest::newRow("as the editors write") << slaves << registers;
    QTest::newRow("missing attributes")
        << QByteArray("<DNET_Net><row NB_IN=\"1\"/><row ID=\"2\"/></DNET_Net>")
        << QByteArray("<InfoMod><Modbus_Read><row NrDNNode=\"1\"/><row Index=\"5\" PosComp=\"0\"/>"
                      "<row Index=\"6\" NrDNNode=\"2\"/></Modbus_Read></InfoMod>");
    // Every child node is a row, whatever its kind or name: a comment or text is a slave with no ID.
    QTest::newRow("nodes of any kind are rows")
        << QByteArray("<DNET_Net><!--c--><row ID=\"1\" NB_IN=\"2\" NB_OUT=\"2\"/><?pi x?><slave ID=\"3\"/></DNET_Net>")
        << QByteArray("<InfoMod><Modbus_Write>text<row Index=\"1\" NrDNNode=\"2\" PosComp=\"1\"/><!--c-->"
                      "<reg Index=\"2\" NrDNNode=\"4\" PosComp=\"2\"/></Modbus_Write></InfoMod>");
    QTest::newRow("indented by another tool")
        << QByteArray("<?xml version=\"1.0\"?>\n<DNET_Net>\n  <row ID=\"1\" NB_IN=\"1\" NB_OUT=\"1\"/>\n</DNET_Net>\n")
        << QByteArray("<?xml version=\"1.0\"?>\n<InfoMod>\n  <Modbus_Read>\n    <row Index=\"1\" NrDNNode=\"1\" "
                      "PosComp=\"0\"/>\n  </Modbus_Read>\n  <Modbus_Write/>\n</InfoMod>\n");
    // The root is the first top-level node: a comment there leaves no slaves and no registers.
    QTest::newRow("comment before the root") << "<!--c-->" + slaves << "<!--c-->" + registers;
    QTest::newRow("sections in the other order or twice")
        << slaves
        << QByteArray("<InfoMod><Modbus_Write><row Index=\"1\" NrDNNode=\"1\" PosComp=\"0\"/></Modbus_Write>"
                      "<Modbus_Read><row Index=\"2\" NrDNNode=\"1\" PosComp=\"0\"/></Modbus_Read>"
                      "<Modbus_Read><row Index=\"3\" NrDNNode=\"1\" PosComp=\"0\"/></Modbus_Read></InfoMod>");
    QTest::newRow("empty tables laid out")
        << QByteArray("<DNET_Net>\n<row ID=\"1\" NB_IN=\"1\" NB_OUT=\"1\"/>\n</DNET_Net>")
        << QByteArray("<InfoMod>\n  <Modbus_Read>\n  </Modbus_Read>\n  <Modbus_Write>\n  </Modbus_Write>\n</InfoMod>");
    QTest::newRow("escaped values") << QByteArray("<DNET_Net><row ID=\"&lt;1&gt;\" NB_IN=\"&#50;\"/></DNET_Net>")
                                    << QByteArray("<InfoMod><Modbus_Read><row Index=\"&#x31;&amp;\" NrDNNode=\"1\"/>"
                                                  "</Modbus_Read></InfoMod>");
}

void TestXmlTree::registerMapReadsAsFromTheDocumentParser()
{
    QFETCH(QByteArray, dnetNet);
    QFETCH(QByteArray, defReg);
    ModbusMap fromDocuments;
    DomRegisterMap::readSlaves(fromDocuments, ProjectDocument::parse(dnetNet, QStringLiteral("DNET_Net.xml")));
    DomRegisterMap::readRegisters(fromDocuments, ProjectDocument::parse(defReg, QStringLiteral("DefReg.xml")));
    // Each tree is gone once read: the map must hold texts of its own.
    ModbusMap fromTrees;
    fromTrees.readSlaves(XmlTree::parse(dnetNet, QStringLiteral("DNET_Net.xml")));
    fromTrees.readRegisters(XmlTree::parse(defReg, QStringLiteral("DefReg.xml")));
    XmlTree::parse(QByteArray(4096, ' ').prepend("<overwrite a=\"").append("\"/>"), QStringLiteral("x.xml"));
    QCOMPARE(describe(fromTrees), describe(fromDocuments));
    QCOMPARE(fromTrees.registerCount(), fromDocuments.registerCount());
}

QTEST_GUILESS_MAIN(TestXmlTree)
#include "tst_xmltree.moc"
