#include "CliRun.h"
#include "Portable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A copy of a golden configuration folder.
QString copyCase(const QTemporaryDir &dir, const QString &name)
{
    const QString target = dir.filePath(name);
    QDir().mkpath(target);
    const QDir source(QStringLiteral(SW_TEST_DATA "/compile/") + name);
    for (const QString &file : source.entryList({QStringLiteral("*.xml")}, QDir::Files))
        QFile::copy(source.filePath(file), target + QLatin1Char('/') + file);
    return target;
}

} // namespace

class TestCliCompile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void usage_data();
    void usage();
    void compileWritesBothFiles();
    void compileErrorWritesNothing();
    void registersPastTheirSlavesBytes_data();
    void registersPastTheirSlavesBytes();
    void dumpBank();
    void dumpBank2();
    void dumpBank2WithWrongChecksum();
    void dumpBank2SumsTheLastByteOfTheBlock();
    void outOfMemoryEndsTheCommandWithAMessage();
    void dumpRefusesOtherFiles_data();
    void dumpRefusesOtherFiles();
};

void TestCliCompile::usage_data()
{
    addUsageColumns();
    QTest::newRow("compile --help") << QStringList{"compile", "--help"} << 0 << "compile [--strict] PROJECT_FOLDER"
                                    << "";
    QTest::newRow("dump --help") << QStringList{"dump", "--help"} << 0 << "dump FILE"
                                 << "";
    QTest::newRow("compile without folder") << QStringList{"compile"} << 2 << ""
                                            << "Usage: SW40917-cli compile";
    QTest::newRow("compile --strict without folder") << QStringList{"compile", "--strict"} << 2 << ""
                                                     << "Usage: SW40917-cli compile [--strict]";
    QTest::newRow("compile two folders") << QStringList{"compile", "a", "b"} << 2 << ""
                                         << "Usage";
    QTest::newRow("dump unknown option") << QStringList{"dump", "--all"} << 2 << ""
                                         << "Usage: SW40917-cli dump";
    QTest::newRow("compile missing folder") << QStringList{"compile", "/nonexistent/folder"} << 1 << ""
                                            << "Not a configuration folder";
    QTest::newRow("dump missing file") << QStringList{"dump", "/nonexistent/bank.bin"} << 1 << ""
                                       << "Cannot read";
}

void TestCliCompile::usage()
{
    checkUsageRow();
}

void TestCliCompile::compileWritesBothFiles()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    const CliRun r = runCli({QStringLiteral("compile"), folder});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    const QString bin = QDir(folder).absoluteFilePath(QStringLiteral("bin"));
    QCOMPARE(r.out, QStringLiteral("%1 (72 bytes)\n%2 (101376 bytes)\n")
                        .arg(Portable::native(bin + QStringLiteral("/bank.bin")),
                             Portable::native(bin + QStringLiteral("/bank2.bin"))));
    QCOMPARE(QFileInfo(folder + QStringLiteral("/bin/bank.bin")).size(), qint64(72));
}

void TestCliCompile::compileErrorWritesNothing()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("error-nb-in"));
    const CliRun r = runCli({QStringLiteral("compile"), folder});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("row 2: attribute NB_IN \"abc\" is not an integer")), qPrintable(r.err));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/bin/bank.bin")));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/bin/bank2.bin")));
}

