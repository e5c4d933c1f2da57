// map, map --csv, map-import and automap: output, exit codes, and DefReg.xml changed only on success.
#include "CliRun.h"
#include "TestFiles.h"
#include "base/ConfigurationLock.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Comment = "<!--SW_VERSION = 2.004-->";
const QByteArray Slaves = "<DNET_Net>"
                          "<row ID=\"5\" NB_IN=\"2\" NB_OUT=\"3\" Mnemonic=\"pump\"/>"
                          "<row ID=\"7\" NB_IN=\"1\" NB_OUT=\"0\" Mnemonic=\"\"/>"
                          "</DNET_Net>" +
                          Comment;
const QByteArray Registers = "<InfoMod><Modbus_Read>"
                             "<row Index=\"$10\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                             "</Modbus_Read><Modbus_Write>"
                             "<row Index=\"4\" NrDNNode=\"2\" PosComp=\"1\"/>"
                             "</Modbus_Write></InfoMod>" +
                             Comment;

using TestFiles::readFile;
using TestFiles::writeFile;

// A configuration folder with the two documents.
struct Project
{
    QTemporaryDir dir;
    QString folder;
    QString defReg;

    explicit Project(const QByteArray &registers = Registers)
    {
        folder = dir.filePath(QStringLiteral("Plant"));
        QDir().mkpath(folder);
        defReg = folder + QStringLiteral("/DefReg.xml");
        writeFile(folder + QStringLiteral("/DNET_Net.xml"), Slaves);
        writeFile(defReg, registers);
    }
    QString file(const QString &name, const QByteArray &bytes) const
    {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
};

// Standard output on a full disk: every write fails with the platform's reason.
class FullDevice : public QIODevice
{
public:
    FullDevice()
    {
        open(QIODevice::WriteOnly);
        setErrorString(QStringLiteral("No space left on device"));
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

} // namespace

class TestCliMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void usage_data();
    void usage();
    void mapPrintsTheOverview();
    void mapMarksBytesPastTheCount();
    void csvRoundTrip();
    void importRefusalChangesNothing();
    void autoMap_data();
    void autoMap();
    void autoMapRefusalChangesNothing();
    void unreadableDocument();
    void writersOfTheMapWaitForTheLock();
    void slaveListBeyondTheLimits_data();
    void slaveListBeyondTheLimits();
    void everyCommandChecksItsOutput_data();
    void everyCommandChecksItsOutput();
    void autoMapPrintsOnlyWhatWasSaved();
    void importHeldToTheRegistersOfAPage_data();
    void importHeldToTheRegistersOfAPage();
    void importCountsEveryReplacedRow();
};

void TestCliMap::usage_data()
{
    addUsageColumns();
    QTest::newRow("map --help") << QStringList{"map", "--help"} << 0 << "map PROJECT_FOLDER [--csv]"
                                << "";
    QTest::newRow("automap --help") << QStringList{"automap", "--help"} << 0 << "--high-first"
                                    << "";
    QTest::newRow("map-import --help") << QStringList{"map-import", "--help"} << 0 << "semicolon"
                                       << "";
    QTest::newRow("overall help lists them") << QStringList{"--help"} << 0 << "map-import PROJECT_FOLDER FILE"
                                             << "";
    QTest::newRow("map without folder") << QStringList{"map"} << 2 << ""
                                        << "Usage: SW40917-cli map";
    QTest::newRow("map unknown option") << QStringList{"map", "p", "--xml"} << 2 << ""
                                        << "Usage: SW40917-cli map";
    QTest::newRow("map-import one argument") << QStringList{"map-import", "p"} << 2 << ""
                                             << "Usage";
    QTest::newRow("automap without folder") << QStringList{"automap", "--step", "10"} << 2 << ""
                                            << "Usage";
    QTest::newRow("automap start 65536") << QStringList{"automap", "p", "--start", "65536"} << 2 << ""
                                         << "--start needs a whole number from 0 to 65535, not \"65536\"";
    QTest::newRow("automap step without value") << QStringList{"automap", "p", "--step"} << 2 << ""
                                                << "Usage";
    QTest::newRow("automap page") << QStringList{"automap", "p", "--page", "input"} << 2 << ""
                                  << "--page takes read, write or both";
    QTest::newRow("map missing folder") << QStringList{"map", "/nonexistent/folder"} << 1 << ""
                                        << "Not a configuration folder";
    QTest::newRow("automap missing folder") << QStringList{"automap", "/nonexistent/folder"} << 1 << ""
                                            << "Not a configuration folder";
}

void TestCliMap::usage()
{
    checkUsageRow();
}

void TestCliMap::mapPrintsTheOverview()
{
    Project p;
    const CliRun r = runCli({QStringLiteral("map"), p.folder});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("Address (0-based)  Page   Slave  ID  Mnemonic  High byte  Low byte  Note\n"
                                   "4                  Write  2      7             None       1\n"
                                   "16                 Read   1      5   pump      1          2\n"
                                   "\n"
                                   "Bytes that no register carries:\n"
                                   "  Slave 1 (ID 5), Read: byte 3\n"
                                   "  Slave 1 (ID 5), Write: bytes 1-2\n"));
    QCOMPARE(readFile(p.defReg), Registers);
}

