#include "CompileProject.h"
#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "documents/ProjectDocument.h"
#include "image/Bank2Image.h"
#include "image/CompileDriver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kVersion = "<!--SW_VERSION = 2.004-->\n";

QByteArray fromHex(const QString &text)
{
    return QByteArray::fromHex(text.simplified().remove(QLatin1Char(' ')).toLatin1());
}

using Project = CompileProject;
using TestFiles::readFile;
using TestFiles::writeFile;

QByteArray slaveRows(int count, int nbIn = 1, int nbOut = 1)
{
    QByteArray xml = "<DNET_Net>";
    for (int i = 0; i < count; ++i)
        xml += QStringLiteral("<row ID=\"%1\" NB_IN=\"%2\" NB_OUT=\"%3\" Mnemonic=\"\"/>")
                   .arg(i % 64)
                   .arg(nbIn)
                   .arg(nbOut)
                   .toLatin1();
    return xml + "</DNET_Net>" + kVersion;
}

QByteArray registerRows(int readRows, int writeRows, int nrDNNode)
{
    QByteArray xml = "<InfoMod><Modbus_Read>";
    for (int i = 0; i < readRows; ++i)
        xml += QStringLiteral("<row Index=\"%1\" NrDNNode=\"%2\" PosComp=\"1\"/>").arg(i).arg(nrDNNode).toLatin1();
    xml += "</Modbus_Read><Modbus_Write>";
    for (int i = 0; i < writeRows; ++i)
        xml += QStringLiteral("<row Index=\"%1\" NrDNNode=\"%2\" PosComp=\"1\"/>").arg(i).arg(nrDNNode).toLatin1();
    return xml + "</Modbus_Write></InfoMod>" + kVersion;
}

} // namespace

class TestCompile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void golden_data();
    void golden();
    void exampleFolderIsTheGoldenExample();
    void exampleDocumentsHaveTheEditorsForm_data();
    void exampleDocumentsHaveTheEditorsForm();
    void limits_data();
    void limits();
    void secondCompileKeepsNothingOfTheFirst();
    void createsMissingBinFolder();
};

void TestCompile::golden_data()
{
    QTest::addColumn<QString>("folder");
    const QDir root(QStringLiteral(SW_TEST_DATA "/compile"));
    const QStringList cases = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    QVERIFY(!cases.isEmpty());
    for (const QString &name : cases)
        QTest::newRow(qPrintable(name)) << root.filePath(name);
}

// Each folder holds up to three documents and expected.txt: "bank:"/"bank+:" give the whole bank.bin in
// hexadecimal, "bank2@OFFSET:" bytes of bank2.bin, "bank2.field: NAME = VALUE" a parameter field of
// bank2.bin by its name in the image layout, as dump shows it, "bank2.checksum:", "bank2.zero: FROM-TO",
// or "error:" with the message the compile must stop with.
void TestCompile::golden()
{
    QFETCH(QString, folder);
    Project project;
    project.copyDocumentsFrom(folder);

    QByteArray expectedBank;
    QString expectedError;
    struct Check
    {
        QString key;
        QString value;
    };
    QList<Check> checks;
    const QList<QByteArray> lines = readFile(folder + QStringLiteral("/expected.txt")).split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int colon = line.indexOf(QLatin1Char(':'));
        QVERIFY2(colon > 0, qPrintable(line));
        const QString key = line.left(colon);
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("bank") || key == QLatin1String("bank+"))
            expectedBank += fromHex(value);
        else if (key == QLatin1String("error"))
            expectedError = value;
        else
            checks.append({key, value});
    }

    if (!expectedError.isEmpty()) {
        writeFile(project.bankPath(), "old bank");
        writeFile(project.bank2Path(), "old bank2");
        try {
            CompileDeviceImages(project.paths);
            QFAIL("the compile did not stop");
        } catch (const AppError &error) {
            QVERIFY2(error.message().contains(expectedError), qPrintable(error.message()));
        }
        QCOMPARE(readFile(project.bankPath()), QByteArray("old bank"));
        QCOMPARE(readFile(project.bank2Path()), QByteArray("old bank2"));
        return;
    }

    const CompileResult result = CompileDeviceImages(project.paths);
    QCOMPARE(result.bankPath, project.bankPath());
    QCOMPARE(result.bank2Path, project.bank2Path());
    const QByteArray bank = readFile(project.bankPath());
    const QByteArray bank2 = readFile(project.bank2Path());
    QCOMPARE(bank.toHex(' '), expectedBank.toHex(' '));
    QCOMPARE(result.bankSize, qint64(bank.size()));
    QCOMPARE(bank2.size(), 101376);
    QCOMPARE(result.bank2Size, qint64(101376));

    const auto *data = reinterpret_cast<const uchar *>(bank2.constData());
    const uchar *block = data + 98304;
    quint32 sum = 0;
    for (int i = 0; i < 2044; ++i)
        sum += block[i];
    const quint32 stored =
        quint32(block[2044]) | quint32(block[2045]) << 8 | quint32(block[2046]) << 16 | quint32(block[2047]) << 24;
    QCOMPARE(stored, sum);

    for (const Check &check : checks) {
        if (check.key == QLatin1String("bank2.checksum")) {
            QCOMPARE(stored, check.value.toUInt());
        } else if (check.key == QLatin1String("bank2.zero")) {
            const QStringList range = check.value.split(QLatin1Char('-'));
            for (int i = range[0].toInt(); i <= range[1].toInt(); ++i)
                QVERIFY2(data[i] == 0, qPrintable(QStringLiteral("bank2.bin byte %1 is %2").arg(i).arg(data[i])));
        } else if (check.key == QLatin1String("bank2.field")) {
            const QStringList nameValue = check.value.split(QStringLiteral(" = "));
            QCOMPARE(nameValue.size(), 2);
            const auto *field = parameterBlockLayout.find(nameValue[0]);
            QVERIFY2(field, qPrintable(QStringLiteral("no field ") + nameValue[0]));
            QCOMPARE(fieldText(block, *field), nameValue[1]);
        } else if (check.key.startsWith(QLatin1String("bank2@"))) {
            const int offset = check.key.mid(6).toInt();
            const QByteArray expected = fromHex(check.value);
            QVERIFY2(bank2.mid(offset, expected.size()) == expected,
                     qPrintable(QStringLiteral("at %1: %2")
                                    .arg(offset)
                                    .arg(QString::fromLatin1(bank2.mid(offset, expected.size()).toHex(' ')))));
        } else {
            QFAIL(qPrintable(QStringLiteral("unknown key ") + check.key));
        }
    }

    // The same documents give the same bytes again.
    CompileDeviceImages(project.paths);
    QCOMPARE(readFile(project.bankPath()), bank);
    QCOMPARE(readFile(project.bank2Path()), bank2);
}

