#include "CompileProject.h"
// The compile on documents from elsewhere: re-laid out by another tool it gives the same images; hostile
// files (deep nesting, devices, FIFOs, huge files) stop it with a message naming the file.
#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "documents/ProjectDocument.h"
#include "image/CompileDriver.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QXmlStreamWriter>
#include <QtTest>


namespace {

using Project = CompileProject;
using TestFiles::readFile;

enum class Layout { Indented, Crlf, Utf8Bom, Utf16 };

// Another tool's way of writing the same document: a declaration, every tag on a line of its own (an element
// without content too, so that empty tables and rows hold line breaks), then the chosen line ends and encoding.
void writeIndented(QString &out, const QDomNode &node, int depth)
{
    const QString indent = QStringLiteral("\n") + QString(depth * 2, QLatin1Char(' '));
    if (node.isComment()) {
        out += indent + QStringLiteral("<!--") + node.nodeValue() + QStringLiteral("-->");
        return;
    }
    if (!node.isElement())
        return;
    QString tag;
    QXmlStreamWriter writer(&tag);
    writer.writeStartElement(node.nodeName());
    const QDomNamedNodeMap attributes = node.attributes();
    for (int i = 0; i < attributes.count(); ++i)
        writer.writeAttribute(attributes.item(i).nodeName(), attributes.item(i).nodeValue());
    writer.writeCharacters(QString()); // closes the start tag
    out += indent + tag;
    const QDomNode first = node.firstChild();
    if (!first.isNull() && first.isText() && first.nextSibling().isNull()) {
        QString text;
        QXmlStreamWriter textWriter(&text);
        textWriter.writeCharacters(first.nodeValue());
        out += text;
    } else {
        for (QDomNode child = first; !child.isNull(); child = child.nextSibling())
            writeIndented(out, child, depth + 1);
        out += indent;
    }
    out += QStringLiteral("</") + node.nodeName() + QStringLiteral(">");
}

QByteArray relaidOut(const QByteArray &compact, Layout layout)
{
    const QDomDocument doc = ProjectDocument::parse(compact, QStringLiteral("doc.xml"));
    QString text = layout == Layout::Utf16 ? QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>")
                                           : QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    for (QDomNode node = doc.firstChild(); !node.isNull(); node = node.nextSibling())
        writeIndented(text, node, 0);
    text += QLatin1Char('\n');
    switch (layout) {
    case Layout::Indented:
        return text.toUtf8();
    case Layout::Crlf:
        return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toUtf8();
    case Layout::Utf8Bom:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case Layout::Utf16: {
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        return encoder.encode(text);
    }
    }
    return {};
}

QByteArray nested(int depth)
{
    return "<Par_Gen><DNET_DEV_ID>" + QByteArray("<a>").repeated(depth) + "1" + QByteArray("</a>").repeated(depth) +
           "</DNET_DEV_ID></Par_Gen>";
}

} // namespace

class TestCompileInput : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void relaidOutGivesTheSameImages_data();
    void relaidOutGivesTheSameImages();
    void emptyTablesLaidOut();
    void hostileDocumentStopsTheCompile_data();
    void hostileDocumentStopsTheCompile();
};

// Every golden configuration that compiles, and two with empty tables, in every layout another tool might
// write. The documents are ParGen.xml, DNET_Net.xml and DefReg.xml; an empty one is missing.
void TestCompileInput::relaidOutGivesTheSameImages_data()
{
    QTest::addColumn<QByteArrayList>("documents");
    QTest::addColumn<int>("layout");
    QList<std::pair<QString, QByteArrayList>> configurations;
    const QDir root(QStringLiteral(SW_TEST_DATA "/compile"));
    for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QByteArray expected = readFile(root.filePath(name + QStringLiteral("/expected.txt")));
        if (expected.startsWith("error:") || expected.contains("\nerror:"))
            continue;
        QByteArrayList documents;
        for (const QString &document : TestFiles::DocumentNames)
            documents << readFile(root.filePath(name + QLatin1Char('/') + document));
        configurations.append({name, documents});
    }
    const QByteArray parGen = readFile(root.filePath(QStringLiteral("example/ParGen.xml")));
    const QByteArray slaves = readFile(root.filePath(QStringLiteral("example/DNET_Net.xml")));
    configurations.append({QStringLiteral("no write registers"),
                           {parGen, slaves,
                            "<InfoMod><Modbus_Read><row Index=\"1\" NrDNNode=\"1\" PosComp=\"0\"/></Modbus_Read>"
                            "<Modbus_Write></Modbus_Write></InfoMod>"}});
    configurations.append(
        {QStringLiteral("no slaves"), {parGen, "<DNET_Net/>", "<InfoMod><Modbus_Read/><Modbus_Write/></InfoMod>"}});
    const std::pair<const char *, Layout> layouts[] = {{"indented", Layout::Indented},
                                                       {"CRLF", Layout::Crlf},
                                                       {"UTF-8 BOM", Layout::Utf8Bom},
                                                       {"UTF-16", Layout::Utf16}};
    for (const auto &[name, documents] : configurations) {
        for (const auto &[layoutName, layout] : layouts)
            QTest::addRow("%s, %s", qPrintable(name), layoutName) << documents << int(layout);
    }
}

