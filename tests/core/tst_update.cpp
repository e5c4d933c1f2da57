#include "update/CommandLine.h"
#include "update/PortNames.h"
#include "update/StartProgram.h"
#include "update/UpdateJob.h"

#include <QtTest>

namespace {

// A program that runs for a given number of polls; records how it was started.
class ScriptedLauncher : public ProgramLauncher
{
public:
    bool startResult = true;
    int pollsRunning = 0; // isRunning answers true this many times, then false; -1: for ever
    QStringList calls;

    bool start(const QString &program, const QStringList &arguments, bool hidden) override
    {
        calls.append(QStringLiteral("start %1 [%2] %3")
                         .arg(program, arguments.join(QLatin1Char('|')), hidden ? "hidden" : "shown"));
        return startResult;
    }
    bool isRunning() override
    {
        calls.append(QStringLiteral("poll"));
        if (pollsRunning < 0)
            return true;
        return pollsRunning-- > 0;
    }
};

} // namespace

class TestUpdate : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void updateOptions_data();
    void updateOptions();
    void serialArguments_data();
    void serialArguments();
    void splitCommandLine_data();
    void splitCommandLine();
    void quoteWindowsArguments_data();
    void quoteWindowsArguments();
    void startProgram_data();
    void startProgram();
    void portNamesInNaturalOrder();
};

void TestUpdate::updateOptions_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("both, read back") << 0 << true << "FW FR PW PR ";
    QTest::newRow("both") << 0 << false << "FW NO PW NO ";
    QTest::newRow("firmware, read back") << 1 << true << "FW FR NO NO ";
    QTest::newRow("firmware") << 1 << false << "FW NO NO NO ";
    QTest::newRow("configuration, read back") << 2 << true << "NO NO PW PR ";
    QTest::newRow("configuration") << 2 << false << "NO NO PW NO ";
    QTest::newRow("unknown option appends nothing") << 3 << true << "";
    QTest::newRow("no selection appends nothing") << -1 << false << "";
}

void TestUpdate::updateOptions()
{
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QString, tokens);
    QCOMPARE(UpdateJob::Update_Options(QStringLiteral("pre "), option, readBack), QStringLiteral("pre ") + tokens);
}

void TestUpdate::serialArguments_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("readBack");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("both, read back") << "ttyS0" << 0 << true << "FW FR PW PR ";
    QTest::newRow("both") << "ttyS0" << 0 << false << "FW NO PW NO ";
    QTest::newRow("firmware, read back") << "ttyUSB1" << 1 << true << "FW FR NO NO ";
    QTest::newRow("firmware") << "ttyUSB1" << 1 << false << "FW NO NO NO ";
    QTest::newRow("configuration, read back") << "COM3" << 2 << true << "NO NO PW PR ";
    QTest::newRow("configuration") << "COM3" << 2 << false << "NO NO PW NO ";
    QTest::newRow("no port at all") << "" << 0 << true << "FW FR PW PR ";
}

void TestUpdate::serialArguments()
{
    QFETCH(QString, port);
    QFETCH(int, option);
    QFETCH(bool, readBack);
    QFETCH(QString, tokens);

    WorkspacePaths paths;
    paths.setProgramFolder(QStringLiteral("/opt/sw 2"));
    paths.activateProject(QStringLiteral("Line A"));
    const QString sep = QDir::separator();
#ifdef Q_OS_WIN
    const QString device = QStringLiteral("\\\\.\\") + port;
#else
    const QString device = QStringLiteral("/dev/") + port;
#endif
    // The firmware file is the lower-case name without the K; the bin folder ends in a separator.
    const QStringList expected = QStringList{device} + tokens.split(QLatin1Char(' '), Qt::SkipEmptyParts) +
                                 QStringList{paths.MasterFolder + sep + QStringLiteral("sim40917.sim"),
                                             paths.ProjectFolder + sep + QStringLiteral("bin") + sep};
    QCOMPARE(UpdateJob::serialArguments(paths, port, option, readBack), expected);
}

void TestUpdate::splitCommandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("blanks and tabs separate") << "a  b\tc " << QStringList{"a", "b", "c"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("quoted blank") << "\"a b\" c" << QStringList{"a b", "c"};
    QTest::newRow("empty quoted argument") << "a \"\" b" << QStringList{"a", "", "b"};
    QTest::newRow("quotes join parts") << "x\"y z\"w" << QStringList{"xy zw"};
    QTest::newRow("backslashes alone are literal") << "C:\\a\\\\b" << QStringList{"C:\\a\\\\b"};
    QTest::newRow("escaped quote") << "a\\\"b" << QStringList{"a\"b"};
    QTest::newRow("two backslashes then quote") << "\"a\\\\\" b" << QStringList{"a\\", "b"};
    QTest::newRow("three backslashes then quote") << "a\\\\\\\"b" << QStringList{"a\\\"b"};
    // A Windows folder with its trailing backslash swallows the closing quote.
    QTest::newRow("backslash before the closing quote")
        << "COM3 FW \"C:\\p\\bin\\\"" << QStringList{"COM3", "FW", "C:\\p\\bin\""};
    QTest::newRow("slash before the closing quote")
        << "/dev/ttyS0 FW NO PW NO \"/o p/MASTER/sim40917.sim\" \"/o p/PROJECTS/A/bin/\""
        << QStringList{"/dev/ttyS0", "FW", "NO", "PW", "NO", "/o p/MASTER/sim40917.sim", "/o p/PROJECTS/A/bin/"};
    QTest::newRow("doubled quote inside quotes") << "\"a\"\"b\" c" << QStringList{"a\"b c"};
}

