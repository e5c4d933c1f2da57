#include "base/AppError.h"
#include "documents/ProjectDocument.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// A folder in which no file can be created, for as long as the guard lives. Root ignores the
// permission bits, so the immutable attribute stands in for them there.
class LockedFolder
{
public:
    explicit LockedFolder(const QString &folder)
        : m_folder(folder)
    {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (canCreateIn(folder))
            m_immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), folder}) == 0;
        m_locked = !canCreateIn(folder);
    }
    ~LockedFolder()
    {
        if (m_immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_folder});
        QFile::setPermissions(m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    bool locked() const { return m_locked; }

private:
    static bool canCreateIn(const QString &folder)
    {
        QFile probe(folder + QStringLiteral("/probe"));
        const bool created = probe.open(QIODevice::WriteOnly);
        if (created)
            probe.remove();
        return created;
    }
    QString m_folder;
    bool m_immutable = false;
    bool m_locked = false;
};

// A device that accepts a few bytes, then fails.
class FailingDevice : public QBuffer
{
protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (size() + len > 8) {
            setErrorString(QStringLiteral("disk full"));
            return -1;
        }
        return QBuffer::writeData(data, len);
    }
};

class TestDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writtenShape();
    void valuesReadBackAsWritten();
    void attributesInGivenOrder();
    void readerTakesFirstNodeAsRoot_data();
    void readerTakesFirstNodeAsRoot();
    void indentationIsNoContent();
    void parseErrorNamesTheFile_data();
    void parseErrorNamesTheFile();
    void childTextAndAttributeTellMissingFromEmpty();
    void failingDeviceReportsItsError();
    void saveIntoMissingFolderFails();
    void failedSaveLeavesPreviousFileWhole();
};

void TestDocument::writtenShape()
{
    QDomDocument doc = ProjectDocument::create(QStringLiteral("Par_Gen"));
    QDomElement root = ProjectDocument::root(doc);
    ProjectDocument::appendTextElement(root, QStringLiteral("A"), QStringLiteral("1"));
    QDomElement row = ProjectDocument::appendElement(root, QStringLiteral("row"));
    row.setAttribute(QStringLiteral("ID"), QStringLiteral("7"));
    ProjectDocument::appendTextElement(root, QStringLiteral("Empty"), QString());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ParGen.xml"));
    ProjectDocument::save(doc, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Root first, then the comment at document level; no declaration, no indentation.
    QCOMPARE(bytes.trimmed(),
             QByteArray("<Par_Gen><A>1</A><row ID=\"7\"/><Empty/></Par_Gen><!--SW_VERSION = 2.004-->"));
    QVERIFY(!bytes.contains('\n') || bytes.indexOf('\n') == bytes.size() - 1);

    const QDomDocument back = ProjectDocument::load(path);
    QCOMPARE(back.childNodes().count(), 2);
    QCOMPARE(back.childNodes().item(0).nodeName(), QStringLiteral("Par_Gen"));
    QVERIFY(back.childNodes().item(1).isComment());
    QCOMPARE(back.childNodes().item(1).nodeValue(), QStringLiteral("SW_VERSION = 2.004"));
}

void TestDocument::valuesReadBackAsWritten()
{
    const QStringList values = {QStringLiteral("   "),
                                QStringLiteral(" 7"),
                                QStringLiteral("7 "),
                                QStringLiteral("$3F"),
                                QString(),
                                QStringLiteral("<&>\"'"),
                                QStringLiteral("a\tb c"),
                                QStringLiteral("Ünïcode €")};
    QDomDocument doc = ProjectDocument::create(QStringLiteral("R"));
    QDomElement root = ProjectDocument::root(doc);
    for (int i = 0; i < values.size(); ++i) {
        ProjectDocument::appendTextElement(root, QStringLiteral("E%1").arg(i), values.at(i));
        ProjectDocument::appendElement(root, QStringLiteral("row")).setAttribute(QStringLiteral("V"), values.at(i));
    }
    const QDomDocument back = ProjectDocument::parse(ProjectDocument::toBytes(doc), QStringLiteral("x.xml"));
    const QDomNode backRoot = ProjectDocument::firstNode(back);
    QDomElement row = backRoot.firstChildElement(QStringLiteral("row"));
    for (int i = 0; i < values.size(); ++i) {
        QCOMPARE(ProjectDocument::childText(backRoot, QStringLiteral("E%1").arg(i)),
                 std::optional<QString>(values.at(i)));
        QCOMPARE(ProjectDocument::attribute(row, QStringLiteral("V")), std::optional<QString>(values.at(i)));
        row = row.nextSiblingElement(QStringLiteral("row"));
    }
}

void TestDocument::attributesInGivenOrder()
{
    QDomDocument doc = ProjectDocument::create(QStringLiteral("R"), false);
    for (int i = 0; i < 3; ++i) {
        QDomElement row = ProjectDocument::appendElement(ProjectDocument::root(doc), QStringLiteral("row"));
        for (const char *name : {"Mnemonic", "NB_OUT", "ID", "Zeta", "NB_IN", "Alpha"})
            row.setAttribute(QLatin1String(name), QStringLiteral("v"));
    }
    const QByteArray row("<row ID=\"v\" NB_IN=\"v\" NB_OUT=\"v\" Mnemonic=\"v\" Alpha=\"v\" Zeta=\"v\"/>");
    QCOMPARE(ProjectDocument::toBytes(doc, {"ID", "NB_IN", "NB_OUT", "Mnemonic"}), "<R>" + row + row + row + "</R>");
}

void TestDocument::readerTakesFirstNodeAsRoot_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("rootName");
    QTest::newRow("written shape") << QByteArray("<R><A>1</A></R><!--SW_VERSION = 2.004-->") << "R";
    QTest::newRow("declaration is not a node") << QByteArray("<?xml version=\"1.0\"?>\n<R><A>1</A></R>") << "R";
    // A comment ahead of the root is the first node: the document then reads as if empty.
    QTest::newRow("comment before root") << QByteArray("<!--c--><R><A>1</A></R>") << "#comment";
}

