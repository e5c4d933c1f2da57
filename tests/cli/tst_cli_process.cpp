// SW40917-cli as its own process: what reaches its standard output is what the command wrote, byte for byte
// (no line-end translation of the C runtime), and a standard output that cannot take the text fails the run.
// The program is looked up beside the test's own folder, so a Windows build of the tests runs the Windows
// program too.
#include "CliProgram.h"
#include "TestFiles.h"
#include "base/ConfigurationLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

const QByteArray Comment = "<!--SW_VERSION = 2.004-->";

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the program; standardOutput names a file to write into instead of the pipe.
Run run(const QStringList &arguments, const QString &standardOutput = QString())
{
    QProcess process;
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    process.start(cliProgram(), arguments);
    Run r;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return r;
    r.code = process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

// A configuration whose CSV holds every kind of field: quoted separators, a doubled quote, a line break.
struct Project
{
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("Plant"));
    Project()
    {
        QDir().mkpath(folder);
        TestFiles::writeFile(folder + QStringLiteral("/DNET_Net.xml"),
                             "<DNET_Net><row ID=\"5\" NB_IN=\"2\" NB_OUT=\"3\" Mnemonic=\"pump, left; &quot;A&quot;\"/>"
                             "<row ID=\"7\" NB_IN=\"1\" NB_OUT=\"1\" Mnemonic=\"two&#10;lines\"/></DNET_Net>" +
                                 Comment);
        TestFiles::writeFile(folder + QStringLiteral("/DefReg.xml"),
                             "<InfoMod><Modbus_Read><row Index=\"16\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                             "<row Index=\"3\" NrDNNode=\"2\" PosComp=\"1\"/></Modbus_Read>"
                             "<Modbus_Write><row Index=\"4\" NrDNNode=\"1\" PosComp=\"2\"/></Modbus_Write></InfoMod>" +
                                 Comment);
    }
};

} // namespace

class TestCliProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void csvIsByteExact();
    void fullStandardOutputFails_data();
    void fullStandardOutputFails();
    void compileWaitsForTheLock_data();
    void compileWaitsForTheLock();
    void pdfReportWithoutAScreen();
    void handedOverCommandsKeepTheirStreamsAndCodes_data();
    void handedOverCommandsKeepTheirStreamsAndCodes();
};

void TestCliProcess::initTestCase()
{
    QVERIFY2(!cliProgram().isEmpty(), "SW40917-cli is not built beside the tests");
}

void TestCliProcess::csvIsByteExact()
{
    Project p;
    const Run r = run({QStringLiteral("map"), p.folder, QStringLiteral("--csv")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, QByteArray("Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"
                               "16,read,1,5,\"pump, left; \"\"A\"\"\",1,2\r\n"
                               "3,read,2,7,\"two\nlines\",,1\r\n"
                               "4,write,1,5,\"pump, left; \"\"A\"\"\",,2\r\n"));
}

void TestCliProcess::fullStandardOutputFails_data()
{
    QTest::addColumn<QStringList>("arguments"); // PROJECT stands for the configuration folder
    QTest::newRow("map") << QStringList{"map", "PROJECT"};
    QTest::newRow("map --csv") << QStringList{"map", "--csv", "PROJECT"};
    QTest::newRow("dump") << QStringList{"dump", "PROJECT/bin/bank2.bin"};
    QTest::newRow("lang-template") << QStringList{"lang-template"};
    QTest::newRow("report") << QStringList{"report", "PROJECT"};
}

void TestCliProcess::fullStandardOutputFails()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("no /dev/full on this system");
    QFETCH(QStringList, arguments);
    Project p;
    QCOMPARE(run({QStringLiteral("compile"), p.folder}).code, 0);
    arguments.replaceInStrings(QStringLiteral("PROJECT"), p.folder);
    const Run r = run(arguments, QStringLiteral("/dev/full"));
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith("Cannot write standard output: " + Portable::diskFullReason().toUtf8()),
             r.err.constData());
}

// compile holds the configuration's lock like every writer: while another process holds it, the compile
// waits; it goes ahead when the holder lets go within the wait, else it stops after the wait, naming the
// holder, and writes nothing.
void TestCliProcess::compileWaitsForTheLock_data()
{
    QTest::addColumn<int>("releaseAfterMs"); // -1: held until the compile has ended
    QTest::newRow("released within the wait") << 1500;
    QTest::newRow("held throughout") << -1;
}