// What a stored configuration may hold but the device should not get: registers carrying bytes their
// slave does not have, a slave at the converter's own node address (10 in the example's ParGen.xml).
// Each is a warning and compiled, or with --strict an error with nothing written.
void TestCliCompile::registersPastTheirSlavesBytes_data()
{
    QTest::addColumn<bool>("strict");
    QTest::addColumn<QByteArray>("slaves"); // DNET_Net.xml's rows; empty: the example's
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");
    // Slave 1 shrunk to 1 byte OUT: register 100 carries its bytes 1 and 2.
    const QByteArray shrunk = "<row ID=\"1\" NB_IN=\"4\" NB_OUT=\"1\" Mnemonic=\"\"/>"
                              "<row ID=\"2\" NB_IN=\"6\" NB_OUT=\"8\" Mnemonic=\"\"/>";
    const QString past = QStringLiteral(
        "1 Modbus Register carries bytes that its DeviceNet Slave does not have, so the device would serve other "
        "Slaves' bytes there:\nRead, index 100: slave 1 (ID 1) has 1 byte, not byte 2\n");
    // Slave 2 at node address 10.
    const QByteArray atMaster = "<row ID=\"1\" NB_IN=\"4\" NB_OUT=\"2\" Mnemonic=\"\"/>"
                                "<row ID=\"10\" NB_IN=\"6\" NB_OUT=\"8\" Mnemonic=\"\"/>";
    const QString master = QStringLiteral(
        "Slave 2 (ID 10) has the node address of the converter itself (DeviceNet MAC ID 10 in the communication "
        "settings): no two nodes of a DeviceNet network can share an address.\n");
    const QByteArray both = "<row ID=\"10\" NB_IN=\"4\" NB_OUT=\"1\" Mnemonic=\"\"/>"
                            "<row ID=\"2\" NB_IN=\"6\" NB_OUT=\"8\" Mnemonic=\"\"/>";
    const QString pastOfBoth = QString(past).replace(QStringLiteral("(ID 1)"), QStringLiteral("(ID 10)"));
    const QString masterOfBoth = QString(master).replace(QStringLiteral("Slave 2"), QStringLiteral("Slave 1"));
    QTest::newRow("past: warned and compiled") << false << shrunk << 0 << "Warning: " + past;
    QTest::newRow("past, strict: an error") << true << shrunk << 1 << "Error: " + past;
    QTest::newRow("strict, nothing to say") << true << QByteArray() << 0 << QString();
    QTest::newRow("master address: warned and compiled") << false << atMaster << 0 << "Warning: " + master;
    QTest::newRow("master address, strict: an error") << true << atMaster << 1 << "Error: " + master;
    QTest::newRow("both, strict: both said") << true << both << 1
                                             << "Error: " + pastOfBoth + "Error: " + masterOfBoth;
}

void TestCliCompile::registersPastTheirSlavesBytes()
{
    QFETCH(bool, strict);
    QFETCH(QByteArray, slaves);
    QFETCH(int, code);
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    if (!slaves.isEmpty()) {
        QFile f(folder + QStringLiteral("/DNET_Net.xml"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<DNET_Net>" + slaves + "</DNET_Net>");
    }
    QStringList arguments{QStringLiteral("compile"), folder};
    if (strict)
        arguments.insert(1, QStringLiteral("--strict"));
    const CliRun r = runCli(arguments);
    QCOMPARE(r.code, code);
    QTEST(r.err, "err");
    QCOMPARE(r.out.isEmpty(), code != 0);
    QCOMPARE(QFile::exists(folder + QStringLiteral("/bin/bank.bin")), code == 0);
    QCOMPARE(QFile::exists(folder + QStringLiteral("/bin/bank2.bin")), code == 0);
}

void TestCliCompile::dumpBank()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    QCOMPARE(runCli({QStringLiteral("compile"), folder}).code, 0);
    const CliRun r = runCli({QStringLiteral("dump"), folder + QStringLiteral("/bin/bank.bin")});
    QCOMPARE(r.code, 0);
    for (const char *expected :
         {"bank.bin, 72 bytes", "read section         34", "parameter section    48",
          "2: ID 2, NB_IN 6, NB_OUT 8, input offset 4, output offset 2",
          "Read registers (1)\n  1: index 100, low part 2, high part 1, slave position 0",
          "Write registers (1)\n  1: index 200, low part 3, high part 0, slave position 1",
          "DNET_BAUD            2 (500000 bit/s)", "MTCPs_IP             192.168.0.10",
          "MTCPs_GAT            192.168.0.1", "MTCPs_PORT           502", "slave count          2"})
        QVERIFY2(r.out.contains(QLatin1String(expected)), expected);
}

void TestCliCompile::dumpBank2()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    QCOMPARE(runCli({QStringLiteral("compile"), folder}).code, 0);
    const CliRun r = runCli({QStringLiteral("dump"), folder + QStringLiteral("/bin/bank2.bin")});
    QCOMPARE(r.code, 0);
    for (const char *expected :
         {"bank2.bin, 101376 bytes", "parameter block      offset 98304", "BaudRate             500000 bit/s",
          "Gateway              255.255.255.255", "SlaveTableAddress    0x68800", "ReadCount            1",
          "stored               6373", "computed             6373", "The checksum is correct.",
          "slot 1: ID 2, NB_IN 6, NB_OUT 8, input offset 4, output offset 2",
          "Write registers (1)\n  slot 0: index 200, low part 3, high part 0, slave index 1",
          "Fixed fields: all at their usual values"})
        QVERIFY2(r.out.contains(QLatin1String(expected)), expected);
}