void TestCompile::exampleFolderIsTheGoldenExample()
{
    for (const QString &name : TestFiles::DocumentNames)
        QCOMPARE(readFile(QStringLiteral(SW_SOURCE_DIR "/examples/Example/") + name),
                 readFile(QStringLiteral(SW_TEST_DATA "/compile/example/") + name));
}

void TestCompile::exampleDocumentsHaveTheEditorsForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rootName");
    QTest::addColumn<QStringList>("children");
    QTest::newRow("ParGen.xml") << "ParGen.xml"
                                << "Par_Gen"
                                << QStringList{"Device_Type",  "DNET_DEV_ID", "DNET_BAUD",     "DNET_INTERSCAN_DELAY",
                                               "MTCPs_IP1",    "MTCPs_IP2",   "MTCPs_IP3",     "MTCPs_IP4",
                                               "MTCPs_SUB1",   "MTCPs_SUB2",  "MTCPs_SUB3",    "MTCPs_SUB4",
                                               "MTCPs_EN_GAT", "MTCPs_GAT1",  "MTCPs_GAT2",    "MTCPs_GAT3",
                                               "MTCPs_GAT4",   "MTCPs_PORT",  "MTCPs_DN_State"};
    QTest::newRow("DNET_Net.xml") << "DNET_Net.xml"
                                  << "DNET_Net" << QStringList{"row", "row"};
    QTest::newRow("DefReg.xml") << "DefReg.xml"
                                << "InfoMod" << QStringList{"Modbus_Read", "Modbus_Write"};
}

void TestCompile::exampleDocumentsHaveTheEditorsForm()
{
    QFETCH(QString, name);
    QFETCH(QString, rootName);
    QFETCH(QStringList, children);
    const QByteArray bytes = readFile(QStringLiteral(SW_SOURCE_DIR "/examples/Example/") + name);
    QVERIFY(bytes.startsWith('<' + rootName.toLatin1() + '>'));
    QVERIFY(bytes.endsWith("</" + rootName.toLatin1() + '>' + kVersion));
    QVERIFY2(!QString::fromLatin1(bytes.chopped(1)).contains(QRegularExpression(QStringLiteral(">\\s"))),
             "no indentation");

    const QDomDocument doc = ProjectDocument::parse(bytes, name);
    const QDomNode root = doc.firstChild();
    QCOMPARE(root.nodeName(), rootName);
    QVERIFY(root.nextSibling().isComment());
    QCOMPARE(root.nextSibling().nodeValue(), ProjectDocument::VersionComment);
    QStringList names;
    for (QDomNode n = root.firstChild(); !n.isNull(); n = n.nextSibling())
        names << n.nodeName();
    QCOMPARE(names, children);
    if (name == QLatin1String("ParGen.xml"))
        QCOMPARE(root.firstChildElement(QStringLiteral("Device_Type")).text(), QStringLiteral("1"));
}

