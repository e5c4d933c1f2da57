// eds FILE...: the lines of each file that gives its counts, the reason of each that does not, and the
// exit code over all of them.
#include "CliRun.h"
#include "EdsSamples.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

class TestCliEds : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void usage_data();
    void usage();
    void printsEachFile();
    void failedFileGivesExitOne();
    void warningsAreBounded();
};

void TestCliEds::usage_data()
{
    addUsageColumns();
    QTest::newRow("help") << QStringList{"eds", "--help"} << int(Cli::Ok) << "Usage: SW40917-cli eds FILE..."
                          << QString();
    QTest::newRow("no file") << QStringList{"eds"} << int(Cli::Usage) << QString()
                             << "Usage: SW40917-cli eds FILE...";
    QTest::newRow("listed") << QStringList{"--help"} << int(Cli::Ok) << "eds FILE..." << QString();
}

void TestCliEds::usage()
{
    checkUsageRow();
}

void TestCliEds::printsEachFile()
{
    QTemporaryDir dir;
    const QString poll = dir.filePath(QStringLiteral("pump.eds"));
    const QString choice = dir.filePath(QStringLiteral("choice.eds"));
    TestFiles::writeFile(poll, EdsSamples::pollDevice());
    TestFiles::writeFile(choice, EdsSamples::choiceDevice());
    const CliRun r = runCli({QStringLiteral("eds"), poll, choice});
    QCOMPARE(r.code, int(Cli::Ok));
    QCOMPARE(r.err, QString());
    const QString expected = poll +
                             "\nProduct: Pump 10/6\nVendor: Acme Drives\nVendor code / product code: 1234 / 56\n"
                             "Revision: 2.003\nConnection: Poll\nN Byte IN = 10\nN Byte OUT = 6\n\n" +
                             choice +
                             "\nProduct: Pump 10/6\nVendor: Acme Drives\nVendor code / product code: 1234 / 56\n"
                             "Revision: 2.003\nConnection: Poll\nN Byte IN = 16\nN Byte OUT = 2\n";
    QCOMPARE(r.out, expected);
}

void TestCliEds::failedFileGivesExitOne()
{
    QTemporaryDir dir;
    const QString canOpen = dir.filePath(QStringLiteral("valve.eds"));
    const QString poll = dir.filePath(QStringLiteral("pump.eds"));
    TestFiles::writeFile(canOpen, EdsSamples::canOpenFile());
    TestFiles::writeFile(poll, EdsSamples::pollDevice());
    const QString missing = dir.filePath(QStringLiteral("none.eds"));
    // The good file between two bad ones is still printed.
    const CliRun r = runCli({QStringLiteral("eds"), canOpen, poll, missing});
    QCOMPARE(r.code, int(Cli::Failed));
    QVERIFY2(r.out.startsWith(poll + "\n") && r.out.contains("\nN Byte IN = 10\nN Byte OUT = 6\n"), qPrintable(r.out));
    QVERIFY2(r.err.startsWith(canOpen + ": a CANopen file, not a DeviceNet EDS\n"), qPrintable(r.err));
    QVERIFY2(r.err.contains(missing), qPrintable(r.err));
}

void TestCliEds::warningsAreBounded()
{
    // A file that repeats an entry thousands of times: the first 1000 warnings, then how many more.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.eds"));
    TestFiles::writeFile(path, EdsSamples::pollDevice() + QByteArray("Output1 = 1;\n").repeated(3000));
    const CliRun r = runCli({QStringLiteral("eds"), path});
    QCOMPARE(r.code, int(Cli::Ok));
    QVERIFY2(r.out.endsWith(QStringLiteral("\nN Byte IN = 10\nN Byte OUT = 6\n")), qPrintable(r.out));
    const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1001);
    QCOMPARE(lines.first(), path + QStringLiteral(", line 24: Output1 repeats line 23; the first one is kept"));
    QCOMPARE(lines.last(), path + QStringLiteral(": ... and 2000 more warnings"));
}

QTEST_GUILESS_MAIN(TestCliEds)
#include "tst_cli_eds.moc"
