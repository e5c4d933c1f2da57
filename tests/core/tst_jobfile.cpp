#include "TestWorkspace.h"
#include "base/AppError.h"
#include "documents/ProjectDocument.h"
#include "update/UpdateJob.h"

#include <QtTest>

// The job file of the Ethernet updater: what the updater reads, element by element.
class TestJobFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeFileForFirmwareAndConfiguration();
    void operations_data();
    void operations();
    void addressTakenAsTyped();
    void writtenBesideTheProgramReplacingTheOldFile();
    void unwritableJobFileIsAnError();

private:
    static WorkspacePaths fixedPaths();
    static QStringList childNames(const QDomNode &node);
};

WorkspacePaths TestJobFile::fixedPaths()
{
    WorkspacePaths paths;
    paths.setProgramFolder(QStringLiteral("/opt/sw"));
    paths.activateProject(QStringLiteral("Plant 1"));
    return paths;
}

QStringList TestJobFile::childNames(const QDomNode &node)
{
    QStringList names;
    for (QDomNode n = node.firstChild(); !n.isNull(); n = n.nextSibling())
        names.append(n.isElement() ? n.nodeName() : QStringLiteral("#") + n.nodeName());
    return names;
}

void TestJobFile::wholeFileForFirmwareAndConfiguration()
{
    QFile golden(QStringLiteral(SW_TEST_DATA "/update/job_firmware_configuration_readback.xml"));
    QVERIFY(golden.open(QIODevice::ReadOnly));
    QString expected = QString::fromUtf8(golden.readAll()).trimmed();
    for (const QString &path :
         {QStringLiteral("/opt/sw/MASTER/Sim40917K.sim"), QStringLiteral("/opt/sw/PROJECTS/Plant 1/bin/bank2.bin")})
        expected.replace(path, QDir::toNativeSeparators(path));

    const QByteArray bytes = ProjectDocument::toBytes(UpdateJob::buildJobFile(
        fixedPaths(), QStringLiteral("192.168.2.205"), UpdateJob::FirmwareAndConfiguration, true));
    // No declaration, no indentation, no comment node: exactly the golden text.
    QCOMPARE(QString::fromUtf8(bytes).trimmed(), expected);
}

void TestJobFile::operations_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    // Per operation: file name end, start address, bank type, read back, write CSS, address CSS, go to app after.
    QTest::addColumn<QList<QStringList>>("expected");

    const QString fw = QDir::toNativeSeparators(QStringLiteral("/MASTER/Sim40917K.sim"));
    const QString cfg = QDir::toNativeSeparators(QStringLiteral("/bin/bank2.bin"));
    auto firmware = [&](const char *readBack, const char *after) {
        return QStringList{fw, "0x8000", "1", readBack, "1", "0x78100", after};
    };
    auto configuration = [&](const char *readBack) {
        return QStringList{cfg, "0x50000", "2", readBack, "0", "0x50100", "1"};
    };
    QTest::newRow("both, read back") << 0 << true << QList<QStringList>{firmware("1", "0"), configuration("1")};
    QTest::newRow("both, no read back") << 0 << false << QList<QStringList>{firmware("0", "0"), configuration("0")};
    QTest::newRow("firmware only goes to the application after") << 1 << true << QList<QStringList>{firmware("1", "1")};
    QTest::newRow("firmware only, no read back") << 1 << false << QList<QStringList>{firmware("0", "1")};
    QTest::newRow("configuration only") << 2 << false << QList<QStringList>{configuration("0")};
    QTest::newRow("configuration only, read back") << 2 << true << QList<QStringList>{configuration("1")};
}