void TestUpdate::splitCommandLine()
{
    QFETCH(QString, line);
    QFETCH(QStringList, args);
    QCOMPARE(splitWindowsCommandLine(line), args);
}

void TestUpdate::quoteWindowsArguments_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain stays as it is") << "FW"
                                          << "FW";
    QTest::newRow("inner backslashes stay literal") << "C:\\p\\bin\\"
                                                    << "C:\\p\\bin\\";
    QTest::newRow("empty") << ""
                           << "\"\"";
    QTest::newRow("blank") << "a b"
                           << "\"a b\"";
    QTest::newRow("tab") << "a\tb"
                         << "\"a\tb\"";
    QTest::newRow("quote") << "x\" --erase-all \"y"
                           << "\"x\\\" --erase-all \\\"y\"";
    QTest::newRow("backslash before a quote") << "a\\\"b"
                                              << "\"a\\\\\\\"b\"";
    QTest::newRow("trailing backslash of a quoted folder") << "C:\\p q\\bin\\"
                                                           << "\"C:\\p q\\bin\\\\\"";
    QTest::newRow("two trailing backslashes") << "a b\\\\"
                                              << "\"a b\\\\\\\\\"";
    QTest::newRow("backslashes inside quotes stay") << "a\\b c"
                                                    << "\"a\\b c\"";
}

void TestUpdate::quoteWindowsArguments()
{
    QFETCH(QString, argument);
    QFETCH(QString, quoted);
    QCOMPARE(quoteWindowsArgument(argument), quoted);
    // The split the program's runtime does gives back exactly the argument, also among others.
    const QStringList arguments{QStringLiteral("first"), argument, QStringLiteral("last")};
    QCOMPARE(splitWindowsCommandLine(joinWindowsCommandLine(arguments)), arguments);
}

void TestUpdate::startProgram_data()
{
    QTest::addColumn<bool>("starts");
    QTest::addColumn<int>("pollsRunning");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("polls");
    QTest::addColumn<qint64>("waitedMs");
    using O = StartProgramWait::Outcome;
    QTest::newRow("not started: no wait") << false << 0 << int(O::NotStarted) << 0 << qint64(0);
    QTest::newRow("ends at once: one poll, one pause") << true << 0 << int(O::Ended) << 1 << qint64(10);
    QTest::newRow("ends after three polls") << true << 3 << int(O::Ended) << 4 << qint64(40);
    // Still running at the limit: given up after 100 polls of 10 ms each, and left running.
    QTest::newRow("outlives the limit") << true << -1 << int(O::StillRunning) << 101 << qint64(1000);
}

void TestUpdate::startProgram()
{
    QFETCH(bool, starts);
    QFETCH(int, pollsRunning);
    QFETCH(int, outcome);
    QFETCH(int, polls);
    QFETCH(qint64, waitedMs);

    ScriptedLauncher launcher;
    launcher.startResult = starts;
    launcher.pollsRunning = pollsRunning;
    qint64 now = 5000;
    StartProgramWait::Wait wait;
    wait.nowMs = [&now] { return now; };
    wait.pause = [&now](int ms) { now += ms; };
    wait.limitMs = 1000;

    const auto result = Start_Program(launcher, QStringLiteral("/p/Ser_40917_Update.exe"), {"a", "b c"}, false, wait);
    QCOMPARE(int(result), outcome);
    QCOMPARE(launcher.calls.value(0), QStringLiteral("start /p/Ser_40917_Update.exe [a|b c] shown"));
    QCOMPARE(launcher.calls.count(QStringLiteral("poll")), polls);
    QCOMPARE(now - 5000, waitedMs);
}

void TestUpdate::portNamesInNaturalOrder()
{
    QCOMPARE(sortPortNames({"ttyUSB0", "ttyS10", "ttyS2", "ttyS0", "ttyACM1", "ttyS2"}),
             (QStringList{"ttyACM1", "ttyS0", "ttyS2", "ttyS10", "ttyUSB0"}));
    QCOMPARE(sortPortNames({"COM10", "COM9", "COM1"}), (QStringList{"COM1", "COM9", "COM10"}));
}

QTEST_GUILESS_MAIN(TestUpdate)
#include "tst_update.moc"