// A register carrying a byte its slave does not have: marked in its row, its bytes under their own
// heading (a register carries them, so they are no free bytes).
void TestCliMap::mapMarksBytesPastTheCount()
{
    // Slave 2 has no byte OUT: its read register's byte 1 is past its count.
    Project p("<InfoMod><Modbus_Read>"
              "<row Index=\"16\" NrDNNode=\"1\" PosComp=\"65538\"/>"
              "<row Index=\"20\" NrDNNode=\"2\" PosComp=\"65536\"/>"
              "</Modbus_Read><Modbus_Write/></InfoMod>" +
              Comment);
    const CliRun r = runCli({QStringLiteral("map"), p.folder});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.out, QStringLiteral("Address (0-based)  Page  Slave  ID  Mnemonic  High byte  Low byte  Note\n"
                                   "16                 Read  1      5   pump      1          2\n"
                                   "20                 Read  2      7             1          None      past the "
                                   "slave's bytes\n"
                                   "\n"
                                   "Bytes that no register carries:\n"
                                   "  Slave 1 (ID 5), Read: byte 3\n"
                                   "  Slave 1 (ID 5), Write: bytes 1-2\n"
                                   "  Slave 2 (ID 7), Write: byte 1\n"
                                   "\n"
                                   "Bytes that registers carry but their slave does not have:\n"
                                   "  Slave 2 (ID 7), Read: byte 1\n"));
}

void TestCliMap::csvRoundTrip()
{
    Project p;
    const CliRun exported = runCli({QStringLiteral("map"), QStringLiteral("--csv"), p.folder});
    QCOMPARE(exported.code, 0);
    QCOMPARE(exported.out, QStringLiteral("Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"
                                          "16,read,1,5,pump,1,2\r\n"
                                          "4,write,2,7,,,1\r\n"));
    const QString csv = p.file(QStringLiteral("map.csv"), exported.out.toUtf8());
    const CliRun imported = runCli({QStringLiteral("map-import"), p.folder, csv});
    QCOMPARE(imported.code, 0);
    QCOMPARE(imported.err, QString());
    QVERIFY2(imported.out.endsWith(QStringLiteral(": 2 registers imported (1 read, 1 write), 2 replaced\n"
                                                  "The Mnemonic column is not imported: a slave's mnemonic belongs "
                                                  "to the slave list.\n")),
             qPrintable(imported.out));
    QCOMPARE(readFile(p.defReg), Registers);

    // A changed tag list is taken whole.
    const QString edited = p.file(QStringLiteral("edited.csv"), "Address (0-based);Page;Slave;ID;Mnemonic;High byte;Low byte\n"
                                                                "100;write;1;5;;2;1\n");
    QCOMPARE(runCli({QStringLiteral("map-import"), p.folder, edited}).code, 0);
    QCOMPARE(readFile(p.defReg), QByteArray("<InfoMod><Modbus_Read/><Modbus_Write>"
                                            "<row Index=\"100\" NrDNNode=\"1\" PosComp=\"131073\"/>"
                                            "</Modbus_Write></InfoMod>") +
                                     Comment);
}