void TestJobFile::operations()
{
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QList<QStringList>, expected);

    const QDomDocument doc = UpdateJob::buildJobFile(fixedPaths(), QStringLiteral("10.0.0.1"), option, readBack);
    QCOMPARE(childNames(doc), QStringList{"Ethernet_Update"});
    const QDomElement root = doc.documentElement();
    QCOMPARE(childNames(root), (QStringList{"Version", "Title", "IP_Address_Dev", "Application_Port", "Boot_Port",
                                            "Boot_Port_Sec", "Address_Protection", "Protections", "Operations"}));
    const QDomElement operations = root.firstChildElement(QStringLiteral("Operations"));
    const QStringList operationOrder{
        "Ope_Protection_Enabled", "Ope_GoToBoot_Before", "Ope_GoToApp_Before", "Ope_IP_Address",    "Ope_Port",
        "Ope_Port_Sec",           "Ope_Erase_Memory",    "Ope_FileName",       "Ope_Start_Address", "Ope_Memory_Type",
        "Ope_Bank_Type",          "Ope_Read_Back",       "Ope_Write_CSS",      "Ope_Address_CSS",   "Ope_Command_CSS",
        "Ope_GoToApp_After"};
    QCOMPARE(childNames(operations).size(), expected.size());

    QDomElement op = operations.firstChildElement();
    for (const QStringList &values : expected) {
        QCOMPARE(op.tagName(), QStringLiteral("Operation"));
        QCOMPARE(childNames(op), operationOrder);
        auto value = [&](const char *name) { return op.firstChildElement(QLatin1String(name)).text(); };
        QVERIFY2(value("Ope_FileName").endsWith(values.at(0)), qPrintable(value("Ope_FileName")));
        QCOMPARE(value("Ope_Start_Address"), values.at(1));
        QCOMPARE(value("Ope_Bank_Type"), values.at(2));
        QCOMPARE(value("Ope_Read_Back"), values.at(3));
        QCOMPARE(value("Ope_Write_CSS"), values.at(4));
        QCOMPARE(value("Ope_Address_CSS"), values.at(5));
        QCOMPARE(value("Ope_GoToApp_After"), values.at(6));
        op = op.nextSiblingElement();
    }
}

void TestJobFile::addressTakenAsTyped()
{
    const QDomDocument doc = UpdateJob::buildJobFile(fixedPaths(), QStringLiteral("192. 168.2.205"), 0, true);
    QCOMPARE(doc.documentElement().firstChildElement(QStringLiteral("IP_Address_Dev")).text(),
             QStringLiteral("192. 168.2.205"));
}

void TestJobFile::writtenBesideTheProgramReplacingTheOldFile()
{
    TestWorkspace ws;
    ws.makeProject(QStringLiteral("P"));
    const QString path = ws.path(QStringLiteral("Ethernet_Update.xml"));
    QCOMPARE(UpdateJob::jobFilePath(ws.context.paths), QDir::toNativeSeparators(path));
    TestWorkspace::writeFile(path, QByteArray(5000, 'x'));

    UpdateJob::writeJobFile(ws.context.paths, QStringLiteral("127.0.0.1"), 2, false);
    const QByteArray written = TestWorkspace::readFile(path);
    QVERIFY(written.startsWith("<Ethernet_Update>"));
    QVERIFY(!written.contains('x' + QByteArray(10, 'x')));
    const QDomDocument back = ProjectDocument::parse(written, path);
    QCOMPARE(back.documentElement().firstChildElement(QStringLiteral("IP_Address_Dev")).text(),
             QStringLiteral("127.0.0.1"));
    QCOMPARE(back.documentElement().firstChildElement(QStringLiteral("Operations")).childNodes().size(), 1);
}

void TestJobFile::unwritableJobFileIsAnError()
{
    TestWorkspace ws;
    // A folder where the file should be: nothing can replace it.
    QVERIFY(QDir(ws.dir.path()).mkdir(QStringLiteral("Ethernet_Update.xml")));
    QVERIFY_THROWS_EXCEPTION(AppError, UpdateJob::writeJobFile(ws.context.paths, QStringLiteral("1.2.3.4"), 0, true));
}

QTEST_GUILESS_MAIN(TestJobFile)
#include "tst_jobfile.moc"