void TestCliProcess::compileWaitsForTheLock()
{
    QFETCH(int, releaseAfterMs);
    Project p;
    auto holder = std::make_unique<ConfigurationLock>(p.folder, ConfigurationLock::MapChange, 0);
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(cliProgram(), {QStringLiteral("compile"), p.folder});
    QVERIFY(process.waitForStarted());
    // Still waiting well after a compile of this size would have ended.
    QVERIFY(!process.waitForFinished(releaseAfterMs > 0 ? releaseAfterMs : 1500));
    QVERIFY(!QFile::exists(p.folder + QStringLiteral("/bin/bank.bin")));
    if (releaseAfterMs > 0)
        holder.reset();
    QVERIFY(process.waitForFinished(60000));
    const QByteArray err = process.readAllStandardError();
    if (releaseAfterMs > 0) {
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(err, QByteArray());
        QVERIFY(QFile::exists(p.folder + QStringLiteral("/bin/bank.bin")));
        QVERIFY(QFile::exists(p.folder + QStringLiteral("/bin/bank2.bin")));
        return;
    }
    QVERIFY2(clock.elapsed() >= ConfigurationLock::DefaultWaitMs - 100, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(process.exitCode(), 1);
    const QString expected = QDir::toNativeSeparators(QDir::cleanPath(p.folder)) +
                             QStringLiteral(": another compile of this configuration is running (process %1, %2); "
                                            "nothing was written")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCOMPARE(QString::fromUtf8(err).trimmed(), expected);
    QCOMPARE(QDir(p.folder + QStringLiteral("/bin")).entryList(QDir::Files | QDir::Hidden),
             QStringList{ConfigurationLock::fileName()});
}

// The PDF report draws text, which needs a graphics platform: the program takes one that needs no screen,
// so it runs in a console without a display (a build server, a remote shell).
void TestCliProcess::pdfReportWithoutAScreen()
{
    Project p;
    const QString pdf = p.dir.filePath(QStringLiteral("report.pdf"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
#ifndef Q_OS_WIN
    // Windows always has its desktop's platform; elsewhere the program must choose one by itself.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
#endif
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(cliProgram(),
                  {QStringLiteral("report"), p.folder, QStringLiteral("--pdf"), QStringLiteral("-o"), pdf});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAllStandardError().constData());
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.read(5) == "%PDF-");
}

// The commands that need Qt GUI or Qt Network (the program may hand them to a second one) answer through the
// program with their own output, on the stream it belongs on, and their own exit code.
void TestCliProcess::handedOverCommandsKeepTheirStreamsAndCodes_data()
{
    QTest::addColumn<QStringList>("arguments"); // PROJECT stands for the configuration folder
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("out"); // the start of standard output
    QTest::addColumn<QByteArray>("err"); // the start of standard error
    QTest::newRow("report --help") << QStringList{"report", "--help"} << 0
                                   << QByteArray("Usage: SW40917-cli report PROJECT_FOLDER") << QByteArray();
    QTest::newRow("monitor without a folder")
        << QStringList{"monitor"} << 2 << QByteArray() << QByteArray("Usage: SW40917-cli monitor PROJECT_FOLDER");
    QTest::newRow("monitor of no folder") << QStringList{"monitor", "PROJECT/none", "--once"} << 1 << QByteArray()
                                          << QByteArray("Not a configuration folder: ");
    QTest::newRow("report") << QStringList{"report", "PROJECT"} << 0 << QByteArray("<!DOCTYPE html>") << QByteArray();
}

void TestCliProcess::handedOverCommandsKeepTheirStreamsAndCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    Project p;
    arguments.replaceInStrings(QStringLiteral("PROJECT"), p.folder);
    const Run r = run(arguments);
    QCOMPARE(r.code, code);
    QVERIFY2(r.out.startsWith(out) && (!out.isEmpty() || r.out.isEmpty()), r.out.left(200).constData());
    QVERIFY2(r.err.startsWith(err) && (!err.isEmpty() || r.err.isEmpty()), r.err.constData());
}

QTEST_GUILESS_MAIN(TestCliProcess)
#include "tst_cli_process.moc"