void TestCliMap::importRefusalChangesNothing()
{
    Project p;
    const QString csv = p.file(QStringLiteral("bad.csv"), "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\n"
                                                          "1,read,1,5,,1,2\n"
                                                          "2,read,1,5,,1,4\n"
                                                          "3,write,2,7,,,1\n");
    const CliRun r = runCli({QStringLiteral("map-import"), p.folder, csv});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, csv + QStringLiteral(": not imported, DefReg.xml is unchanged:\n"
                                         "Line 3: the low byte \"4\" is not a byte of the slave (1 to 3, or empty "
                                         "for None)\n"));
    QCOMPARE(readFile(p.defReg), Registers);

    // A file of the header alone (an export cut off) would empty the map.
    const QString headerOnly = p.file(QStringLiteral("header.csv"), "Address (0-based),Page,Slave,ID,Mnemonic,High "
                                                                    "byte,Low byte\r\n");
    const CliRun empty = runCli({QStringLiteral("map-import"), p.folder, headerOnly});
    QCOMPARE(empty.code, 1);
    QCOMPARE(empty.out, QString());
    QCOMPARE(empty.err, headerOnly + QStringLiteral(": not imported, DefReg.xml is unchanged:\n"
                                                    "the file holds no registers; nothing was changed\n"));
    QCOMPARE(readFile(p.defReg), Registers);

    const CliRun missing = runCli({QStringLiteral("map-import"), p.folder, p.dir.filePath(QStringLiteral("no.csv"))});
    QCOMPARE(missing.code, 1);
    QVERIFY2(missing.err.startsWith(QStringLiteral("Cannot read ")), qPrintable(missing.err));
    QCOMPARE(readFile(p.defReg), Registers);
}

void TestCliMap::autoMap_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QByteArray>("rows"); // the new DefReg.xml between <InfoMod> and </InfoMod>
    QTest::newRow("defaults") << QStringList{}
                              << "read   slave 1 (ID 5): 1 register, indexes 0 to 0\n"
                                 "write  slave 1 (ID 5): 1 register, indexes 1 to 1\n"
                              << QByteArray("<Modbus_Read><row Index=\"$10\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                                            "<row Index=\"0\" NrDNNode=\"1\" PosComp=\"3\"/></Modbus_Read>"
                                            "<Modbus_Write><row Index=\"1\" NrDNNode=\"1\" PosComp=\"131073\"/>"
                                            "<row Index=\"4\" NrDNNode=\"2\" PosComp=\"1\"/></Modbus_Write>");
    // The steps count from the start: the first slave starts there when it is free.
    QTest::newRow("write page, high first, from 17 in steps of 100")
        << QStringList{"--page", "write", "--high-first", "--start", "17", "--step", "100"}
        << "write  slave 1 (ID 5): 1 register, indexes 17 to 17\n"
        << QByteArray("<Modbus_Read><row Index=\"$10\" NrDNNode=\"1\" PosComp=\"65538\"/></Modbus_Read>"
                      "<Modbus_Write><row Index=\"17\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                      "<row Index=\"4\" NrDNNode=\"2\" PosComp=\"1\"/></Modbus_Write>");
}

void TestCliMap::autoMap()
{
    QFETCH(QStringList, options);
    QFETCH(QString, out);
    QFETCH(QByteArray, rows);
    Project p;
    const CliRun r = runCli(QStringList{QStringLiteral("automap"), p.folder} + options);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    QVERIFY2(r.out.startsWith(out), qPrintable(r.out));
    const int added = int(out.count(QLatin1Char('\n')));
    QVERIFY2(r.out.endsWith(
                 QStringLiteral("DefReg.xml: %1 %2 added\n").arg(added).arg(added == 1 ? "register" : "registers")),
             qPrintable(r.out));
    QCOMPARE(readFile(p.defReg), "<InfoMod>" + rows + "</InfoMod>" + Comment);

    // A second run finds every byte carried and leaves the file alone.
    const QByteArray mapped = readFile(p.defReg);
    const CliRun again = runCli(QStringList{QStringLiteral("automap"), p.folder} + options);
    QCOMPARE(again.code, 0);
    QCOMPARE(again.out,
             QStringLiteral("Nothing to map: every byte already has a register. DefReg.xml is unchanged.\n"));
    QCOMPARE(readFile(p.defReg), mapped);
}

void TestCliMap::autoMapRefusalChangesNothing()
{
    Project p;
    const CliRun r = runCli({QStringLiteral("automap"), p.folder, QStringLiteral("--start"), QStringLiteral("65535")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QStringLiteral("Error!! Slave 1 (ID 5), Write page: no run of 1 free register indexes from 65535 "
                                   "to 65535 holds all its registers: nothing was changed\n"));
    QCOMPARE(readFile(p.defReg), Registers);
}

void TestCliMap::unreadableDocument()
{
    const QByteArray broken = "<InfoMod><Modbus_Read><row";
    Project p(broken);
    const QString csv = p.file(QStringLiteral("map.csv"), "1,read,1,5,,1,2\n");
    for (const QStringList &command : {QStringList{"map"}, QStringList{"automap"}, QStringList{"map-import"}}) {
        QStringList arguments = command;
        arguments.append(p.folder);
        if (command.first() == QLatin1String("map-import"))
            arguments.append(csv);
        const CliRun r = runCli(arguments);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("DefReg.xml")), qPrintable(r.err));
        QCOMPARE(readFile(p.defReg), broken);
    }
}