void TestCompile::limits_data()
{
    QTest::addColumn<QByteArray>("dnetNet");
    QTest::addColumn<QByteArray>("defReg");
    QTest::addColumn<QString>("error"); // empty: the compile succeeds
    QTest::addColumn<int>("bankSize");

    QTest::newRow("64 slaves fit") << slaveRows(64) << QByteArray() << QString() << 16 + 64 * 9;
    QTest::newRow("65 slaves") << slaveRows(65) << QByteArray() << "at most 64 slaves" << 0;
    QTest::newRow("6144 rows each way fit")
        << slaveRows(63) << registerRows(6144, 6144, 63) << QString() << 16 + 63 * 9 + 2 * 6144 * 7;
    QTest::newRow("6145 read rows") << slaveRows(63) << registerRows(6145, 0, 1) << "at most 6144" << 0;
    QTest::newRow("6145 write rows") << slaveRows(63) << registerRows(0, 6145, 63) << "at most 6144" << 0;
    // Rows numbered 0 go into bank.bin only: they may pass 6144 as long as bank.bin fits its buffer ...
    QTest::newRow("7000 bank.bin-only rows")
        << slaveRows(1) << registerRows(7000, 0, 0) << QString() << 16 + 9 + 7000 * 7;
    // ... which 14283 of them would not.
    QTest::newRow("bank.bin over 100000 bytes")
        << slaveRows(1) << registerRows(7142, 7141, 0) << "limit of 100000 bytes" << 0;
    QTest::newRow("bank.bin at 99999 bytes")
        << slaveRows(1) << registerRows(7141, 7141, 0) << QString() << 16 + 9 + 14282 * 7;
    QTest::newRow("bank.bin at exactly 100000 bytes")
        << slaveRows(5) << registerRows(7139, 7138, 0) << QString() << 16 + 5 * 9 + 14277 * 7;
}

void TestCompile::limits()
{
    QFETCH(QByteArray, dnetNet);
    QFETCH(QByteArray, defReg);
    QFETCH(QString, error);
    QFETCH(int, bankSize);
    Project project;
    writeFile(project.paths.DnetNetPath, dnetNet);
    if (!defReg.isEmpty())
        writeFile(project.paths.DefRegPath, defReg);

    if (!error.isEmpty()) {
        try {
            CompileDeviceImages(project.paths);
            QFAIL("the compile did not stop");
        } catch (const AppError &e) {
            QVERIFY2(e.message().contains(error), qPrintable(e.message()));
        }
        QVERIFY(!QFile::exists(project.bankPath()));
        QVERIFY(!QFile::exists(project.bank2Path()));
        return;
    }
    const CompileResult result = CompileDeviceImages(project.paths);
    QCOMPARE(result.bankSize, qint64(bankSize));
    QCOMPARE(QFileInfo(project.bankPath()).size(), qint64(bankSize));
    QCOMPARE(QFileInfo(project.bank2Path()).size(), qint64(101376));
}

void TestCompile::secondCompileKeepsNothingOfTheFirst()
{
    Project project;
    project.copyDocumentsFrom(QStringLiteral(SW_TEST_DATA "/compile/rows"));
    CompileDeviceImages(project.paths);
    for (const QString &name : TestFiles::DocumentNames)
        QFile::remove(joinPath(project.paths.ProjectFolder, name));

    CompileDeviceImages(project.paths);
    QCOMPARE(readFile(project.bankPath()), fromHex(QStringLiteral("10000000 10000000 10000000 10000000")));
    const QByteArray bank2 = readFile(project.bank2Path());
    QCOMPARE(bank2.left(98304), QByteArray(98304, '\0'));
    QCOMPARE(bank2.mid(100352), QByteArray(1024, '\0'));
    QCOMPARE(bank2.mid(98304 + 2044, 4), fromHex(QStringLiteral("C2 17 00 00"))); // 6082
}

void TestCompile::createsMissingBinFolder()
{
    Project project;
    QVERIFY(QDir(project.paths.binFolder()).removeRecursively());
    CompileDeviceImages(project.paths);
    QCOMPARE(QFileInfo(project.bankPath()).size(), qint64(16));
    QCOMPARE(QFileInfo(project.bank2Path()).size(), qint64(101376));
}

QTEST_GUILESS_MAIN(TestCompile)
#include "tst_compile.moc"