void TestCliCompile::dumpBank2WithWrongChecksum()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    QCOMPARE(runCli({QStringLiteral("compile"), folder}).code, 0);
    QFile file(folder + QStringLiteral("/bin/bank2.bin"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(98304 + 80); // a fixed byte inside the block
    file.write("\x05", 1);
    file.close();

    const CliRun r = runCli({QStringLiteral("dump"), file.fileName()});
    QCOMPARE(r.code, 1);
    QVERIFY(r.out.contains(QLatin1String("block offset 80: 5 (usually 0)")));
    QVERIFY(r.out.contains(QLatin1String("computed             6378")));
    QVERIFY(r.out.contains(QLatin1String("CHECKSUM MISMATCH")));
}

void TestCliCompile::dumpBank2SumsTheLastByteOfTheBlock()
{
    QTemporaryDir dir;
    const QString folder = copyCase(dir, QStringLiteral("example"));
    QCOMPARE(runCli({QStringLiteral("compile"), folder}).code, 0);
    QFile file(folder + QStringLiteral("/bin/bank2.bin"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    // Byte 2043 of the block, always 0 in a compiled image, set to 1 with the stored sum to match.
    file.seek(98304 + 2043);
    file.write("\x01\xE6\x18\x00\x00", 5); // 6373 + 1 = 0x18E6
    file.close();

    const CliRun r = runCli({QStringLiteral("dump"), file.fileName()});
    QVERIFY2(r.out.contains(QLatin1String("computed             6374")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QLatin1String("The checksum is correct.")), qPrintable(r.out));
}

void TestCliCompile::outOfMemoryEndsTheCommandWithAMessage()
{
    QString text;
    QTextStream err(&text);
    const int code = Cli::guarded(err, []() -> int { throw std::bad_alloc(); });
    err.flush();
    QCOMPARE(code, int(Cli::Failed));
    QVERIFY2(text.startsWith(QLatin1String("Out of memory. There is not enough memory")), qPrintable(text));
    QVERIFY(!text.contains(QLatin1String("bad_alloc")));
}

void TestCliCompile::dumpRefusesOtherFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("short header") << QByteArray::fromHex("10000000");
    QTest::newRow("first offset not 16") << QByteArray::fromHex("11000000 11000000 11000000 11000000");
    QTest::newRow("length beyond the offsets") << QByteArray::fromHex("10000000 10000000 10000000 10000000 00");
    QTest::newRow("slave section not whole records")
        << QByteArray::fromHex("10000000 14000000 14000000 14000000 00000000");
    QTest::newRow("one byte short of bank2.bin") << QByteArray(101375, '\0');
    QTest::newRow("one byte over bank2.bin") << QByteArray(101377, '\0');
}

void TestCliCompile::dumpRefusesOtherFiles()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const CliRun r = runCli({QStringLiteral("dump"), path});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QLatin1String("is neither a bank.bin nor a bank2.bin image")), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

QTEST_GUILESS_MAIN(TestCliCompile)
#include "tst_cli_compile.moc"