// map-import and automap take the configuration's lock: while another writer holds it, nothing is written.
void TestCliMap::writersOfTheMapWaitForTheLock()
{
    Project p;
    const QString csv = p.file(QStringLiteral("tags.csv"), "Address (0-based),Page,Slave,High byte,Low byte\n"
                                                           "1,read,1,1,2\n");
    const ConfigurationLock compiling(p.folder, ConfigurationLock::Compile, 0);
    const QString held = QDir::toNativeSeparators(QDir::cleanPath(p.folder)) +
                         QStringLiteral(": another compile or change of this configuration's register map is "
                                        "running (process %1, %2); nothing was written\n")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    for (const QStringList &arguments :
         {QStringList{QStringLiteral("map-import"), p.folder, csv}, QStringList{QStringLiteral("automap"), p.folder}}) {
        const CliRun r = runCli(arguments);
        QCOMPARE(r.code, 1);
        QCOMPARE(r.err, held);
        QCOMPARE(readFile(p.defReg), Registers);
    }
}

void TestCliMap::slaveListBeyondTheLimits_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QString>("message");
    const QByteArray huge = "<row ID=\"5\" NB_IN=\"2\" NB_OUT=\"2147483647\" Mnemonic=\"\"/>";
    const QString bytes = QStringLiteral("Error in row 1 of the DeviceNet slave list: the number of input or output "
                                         "bytes is outside 0 to 455.");
    QByteArray many;
    for (int i = 1; i <= 65; ++i)
        many += "<row ID=\"" + QByteArray::number(i) + "\" NB_IN=\"1\" NB_OUT=\"1\" Mnemonic=\"\"/>";
    const QString rows = QStringLiteral("Row 65 of the DeviceNet slave list is more than the device takes");
    for (const QStringList &command : {QStringList{"map"}, QStringList{"map", "--csv"}, QStringList{"automap"},
                                       QStringList{"map-import"}, QStringList{"compile"}}) {
        const QByteArray name = command.join(QLatin1Char(' ')).toUtf8();
        QTest::newRow(name + ", a byte count of 2147483647") << command << huge << bytes;
        QTest::newRow(name + ", 456 input bytes")
            << command << QByteArray("<row ID=\"5\" NB_IN=\"456\" NB_OUT=\"1\" Mnemonic=\"\"/>") << bytes;
        QTest::newRow(name + ", 65 slaves") << command << many << rows;
    }
}

void TestCliMap::slaveListBeyondTheLimits()
{
    QFETCH(QStringList, command);
    QFETCH(QByteArray, rows);
    QFETCH(QString, message);
    Project p;
    writeFile(p.folder + QStringLiteral("/DNET_Net.xml"), "<DNET_Net>" + rows + "</DNET_Net>" + Comment);
    QStringList arguments{command.first(), p.folder};
    arguments += command.mid(1);
    if (command.first() == QLatin1String("map-import"))
        arguments.append(p.file(QStringLiteral("map.csv"), "Address (0-based),Page,Slave,High byte,Low byte\n"
                                                           "1,read,1,1,\n"));
    const CliRun r = runCli(arguments);
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.startsWith(QDir::toNativeSeparators(p.folder + QStringLiteral("/DNET_Net.xml: ")) + message),
             qPrintable(r.err));
    QCOMPARE(readFile(p.defReg), Registers);
    QVERIFY(!QFileInfo::exists(p.folder + QStringLiteral("/bin")));
}

void TestCliMap::everyCommandChecksItsOutput_data()
{
    QTest::addColumn<QStringList>("arguments"); // PROJECT stands for the configuration folder
    QTest::addColumn<int>("code");
    QTest::newRow("help") << QStringList{"--help"} << 1;
    QTest::newRow("map --help") << QStringList{"map", "--help"} << 1;
    QTest::newRow("map") << QStringList{"map", "PROJECT"} << 1;
    QTest::newRow("map --csv") << QStringList{"map", "--csv", "PROJECT"} << 1;
    QTest::newRow("automap") << QStringList{"automap", "PROJECT"} << 1;
    QTest::newRow("map-import") << QStringList{"map-import", "PROJECT", "CSV"} << 1;
    QTest::newRow("compile") << QStringList{"compile", "PROJECT"} << 1;
    QTest::newRow("dump") << QStringList{"dump", "BANK"} << 1;
    QTest::newRow("lang-template") << QStringList{"lang-template"} << 1;
}