void TestCompileInput::relaidOutGivesTheSameImages()
{
    QFETCH(QByteArrayList, documents);
    QFETCH(int, layout);
    Project compact;
    Project relaid;
    for (int i = 0; i < TestFiles::DocumentNames.size(); ++i) {
        if (documents.at(i).isEmpty())
            continue;
        QVERIFY(TestFiles::writeBytes(compact.document(TestFiles::DocumentNames.at(i)), documents.at(i)));
        QVERIFY(TestFiles::writeBytes(relaid.document(TestFiles::DocumentNames.at(i)),
                                      relaidOut(documents.at(i), Layout(layout))));
    }
    const DeviceImages expected = BuildDeviceImages(compact.paths);
    DeviceImages actual;
    try {
        actual = BuildDeviceImages(relaid.paths);
    } catch (const AppError &e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(actual.bank.toHex(' '), expected.bank.toHex(' '));
    QVERIFY(actual.bank2 == expected.bank2);
}

// The case another tool writes most: tables without rows, their tags on separate lines.
void TestCompileInput::emptyTablesLaidOut()
{
    Project project;
    QVERIFY(TestFiles::writeBytes(project.paths.DnetNetPath, "<DNET_Net>\n</DNET_Net>\n"));
    QVERIFY(TestFiles::writeBytes(project.paths.DefRegPath,
                                  "<InfoMod>\n  <Modbus_Read>\n  </Modbus_Read>\n  <Modbus_Write>\n  "
                                  "</Modbus_Write>\n</InfoMod>\n"));
    const DeviceImages images = BuildDeviceImages(project.paths);
    QCOMPARE(images.bank.toHex(' '), QByteArray("10 00 00 00 10 00 00 00 10 00 00 00 10 00 00 00"));
}

void TestCompileInput::hostileDocumentStopsTheCompile_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("kind");     // "bytes", "link", "fifo" or "sparse"
    QTest::addColumn<QByteArray>("bytes"); // content, or the link target
    QTest::addColumn<QString>("reason");
    QTest::newRow("400 000 nested elements")
        << "ParGen.xml"
        << "bytes" << nested(400000) << "the elements are nested deeper than 256 levels";
    QTest::newRow("link to /dev/zero") << "ParGen.xml"
                                       << "link" << QByteArray("/dev/zero") << "it is not a regular file";
    QTest::newRow("FIFO") << "DNET_Net.xml"
                          << "fifo" << QByteArray() << "it is not a regular file";
    QTest::newRow("a folder") << "DefReg.xml"
                              << "folder" << QByteArray() << "it is not a regular file";
    QTest::newRow("over 64 MiB") << "DefReg.xml"
                                 << "sparse" << QByteArray() << "it is larger than 64 MiB";
    QTest::newRow("undeclared prefix") << "DNET_Net.xml"
                                       << "bytes"
                                       << QByteArray("<DNET_Net><d:row ID=\"1\" NB_IN=\"1\" NB_OUT=\"1\"/></DNET_Net>")
                                       << "Namespace prefix 'd' not declared";
}

void TestCompileInput::hostileDocumentStopsTheCompile()
{
    QFETCH(QString, document);
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    Project project;
    // Valid companions, so that the hostile file is what stops the compile.
    for (const QString &name : TestFiles::DocumentNames)
        QVERIFY(TestFiles::writeBytes(project.document(name),
                                      readFile(QStringLiteral(SW_TEST_DATA "/compile/example/") + name)));
    const QString path = project.document(document);
    QFile::remove(path);
    if (kind == QLatin1String("bytes"))
        QVERIFY(TestFiles::writeBytes(path, bytes));
    else if (kind == QLatin1String("link"))
        SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(QString::fromLatin1(bytes), path));
    else if (kind == QLatin1String("fifo"))
        SW_MAKE_SPECIAL_FILE(TestFiles::makeFifo(path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(path));
    else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(qint64(64) * 1024 * 1024 + 1)); // sparse: no disk space, no time
    }
    try {
        CompileDeviceImages(project.paths);
        QFAIL("the compile did not stop");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
    }
    QVERIFY(!QFile::exists(joinPath(project.paths.binFolder(), QStringLiteral("bank.bin"))));
    QVERIFY(!QFile::exists(joinPath(project.paths.binFolder(), QStringLiteral("bank2.bin"))));
}

QTEST_GUILESS_MAIN(TestCompileInput)
#include "tst_compile_input.moc"