void TestDocument::readerTakesFirstNodeAsRoot()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, rootName);
    const QDomDocument doc = ProjectDocument::parse(bytes, QStringLiteral("x.xml"));
    const QDomNode root = ProjectDocument::firstNode(doc);
    QCOMPARE(root.nodeName(), rootName);
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("A")).has_value(), rootName == QLatin1String("R"));
}

void TestDocument::indentationIsNoContent()
{
    const QByteArray bytes("<R>\n  <row ID=\"1\"/>\n  <row ID=\"2\"/>\n  <A>  </A>\n  <T>\n  </T>\n</R>\n");
    const QDomNode root = ProjectDocument::firstNode(ProjectDocument::parse(bytes, QStringLiteral("x.xml")));
    QCOMPARE(root.childNodes().count(), 4);
    // White space alone in an element is its value as typed, and no row of a table.
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("A")), std::optional<QString>(QStringLiteral("  ")));
    QVERIFY(ProjectDocument::firstRow(ProjectDocument::firstChildElement(root, QStringLiteral("T"))).isNull());
}

void TestDocument::parseErrorNamesTheFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("unclosed root") << QByteArray("<R><A>1</A>");
    QTest::newRow("mismatched tag") << QByteArray("<R><A>1</B></R>");
    QTest::newRow("text only") << QByteArray("hello");
}

void TestDocument::parseErrorNamesTheFile()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    try {
        ProjectDocument::load(path);
        QFAIL("a document that is not well-formed was accepted");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
}

void TestDocument::childTextAndAttributeTellMissingFromEmpty()
{
    const QDomNode root =
        ProjectDocument::firstNode(ProjectDocument::parse("<R><A/><row ID=\"\"/></R>", QStringLiteral("x.xml")));
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("A")), std::optional<QString>(QString()));
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("B")), std::nullopt);
    QCOMPARE(ProjectDocument::childText(root, QStringLiteral("B"), QStringLiteral("fb")), QStringLiteral("fb"));
    const QDomElement row = root.firstChildElement(QStringLiteral("row"));
    QCOMPARE(ProjectDocument::attribute(row, QStringLiteral("ID")), std::optional<QString>(QString()));
    QCOMPARE(ProjectDocument::attribute(row, QStringLiteral("NB_IN")), std::nullopt);
}

void TestDocument::failingDeviceReportsItsError()
{
    FailingDevice device;
    QVERIFY(device.open(QIODevice::WriteOnly));
    const QString error = ProjectDocument::writeTo(ProjectDocument::create(QStringLiteral("DNET_Net")), device);
    QCOMPARE(error, QStringLiteral("disk full"));
}

void TestDocument::saveIntoMissingFolderFails()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone/ParGen.xml"));
    QVERIFY_THROWS_EXCEPTION(AppError, ProjectDocument::save(ProjectDocument::create(QStringLiteral("R")), path));
    QVERIFY(!QFile::exists(path));
}

void TestDocument::failedSaveLeavesPreviousFileWhole()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("project"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/ParGen.xml");
    const QByteArray previous("<Par_Gen><DNET_DEV_ID>5</DNET_DEV_ID></Par_Gen><!--SW_VERSION = 2.004-->");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(previous);
    }
    QDomDocument doc = ProjectDocument::create(QStringLiteral("Par_Gen"));
    ProjectDocument::appendTextElement(ProjectDocument::root(doc), QStringLiteral("DNET_DEV_ID"), QStringLiteral("9"));
    {
        LockedFolder lock(folder);
        if (!lock.locked())
            QSKIP("this system cannot make a folder unwritable");
        try {
            ProjectDocument::save(doc, path);
            QFAIL("saving into an unwritable folder succeeded");
        } catch (const AppError &e) {
            QVERIFY2(e.message().contains(path), qPrintable(e.message()));
        }
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), previous);
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("ParGen.xml")});
}

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