void TestCliMap::everyCommandChecksItsOutput()
{
    QFETCH(QStringList, arguments);
    Project p;
    const QString csv =
        p.file(QStringLiteral("map.csv"), "Address (0-based),Page,Slave,High byte,Low byte\n1,read,1,1,\n");
    QVERIFY(runCli({QStringLiteral("compile"), p.folder}).code == 0);
    arguments.replaceInStrings(QStringLiteral("PROJECT"), p.folder)
        .replaceInStrings(QStringLiteral("CSV"), csv)
        .replaceInStrings(QStringLiteral("BANK"), p.folder + QStringLiteral("/bin/bank.bin"));

    FullDevice full;
    QTextStream out(&full);
    QString errText;
    QTextStream err(&errText);
    const int code = Cli::run(arguments, out, err);
    err.flush();
    QTEST(code, "code");
    QVERIFY2(errText.endsWith(QStringLiteral("Cannot write standard output: No space left on device\n")),
             qPrintable(errText));
}

void TestCliMap::autoMapPrintsOnlyWhatWasSaved()
{
    // DefReg.xml read through a symbolic link, which no save writes through.
    Project p;
    const QString real = p.file(QStringLiteral("real.xml"), Registers);
    QVERIFY(QFile::remove(p.defReg));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(real, p.defReg));
    const CliRun r = runCli({QStringLiteral("automap"), p.folder});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("symbolic link")), qPrintable(r.err));
    QCOMPARE(readFile(real), Registers);
}

void TestCliMap::importHeldToTheRegistersOfAPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("section"); // the refused section, or empty when the import is taken
    QTest::newRow("6144 read") << "read" << 6144 << "";
    QTest::newRow("6145 read") << "read" << 6145 << "Modbus_Read";
    QTest::newRow("6145 write") << "write" << 6145 << "Modbus_Write";
}

void TestCliMap::importHeldToTheRegistersOfAPage()
{
    QFETCH(QString, page);
    QFETCH(int, count);
    QFETCH(QString, section);
    Project p;
    QByteArray csv = "Address (0-based),Page,Slave,High byte,Low byte\n";
    for (int i = 0; i < count; ++i)
        csv += QByteArray::number(i) + ',' + page.toLatin1() + ",1,,\n";
    const QString file = p.file(QStringLiteral("big.csv"), csv);
    const CliRun r = runCli({QStringLiteral("map-import"), p.folder, file});
    if (section.isEmpty()) {
        QCOMPARE(r.code, 0);
        // What the import takes, the compile takes.
        QCOMPARE(runCli({QStringLiteral("compile"), p.folder}).code, 0);
        return;
    }
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, file + QStringLiteral(": not imported, DefReg.xml is unchanged:\n") +
                        QDir::toNativeSeparators(p.defReg) + QStringLiteral(": ") + section +
                        QStringLiteral(" has more than 6144 registers that name an existing slave; the device holds "
                                       "at most 6144 per section\n"));
    QCOMPARE(readFile(p.defReg), Registers);
}

void TestCliMap::importCountsEveryReplacedRow()
{
    // Rows of a slave that is gone and a comment among the rows are dropped by the save as well.
    Project p("<InfoMod><Modbus_Read>"
              "<row Index=\"1\" NrDNNode=\"1\" PosComp=\"1\"/>"
              "<row Index=\"2\" NrDNNode=\"9\" PosComp=\"1\"/>"
              "<!-- kept by hand -->"
              "</Modbus_Read><Modbus_Write>"
              "<row Index=\"3\" NrDNNode=\"2\" PosComp=\"1\"/>"
              "</Modbus_Write></InfoMod>" +
              Comment);
    const QString csv =
        p.file(QStringLiteral("map.csv"), "Address (0-based),Page,Slave,High byte,Low byte\n7,read,1,1,\n");
    const CliRun r = runCli({QStringLiteral("map-import"), p.folder, csv});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.endsWith(QStringLiteral(": 1 registers imported (1 read, 0 write), 4 replaced\n")),
             qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestCliMap)
#include "tst_cli_map.moc"
