// The register monitor against devices on 127.0.0.1: Qt Serial Bus's Modbus TCP server filled with
// known values, and a scripted device for the faults that server does not make (silence, late,
// wrong or broken answers). The poller, the socket connection, the command and the window.
#include "CliProgram.h"
#include "ModbusStandIn.h"
#include "AccessibilityCheck.h"
#include "AppWindows.h"
#include "CliRun.h"
#include "MonitorModel.h"
#include "PlatformServices.h"
#include "TFFabricoreFirmWare.h"
#include "TFMapOverview.h"
#include "TFMonitor.h"
#include "TestWorkspace.h"
#include "documents/DnetNetDocument.h"
#include "documents/ParGenDocument.h"
#include "monitor/MonitorTable.h"
#include "monitor/RegisterPoller.h"
#include "text/TextCatalog.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <csignal>

using namespace ModbusStandIn;

namespace {

struct Reg
{
    int slave; // 0-based
    int page;
    int index;
    int hi;
    int lo;
};

// Slaves "5", "6" and "7" with 40 bytes each way, and the registers given.
ModbusMap mapOf(const QVector<Reg> &regs)
{
    ModbusMap map;
    map.appendSlave(QStringLiteral("5"), 40, 40, QStringLiteral("pump"));
    map.appendSlave(QStringLiteral("6"), 40, 40);
    map.appendSlave(QStringLiteral("7"), 40, 40);
    for (const Reg &r : regs)
        map.appendRegister(r.slave, r.page, {QString::number(r.index), r.hi, r.lo});
    return map;
}

// Both pages of 6144 registers: slaves of 256 bytes each way, two bytes per register, the read
// page on 0..6143 and the write page on 6144..12287.
ModbusMap largestMap()
{
    ModbusMap map;
    for (int s = 0; s < 24; ++s) {
        map.appendSlave(QString::number(s + 1), 256, 256);
        for (int page : {ModbusMap::Read, ModbusMap::Write})
            for (int k = 0; k < 128; ++k)
                map.appendRegister(s, page, {QString::number((page - 1) * 6144 + s * 256 + k), 2 * k + 1, 2 * k + 2});
        for (int k = 0; k < 128; ++k)
            map.appendRegister(s, ModbusMap::Read, {QString::number(s * 256 + 128 + k), 0, 0});
        for (int k = 0; k < 128; ++k)
            map.appendRegister(s, ModbusMap::Write, {QString::number(6144 + s * 256 + 128 + k), 0, 0});
    }
    return map;
}

PollSettings settingsFor(quint16 port, int function = 3)
{
    PollSettings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.function = function;
    s.periodMs = 100;
    s.replyTimeoutMs = 300;
    return s;
}

std::unique_ptr<ModbusTransport> transport()
{
    static const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    return factory->create();
}

// Every row with a register carries the stand-in's value and each mapped byte its half.
void verifyValues(const MonitorTable &table, int function)
{
    for (const MonitorRow &row : table.rows()) {
        const QString where = QStringLiteral("register %1").arg(row.address);
        QVERIFY2(row.hasValue, qPrintable(where));
        QCOMPARE(row.error.kind, MonitorError::None);
        QVERIFY(!row.old);
        const quint16 expected = function == 4 ? inputValue(row.address) : holdingValue(row.address);
        QCOMPARE(row.value, expected);
        if (row.isState()) {
            QCOMPARE(MonitorTable::byteValueText(row, true), QStringLiteral("%1").arg(expected >> 8, 8, 2, QLatin1Char('0')));
            continue;
        }
        QCOMPARE(MonitorTable::byteValueText(row, true), row.hiPart ? QString::number(expected >> 8) : QString());
        QCOMPARE(MonitorTable::byteValueText(row, false), row.loPart ? QString::number(expected & 0xFF) : QString());
    }
}

// Runs the poller until a poll ends and gives that poll's summary.
PollSummary nextPoll(RegisterPoller &poller, int timeoutMs = 5000)
{
    QSignalSpy spy(&poller, &RegisterPoller::pollFinished);
    if (!spy.wait(timeoutMs))
        return PollSummary{-1, -1, 0, 0, {}, {}};
    return spy.first().first().value<PollSummary>();
}

void writeProject(const QString &folder, quint16 port, const ModbusMap &map, int stateRegister)
{
    ParGenValues values = ParGenDocument::missingFileValues();
    values.MTCPs_IP = {QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")};
    values.MTCPs_PORT = QString::number(port);
    values.MTCPs_DN_State = QString::number(stateRegister);
    ParGenDocument::save(values, folder + QStringLiteral("/ParGen.xml"));
    QList<DnetSlaveRow> slaves;
    for (const TDNET_Slave &s : map.slaves())
        slaves.append({s.ID, QString::number(s.Num_Byte_IN), QString::number(s.Num_Byte_OUT), s.Mnemonic});
    DnetNetDocument::save(slaves, folder + QStringLiteral("/DNET_Net.xml"));
    map.saveRegisters(folder + QStringLiteral("/DefReg.xml"));
}

// A monitor window on a configuration whose device listens at port, with the Modbus connection set.
struct MonitorWindow
{
    TestWorkspace ws;
    std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    std::unique_ptr<TFMonitor> monitor;

    explicit MonitorWindow(quint16 port, const QString &language = QStringLiteral("English"))
    {
        const QString folder = ws.makeProject(QStringLiteral("plant"));
        writeProject(folder, port,
                     mapOf({{0, ModbusMap::Read, 100, 1, 2}, {2, ModbusMap::Write, 101, 0, 7}}), 300);
        ws.context.platform.modbus = factory.get();
        QString loaded = language;
        ws.context.catalog.LoadLanguage(loaded, QStringLiteral(SW_SOURCE_DIR "/lang"));
        open();
    }
    void open()
    {
        monitor = std::make_unique<TFMonitor>(ws.context);
        monitor->setReplyTimeout(300);
    }
    template <typename T> T *find(const char *name) const
    {
        return monitor->findChild<T *>(QString::fromLatin1(name));
    }
    QString status() const { return find<QLabel>("L_Status")->text(); }
};

enum class Fault { WrongTransaction, WrongUnit, ShortFrame, OverLong, Exception, InPieces, CloseAfterRequest, Late };

} // namespace

Q_DECLARE_METATYPE(QVector<Reg>)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(PollSummary)

class TestMonitor : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void rows_data();
    void rows();
    void largestMap();
    void cli_data();
    void cli();
    void cliCsv();
    void faults_data();
    void faults();
    void exceptionAnswer();
    void silentDevice();
    void deviceStoppedAndBack();
    void reconnectPauseGrows();
    void reconnectPauseAfterGoodPoll();
    void connectTimeout();
    void oneRequestAtATime();
    void cliStaleValues();
    void cliTextColumns();
    void cliConnectTimeout();
    void cliStopsOnFailedOutput_data();
    void cliStopsOnFailedOutput();
    void window();
    void nothingSentBeforeConnect();
    void tableIsOneTabStop_data();
    void tableIsOneTabStop();
    void windowSize_data();
    void windowSize();
    void mainWindowButton();
    void mapOverviewButton_data();
    void mapOverviewButton();
};

void TestMonitor::initTestCase()
{
    qRegisterMetaType<PollSummary>();
}

void TestMonitor::rows_data()
{
    QTest::addColumn<QVector<Reg>>("regs");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("requests");
    const int R = ModbusMap::Read, W = ModbusMap::Write;
    QTest::newRow("high and low parts") << QVector<Reg>{{2, R, 100, 1, 2}} << 3 << 1;
    QTest::newRow("lone bytes") << QVector<Reg>{{0, R, 5, 0, 3}, {0, R, 6, 4, 0}, {0, R, 7, 0, 0}} << 3 << 1;
    QTest::newRow("both pages") << QVector<Reg>{{0, R, 10, 1, 2}, {1, W, 11, 3, 4}} << 3 << 1;
    QTest::newRow("gap of 16 read across") << QVector<Reg>{{0, R, 1, 1, 0}, {0, R, 18, 2, 0}} << 3 << 1;
    QTest::newRow("gap of 17 skipped") << QVector<Reg>{{0, R, 1, 1, 0}, {0, R, 19, 2, 0}} << 3 << 2;
    QVector<Reg> run126;
    for (int i = 0; i < 126; ++i)
        run126.append({i % 3, i % 2 ? W : R, 200 + i, 1, 2});
    QTest::newRow("126 registers in two requests") << run126 << 3 << 2;
    QTest::newRow("index 65535") << QVector<Reg>{{0, R, 65535, 1, 2}, {1, W, 65534, 0, 1}, {2, R, 0, 5, 0}} << 3 << 2;
    QTest::newRow("input registers") << QVector<Reg>{{0, R, 3, 1, 2}, {1, W, 65535, 3, 0}} << 4 << 2;
}

void TestMonitor::rows()
{
    QFETCH(QVector<Reg>, regs);
    QFETCH(int, function);
    QFETCH(int, requests);
    Server server;
    QVERIFY(server.start());
    MonitorTable table;
    table.build(mapOf(regs), -1);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(server.port(), function));
    const PollSummary summary = nextPoll(poller);
    QCOMPARE(summary.requests, requests);
    QCOMPARE(summary.answered, requests);
    QVERIFY(summary.allAnswered());
    QCOMPARE(table.rows().size(), regs.size());
    verifyValues(table, function);
}

void TestMonitor::largestMap()
{
    Server server;
    QVERIFY(server.start());
    MonitorTable table;
    table.build(::largestMap(), 20000);
    QCOMPARE(table.rows().size(), 2 * 6144 + 1);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(server.port()));
    const PollSummary summary = nextPoll(poller, 20000);
    // 12288 registers in one run of 125 at a time, and the state register on its own.
    QCOMPARE(summary.requests, 99 + 1);
    QVERIFY(summary.allAnswered());
    verifyValues(table, 3);
}

void TestMonitor::cli_data()
{
    addUsageColumns();
    QTest::newRow("function 5") << QStringList{"monitor", "P", "--function", "5"} << 2 << "" << "Usage";
    QTest::newRow("port 0") << QStringList{"monitor", "P", "--port", "0"} << 2 << "" << "Usage";
    QTest::newRow("unit 256") << QStringList{"monitor", "P", "--unit", "256"} << 2 << "" << "Usage";
    QTest::newRow("port without value") << QStringList{"monitor", "P", "--port"} << 2 << "" << "Usage";
    QTest::newRow("period too short") << QStringList{"monitor", "P", "--period", "99"} << 2 << "" << "Usage";
    QTest::newRow("no folder") << QStringList{"monitor", "/nonexistent/folder", "--once"} << 1 << ""
                               << "Not a configuration folder";
    QTest::newRow("help") << QStringList{"monitor", "--help"} << 0 << "400001" << "";
}

void TestMonitor::cli()
{
    checkUsageRow();
}

void TestMonitor::cliCsv()
{
    Server server;
    QVERIFY(server.start());
    QTemporaryDir dir;
    const int R = ModbusMap::Read, W = ModbusMap::Write;
    writeProject(dir.path(), server.port(), mapOf({{0, R, 100, 1, 2}, {2, W, 101, 0, 7}}), 300);

    const CliRun csv = runCli({"monitor", dir.path(), "--once", "--csv"});
    QCOMPARE(csv.code, 0);
    const auto line = [](const char *page, int index, int reference, const char *slave, const char *hi, const char *lo) {
        return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,,ok")
            .arg(QLatin1String(page))
            .arg(index)
            .arg(reference)
            .arg(QLatin1String(slave), QLatin1String(hi), QLatin1String(lo))
            .arg(holdingValue(index));
    };
    QCOMPARE(csv.out, QStringLiteral("page,index,reference,slave,high byte,low byte,value,error,state\n") +
                          line("state", 300, 400301, "", "", "") + "\n" + line("read", 100, 400101, "5", "1", "2") +
                          "\n" + line("write", 101, 400102, "7", "", "7") + "\n");

    // Another address, port and function than the configuration's.
    QTemporaryDir other;
    writeProject(other.path(), 1, mapOf({{0, R, 100, 1, 2}}), 300);
    const CliRun table = runCli({"monitor", other.path(), "--once", "--host", "127.0.0.1", "--port",
                                 QString::number(server.port()), "--function", "4"});
    QCOMPARE(table.code, 0);
    QVERIFY2(table.out.contains(QStringLiteral("300101")), qPrintable(table.out));
    QVERIFY2(table.out.contains(QString::number(inputValue(100))), qPrintable(table.out));
    QVERIFY2(table.out.contains(QStringLiteral("2 of 2 requests answered")), qPrintable(table.out));

    // Without --once a table after every poll until Ctrl+C; the last poll gives the exit status.
    QTimer::singleShot(700, [] { std::raise(SIGINT); });
    const CliRun polls = runCli({"monitor", dir.path(), "--period", "200"});
    QCOMPARE(polls.code, 0);
    QVERIFY2(polls.out.count(QStringLiteral("2 of 2 requests answered")) >= 2, qPrintable(polls.out));

    // Nobody listens: every row says so, and the exit status tells.
    server.stop();
    const CliRun refused = runCli({"monitor", dir.path(), "--once", "--csv"});
    QCOMPARE(refused.code, 1);
    QVERIFY2(refused.out.contains(QStringLiteral("read,100,400101,5,1,2,,Connection refused,error\n")),
             qPrintable(refused.out));
}

void TestMonitor::faults_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<int>("error"); // MonitorError::Kind of the register's row, None when read
    QTest::addColumn<QString>("detail");
    QTest::newRow("wrong transaction") << Fault::WrongTransaction << int(MonitorError::Malformed) << "transaction";
    QTest::newRow("wrong unit") << Fault::WrongUnit << int(MonitorError::Malformed) << "unit 9";
    QTest::newRow("short frame") << Fault::ShortFrame << int(MonitorError::Timeout) << "";
    QTest::newRow("over-long frame") << Fault::OverLong << int(MonitorError::Malformed) << "2 bytes";
    QTest::newRow("exception") << Fault::Exception << int(MonitorError::Exception) << "";
    QTest::newRow("answer in pieces") << Fault::InPieces << int(MonitorError::None) << "";
    QTest::newRow("answers too late") << Fault::Late << int(MonitorError::Timeout) << "";
    QTest::newRow("closes the connection") << Fault::CloseAfterRequest << int(MonitorError::Lost) << "";
}

void TestMonitor::faults()
{
    QFETCH(Fault, fault);
    QFETCH(int, error);
    QFETCH(QString, detail);
    Scripted device;
    device.answer = [&](const QByteArray &request) -> QByteArray {
        QByteArray a = rightAnswer(request);
        switch (fault) {
        case Fault::WrongTransaction:
            a[1] = char(a.at(1) + 1);
            break;
        case Fault::WrongUnit:
            a[6] = 9;
            break;
        case Fault::ShortFrame:
            a.chop(1);
            break;
        case Fault::OverLong:
            a += QByteArray("\x00\x01", 2);
            break;
        case Fault::Exception:
            a = request.left(4) + QByteArray("\x00\x03", 2) + request.mid(6, 1) + char(0x83) + char(0x04);
            break;
        case Fault::InPieces:
        case Fault::Late:
            break;
        case Fault::CloseAfterRequest:
            QTimer::singleShot(0, &device, [&] {
                if (device.socket())
                    device.socket()->abort();
            });
            return {};
        }
        return a;
    };
    if (fault == Fault::Late)
        device.delayMs = 600; // twice the time a request may wait
    QVERIFY(device.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 40, 1, 2}}), -1);
    RegisterPoller poller(transport(), table);
    PollSettings settings = settingsFor(device.port());
    settings.unit = 7;
    poller.start(settings);
    if (fault == Fault::InPieces) {
        // The answer comes in two writes; the parser must wait for the rest.
        device.answer = [&](const QByteArray &request) -> QByteArray {
            const QByteArray a = rightAnswer(request);
            QTcpSocket *socket = device.socket();
            socket->write(a.left(5));
            socket->flush();
            QTimer::singleShot(50, socket, [socket, a] { socket->write(a.mid(5)); });
            return {};
        };
    }
    const PollSummary summary = nextPoll(poller);
    QCOMPARE(summary.requests, 1);
    // The request carried the unit asked for, function 3 and the register.
    QCOMPARE(device.lastRequest, ModbusFrame::encode({quint16(quint8(device.lastRequest.at(1))), 7, 3, 40, 1}));
    const MonitorRow &row = table.rows().first();
    QCOMPARE(int(row.error.kind), error);
    const QString errorText = MonitorTable::errorText(row.error, TextCatalog::english());
    QVERIFY2(errorText.contains(detail), qPrintable(errorText));
    if (error == MonitorError::None) {
        QVERIFY(summary.allAnswered());
        QCOMPARE(row.value, holdingValue(40));
    } else {
        QVERIFY(!summary.allAnswered());
        QVERIFY(!row.hasValue);
    }
    // Only a broken stream costs the connection; an exception is an answer like any other.
    const bool keepsConnection = error == MonitorError::None || error == MonitorError::Exception;
    QCOMPARE(poller.state() == RegisterPoller::State::Connected, keepsConnection);
}

void TestMonitor::exceptionAnswer()
{
    // The stand-in holds registers 0..99 only: the request beyond them is refused, the other read.
    Server server(0, 100);
    QVERIFY(server.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 50, 1, 2}, {1, ModbusMap::Write, 500, 3, 4}}), -1);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(server.port()));
    const PollSummary summary = nextPoll(poller);
    QCOMPARE(summary.requests, 2);
    QCOMPARE(summary.answered, 1);
    QCOMPARE(summary.failure.kind, MonitorError::None);
    QCOMPARE(table.rows().at(0).value, holdingValue(50));
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    QCOMPARE(MonitorTable::errorText(table.rows().at(1).error, catalog),
             QStringLiteral("Exception 02: ILLEGAL DATA ADDRESS"));
}

void TestMonitor::silentDevice()
{
    Scripted device; // takes every request and never answers
    QVERIFY(device.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 1, 1, 2}, {0, ModbusMap::Read, 400, 3, 4}}), -1);
    RegisterPoller poller(transport(), table);
    QElapsedTimer clock;
    clock.start();
    poller.start(settingsFor(device.port()));
    const PollSummary summary = nextPoll(poller);
    QCOMPARE(summary.failure.kind, MonitorError::Timeout);
    QCOMPARE(summary.answered, 0);
    QVERIFY(clock.elapsed() < 3000);
    // The request that waited, and the one that never went out, both say why.
    for (const MonitorRow &row : table.rows())
        QCOMPARE(row.error.kind, MonitorError::Timeout);
    QCOMPARE(device.requests, 1);
    QCOMPARE(poller.state(), RegisterPoller::State::Waiting);
    // After the pause it connects again by itself.
    QTRY_COMPARE_WITH_TIMEOUT(device.connections(), 2, 3000);
}

void TestMonitor::deviceStoppedAndBack()
{
    Server server;
    QVERIFY(server.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 7, 1, 2}}), 8);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(server.port()));
    QVERIFY(nextPoll(poller).allAnswered());

    // Switched off in the middle: the last good values stay, marked as old.
    const quint16 port = server.port();
    server.stop();
    PollSummary summary = nextPoll(poller);
    QVERIFY(summary.failure.kind == MonitorError::Lost || summary.failure.kind == MonitorError::Refused);
    for (const MonitorRow &row : table.rows()) {
        QVERIFY(row.old);
        QVERIFY(row.hasValue);
        QCOMPARE(row.value, holdingValue(row.address));
    }

    // Switched on again: the monitor finds it without being told.
    QVERIFY(server.start(port));
    QElapsedTimer clock;
    clock.start();
    do
        summary = nextPoll(poller);
    while (!summary.allAnswered() && clock.elapsed() < 5000);
    QVERIFY(summary.allAnswered());
    verifyValues(table, 3);
}

void TestMonitor::reconnectPauseGrows()
{
    const quint16 port = freePort(); // nobody listens there
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 7, 1, 2}}), -1);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(port));
    QVector<int> pauses;
    for (int i = 0; i < 6; ++i) {
        const PollSummary summary = nextPoll(poller);
        QCOMPARE(summary.failure.kind, MonitorError::Refused);
        pauses.append(poller.reconnectPauseMs());
    }
    // Doubling from one period up to ten periods.
    QCOMPARE(pauses, QVector<int>({100, 200, 400, 800, 1000, 1000}));
}

void TestMonitor::oneRequestAtATime()
{
    // Each answer takes longer than the period: polls must not pile up, and requests never overlap.
    Scripted device;
    device.delayMs = 60;
    device.answer = rightAnswer;
    QVERIFY(device.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 1, 1, 2}, {0, ModbusMap::Read, 300, 1, 2}, {0, ModbusMap::Read, 600, 1, 2}}),
                -1);
    RegisterPoller poller(transport(), table);
    QSignalSpy polls(&poller, &RegisterPoller::pollFinished);
    poller.start(settingsFor(device.port()));
    QTest::qWait(1000);
    poller.stop();
    QVERIFY(polls.size() >= 2);
    QCOMPARE(device.mostWaiting, 1);
    // Three requests a poll, each 60 ms: a poll takes 180 ms, so about five fit in a second.
    QVERIFY2(device.requests <= 3 * (polls.size() + 1), qPrintable(QString::number(device.requests)));
    for (int i = 0; i < polls.size(); ++i)
        QVERIFY(polls.at(i).first().value<PollSummary>().allAnswered());
}

void TestMonitor::reconnectPauseAfterGoodPoll()
{
    // Refused, refused, good, lost: the pause after the loss is one period again, not four.
    const quint16 port = freePort();
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 7, 1, 2}}), -1);
    RegisterPoller poller(transport(), table);
    poller.start(settingsFor(port));
    QCOMPARE(nextPoll(poller).failure.kind, MonitorError::Refused);
    QCOMPARE(nextPoll(poller).failure.kind, MonitorError::Refused);
    QCOMPARE(poller.reconnectPauseMs(), 200);
    Server server;
    QVERIFY(server.start(port));
    QVERIFY(nextPoll(poller).allAnswered());
    QCOMPARE(poller.reconnectPauseMs(), 0);
    server.stop();
    const PollSummary lost = nextPoll(poller);
    QVERIFY(lost.failure.kind == MonitorError::Lost || lost.failure.kind == MonitorError::Refused);
    QCOMPARE(poller.reconnectPauseMs(), 100);
}

void TestMonitor::connectTimeout()
{
    // A device that drops connection requests: the connection gets as long as an answer would, then
    // every row says why, and the next attempt follows after the pause.
    Unaccepting device;
    QVERIFY(device.start());
    MonitorTable table;
    table.build(mapOf({{0, ModbusMap::Read, 7, 1, 2}}), 8);
    RegisterPoller poller(transport(), table);
    QElapsedTimer clock;
    clock.start();
    poller.start(settingsFor(device.port()));
    const PollSummary summary = nextPoll(poller);
    QCOMPARE(summary.failure.kind, MonitorError::ConnectTimeout);
    QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(MonitorTable::errorText(summary.failure, TextCatalog::english()),
             QStringLiteral("No connection within 0.3 s"));
    for (const MonitorRow &row : table.rows())
        QCOMPARE(row.error.kind, MonitorError::ConnectTimeout);
    QCOMPARE(poller.state(), RegisterPoller::State::Waiting);
    QTRY_COMPARE_WITH_TIMEOUT(poller.state(), RegisterPoller::State::Connecting, 2000);
}

void TestMonitor::cliStaleValues()
{
    // Good at first, then silent: the rows keep the value, and the state column says it is old.
    Scripted device;
    int answered = 0;
    device.answer = [&](const QByteArray &request) {
        return answered++ < 1 ? rightAnswer(request) : QByteArray();
    };
    QVERIFY(device.start());
    QTemporaryDir dir;
    writeProject(dir.path(), device.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}}), -1);
    QTimer::singleShot(3300, [] { std::raise(SIGINT); });
    const CliRun polls = runCli({"monitor", dir.path(), "--csv", "--period", "500"});
    QCOMPARE(polls.code, 1);
    const QString fresh = QStringLiteral("read,100,400101,5,1,2,%1,,ok\n").arg(holdingValue(100));
    const QString stale = QStringLiteral("read,100,400101,5,1,2,%1,No answer in time,old\n").arg(holdingValue(100));
    QVERIFY2(polls.out.contains(fresh), qPrintable(polls.out));
    QVERIFY2(polls.out.contains(stale), qPrintable(polls.out));
    QVERIFY(polls.out.indexOf(fresh) < polls.out.indexOf(stale));
}

void TestMonitor::cliTextColumns()
{
    // Registers 0..99 only: register 500's request is answered with an exception.
    Server server(0, 100);
    QVERIFY(server.start());
    QTemporaryDir dir;
    writeProject(dir.path(), server.port(),
                 mapOf({{0, ModbusMap::Read, 50, 1, 2}, {1, ModbusMap::Write, 500, 3, 4}}), 7);
    const CliRun r = runCli({"monitor", dir.path(), "--once"});
    QCOMPARE(r.code, 1);
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    const QStringList header = lines.at(0).split(QRegularExpression(QStringLiteral("\\s{2,}")));
    QCOMPARE(header, QStringList({"Page", "Index", "Reference", "Slave", "High part", "Low part", "Hex", "Decimal",
                                  "High byte value", "Low byte value", "Error"}));
    // The state register: its value in decimal under "Decimal", its bytes in binary under the byte values.
    const quint16 state = holdingValue(7);
    const QString hex = QStringLiteral("0x") + QString::number(state, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    QCOMPARE(lines.at(1).split(QLatin1Char(' '), Qt::SkipEmptyParts),
             QStringList({"State", "7", "400008", hex, QString::number(state),
                          QStringLiteral("%1").arg(state >> 8, 8, 2, QLatin1Char('0')),
                          QStringLiteral("%1").arg(state & 0xFF, 8, 2, QLatin1Char('0'))}));
    QVERIFY2(r.out.contains(QStringLiteral("Exception 02: ILLEGAL DATA ADDRESS")), qPrintable(r.out));
    // Every request had its answer (the state register, 50 and 500 are too far apart to share one);
    // one of them was an exception.
    QVERIFY2(r.out.contains(QStringLiteral("3 of 3 requests answered in ")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral(" ms, 1 of them with an exception")), qPrintable(r.out));
}

void TestMonitor::cliConnectTimeout()
{
    Unaccepting device;
    QVERIFY(device.start());
    QTemporaryDir dir;
    writeProject(dir.path(), device.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}}), -1);
    QElapsedTimer clock;
    clock.start();
    const CliRun r = runCli({"monitor", dir.path(), "--once"});
    QCOMPARE(r.code, 1);
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(r.out.contains(QStringLiteral("No connection within 2 s")), qPrintable(r.out));
}

void TestMonitor::cliStopsOnFailedOutput_data()
{
    QTest::addColumn<bool>("pipe"); // | head -2, else > /dev/full
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << false << "No space left on device";
    QTest::newRow("reader gone") << true << "Broken pipe";
}

void TestMonitor::cliStopsOnFailedOutput()
{
    // The real program: standard output that takes nothing ends the polling, says why and closes the
    // connection, like every other command.
    QFETCH(bool, pipe);
    QFETCH(QString, reason);
    if (!pipe && !QFileInfo(QStringLiteral("/dev/full")).exists())
        QSKIP("no /dev/full on this system");
    const QString bash = QStandardPaths::findExecutable(QStringLiteral("bash"));
    if (pipe && bash.isEmpty())
        QSKIP("no bash on this system");
    QVERIFY2(!cliProgram().isEmpty(), "SW40917-cli is not built beside the tests");
    Scripted device;
    device.answer = rightAnswer;
    QVERIFY(device.start());
    QTemporaryDir dir;
    writeProject(dir.path(), device.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}}), 300);
    QProcess process;
    const QStringList arguments{QStringLiteral("monitor"), dir.path(), QStringLiteral("--period"), QStringLiteral("100")};
    if (pipe) {
        // The program's exit code, not head's.
        process.start(bash, QStringList{QStringLiteral("-c"), QStringLiteral("\"$0\" \"$@\" | head -2; exit ${PIPESTATUS[0]}"),
                                        cliProgram()} + arguments);
    } else {
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(cliProgram(), arguments);
    }
    QVERIFY(process.waitForStarted());
    // The device answers from this event loop while the program runs.
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 10000);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("Cannot write standard output: ") + reason), qPrintable(err));
    // One poll of two requests (the state register and the map's register), a second one at most
    // while head takes its two lines, and no more; then closed.
    QVERIFY2(device.requests <= 4, qPrintable(QString::number(device.requests)));
    QTRY_COMPARE_WITH_TIMEOUT(device.disconnects, device.connections(), 2000);
}

void TestMonitor::window()
{
    Scripted device;
    device.answer = rightAnswer;
    QVERIFY(device.start());
    MonitorWindow w(device.port());
    TFMonitor &monitor = *w.monitor;
    QSignalSpy polls(monitor.poller(), &RegisterPoller::pollFinished);
    monitor.show();
    auto *connectButton = w.find<QPushButton>("Btn_Connect");
    QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    connectButton->click();
    QCOMPARE(connectButton->text(), QStringLiteral("Disconnect"));
    QVERIFY(polls.wait(5000));
    MonitorModel *model = monitor.model();
    QAbstractItemModelTester tester(model);
    QCOMPARE(model->rowCount(), 3);
    // The state register first, by address after it.
    QCOMPARE(model->index(0, MonitorModel::Page).data().toString(), QStringLiteral("State"));
    QCOMPARE(model->index(1, MonitorModel::Reference).data().toString(), QStringLiteral("400101"));
    QCOMPARE(model->index(1, MonitorModel::Slave).data().toString(), QStringLiteral("5 pump"));
    QCOMPARE(model->index(1, MonitorModel::High).data().toString(), QStringLiteral("Byte 1"));
    QCOMPARE(model->index(1, MonitorModel::Decimal).data().toString(), QString::number(holdingValue(100)));
    QCOMPARE(model->index(2, MonitorModel::HighValue).data().toString(), QString());
    QCOMPARE(model->index(2, MonitorModel::LowValue).data().toString(), QString::number(holdingValue(101) & 0xFF));
    QVERIFY2(w.status().contains(QStringLiteral("2 of 2 requests answered")), qPrintable(w.status()));
    const AccessibilityCheck::Report report = AccessibilityCheck::walk(&monitor);
    QVERIFY2(report.faults.isEmpty(), qPrintable(report.faults.join(QLatin1Char('\n'))));

    // Filters as in the map overview; the state register only while neither narrows.
    w.find<QComboBox>("CB_Filter_Page")->setCurrentIndex(2);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, MonitorModel::Index).data().toString(), QStringLiteral("101"));
    w.find<QComboBox>("CB_Filter_Page")->setCurrentIndex(0);
    w.find<QComboBox>("CB_Filter_Slave")->setCurrentIndex(1);
    QCOMPARE(model->rowCount(), 1);

    // Another port while connected: the connection ends and nothing of the old device stays.
    Server server;
    QVERIFY(server.start());
    const int requestsBefore = device.requests;
    w.find<QSpinBox>("E_Port")->setValue(server.port());
    QCOMPARE(monitor.poller()->state(), RegisterPoller::State::Stopped);
    QCOMPARE(connectButton->text(), QStringLiteral("Connect"));
    for (int c = MonitorModel::Hex; c <= MonitorModel::Error; ++c)
        QCOMPARE(model->index(0, c).data().toString(), QString());
    QVERIFY2(w.status().contains(QStringLiteral("every value cleared")), qPrintable(w.status()));
    QTest::qWait(300);
    QCOMPARE(device.requests, requestsBefore);
    QTRY_COMPARE_WITH_TIMEOUT(device.disconnects, 1, 2000);

    // Input registers from that port, once the user connects again.
    w.find<QComboBox>("CB_Function")->setCurrentIndex(1);
    QCOMPARE(model->index(0, MonitorModel::Reference).data().toString(), QStringLiteral("300101"));
    connectButton->click();
    QVERIFY(polls.wait(5000));
    QCOMPARE(model->index(0, MonitorModel::Decimal).data().toString(), QString::number(inputValue(100)));
    // A changed function clears as well.
    w.find<QComboBox>("CB_Function")->setCurrentIndex(0);
    QCOMPARE(model->index(0, MonitorModel::Decimal).data().toString(), QString());
    QCOMPARE(monitor.poller()->state(), RegisterPoller::State::Stopped);

    // Disconnect ends it; closing ends it at once.
    connectButton->click();
    QVERIFY(polls.wait(5000));
    connectButton->click();
    QCOMPARE(monitor.poller()->state(), RegisterPoller::State::Stopped);
    connectButton->click();
    w.find<QPushButton>("Btn_Close")->click();
    QCOMPARE(monitor.poller()->state(), RegisterPoller::State::Stopped);
    QVERIFY2(w.ws.messages.shown().isEmpty(), qPrintable(w.ws.messages.last()));
}

void TestMonitor::nothingSentBeforeConnect()
{
    // Opened on a configuration, the window waits to be told: the device hears nothing of it.
    Scripted device;
    device.answer = rightAnswer;
    QVERIFY(device.start());
    MonitorWindow w(device.port());
    w.monitor->show();
    QTest::qWait(1500); // more than a period and a reply time-out
    QCOMPARE(device.connections(), 0);
    QCOMPARE(device.requests, 0);
    QCOMPARE(w.monitor->poller()->state(), RegisterPoller::State::Stopped);
    // It says what Connect would use.
    QCOMPARE(w.status(), QStringLiteral("Not connected. Connect reads from 127.0.0.1, port %1, unit 1, with function 3.")
                             .arg(device.port()));
    w.find<QSpinBox>("E_Unit")->setValue(7);
    QVERIFY2(w.status().contains(QStringLiteral("unit 7")), qPrintable(w.status()));
    w.find<QSpinBox>("E_Unit")->setValue(1);
    QSignalSpy polls(w.monitor->poller(), &RegisterPoller::pollFinished);
    w.find<QPushButton>("Btn_Connect")->click();
    QVERIFY(polls.wait(5000));
    QCOMPARE(device.connections(), 1);
    QVERIFY(device.requests >= 1);
}

void TestMonitor::tableIsOneTabStop_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QPoint>("from"); // (column, row)
    QTest::addColumn<QString>("focusTo");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("tab inside") << none << QPoint(2, 1) << "Btn_Close";
    QTest::newRow("tab at the last cell") << none << QPoint(MonitorModel::Error, 2) << "Btn_Close";
    QTest::newRow("shift+tab inside") << shift << QPoint(2, 1) << "Btn_Connect";
    QTest::newRow("shift+tab at the first cell") << shift << QPoint(0, 0) << "Btn_Connect";
    QTest::newRow("ctrl+tab inside") << ctrl << QPoint(2, 1) << "Btn_Close";
    QTest::newRow("ctrl+shift+tab inside") << ctrl + shift << QPoint(2, 1) << "Btn_Connect";
}

void TestMonitor::tableIsOneTabStop()
{
    QFETCH(int, modifiers);
    QFETCH(QPoint, from);
    QFETCH(QString, focusTo);
    MonitorWindow w(freePort());
    w.monitor->show();
    QApplication::setActiveWindow(w.monitor.get());
    auto *table = w.find<QTableView>("TV_Monitor");
    table->setCurrentIndex(table->model()->index(from.y(), from.x()));
    table->setFocus();
    QCOMPARE(QApplication::focusWidget(), table);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QTest::keyClick(table, (mods & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab, mods);
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focusTo);
    // The arrow keys still move inside it.
    table->setFocus();
    table->setCurrentIndex(table->model()->index(0, 0));
    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(table->currentIndex().row(), 1);
}

void TestMonitor::windowSize_data()
{
    QTest::addColumn<QString>("language");
    for (const char *language : {"English", "Deutsch", "Français", "Español", "Italiano"})
        QTest::newRow(language) << QString::fromUtf8(language);
}

void TestMonitor::windowSize()
{
    QFETCH(QString, language);
    MonitorWindow w(freePort(), language);
    TFMonitor &monitor = *w.monitor;
    monitor.show();
    QVERIFY(monitor.minimumSize() != monitor.maximumSize());
    QVERIFY(monitor.windowFlags() & Qt::WindowMaximizeButtonHint);
    monitor.resize(1500, 700);
    QCoreApplication::processEvents();
    auto *table = w.find<QTableView>("TV_Monitor");
    QHeaderView *header = table->horizontalHeader();
    // Every column holds its caption and the widest text it can show; the error column the rest.
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    int others = 0;
    for (int c = 0; c < MonitorModel::Error; ++c) {
        const QString caption = monitor.model()->headerData(c, Qt::Horizontal).toString();
        QVERIFY2(table->columnWidth(c) >= header->fontMetrics().horizontalAdvance(caption) + margin,
                 qPrintable(caption));
        others += table->columnWidth(c);
    }
    for (int c : {MonitorModel::HighValue, MonitorModel::LowValue})
        QVERIFY(table->columnWidth(c) > table->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
    QVERIFY(table->columnWidth(MonitorModel::Hex) > table->fontMetrics().horizontalAdvance(QStringLiteral("0xFFFF")));
    QCOMPARE(others + table->columnWidth(MonitorModel::Error), table->viewport()->width());
    QVERIFY(table->columnWidth(MonitorModel::Error) > 300);
    // The table and the buttons follow the window.
    const int wide = table->width();
    monitor.resize(1700, 800);
    QCoreApplication::processEvents();
    QCOMPARE(table->width(), wide + 200);
    QVERIFY(w.find<QPushButton>("Btn_Close")->geometry().right() > 1600);

    // Opened again, the window has the size it was left with.
    monitor.resize(1234, 678);
    w.find<QPushButton>("Btn_Close")->click();
    w.open();
    QCOMPARE(w.monitor->size(), QSize(1234, 678));
}

void TestMonitor::mainWindowButton()
{
    TestWorkspace ws;
    {
        AppWindows windows(ws.context);
        auto *button = windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Monitor"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Monitor"));
        QVERIFY(!button->isEnabled());
    }
    // With a configuration active it opens the monitor of that configuration.
    Server server;
    QVERIFY(server.start());
    const QString folder = ws.makeProject(QStringLiteral("plant"));
    writeProject(folder, server.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}}), 300);
    AppSettings settings;
    settings.projectname = QStringLiteral("plant");
    settings.write(ws.path(QStringLiteral("Fabricor.xml")));
    const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    AppContext second;
    second.messages = &ws.messages;
    second.paths.setProgramFolder(ws.dir.path());
    second.platform.modbus = factory.get();
    AppWindows windows(second);
    auto *button = windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Monitor"));
    QVERIFY(button->isEnabled());
    int rows = -1;
    QTimer::singleShot(0, [&] {
        auto *monitor = qobject_cast<TFMonitor *>(QApplication::activeModalWidget());
        QVERIFY(monitor);
        rows = monitor->model()->rowCount();
        monitor->reject();
    });
    button->click();
    QCOMPARE(rows, 2);
    QVERIFY2(ws.messages.shown().isEmpty(), qPrintable(ws.messages.last()));
}

void TestMonitor::mapOverviewButton_data()
{
    QTest::addColumn<bool>("unsaved"); // the overview shows a map that differs from the saved one
    QTest::newRow("map as saved") << false;
    QTest::newRow("changes not saved") << true;
}

void TestMonitor::mapOverviewButton()
{
    // The overview may show a map not saved yet; the monitor reads the saved one, as the device has
    // it, and says so before it connects.
    QFETCH(bool, unsaved);
    Server server;
    QVERIFY(server.start());
    TestWorkspace ws;
    const QString folder = ws.makeProject(QStringLiteral("plant"));
    const ModbusMap saved = mapOf({{0, ModbusMap::Read, 100, 1, 2}, {1, ModbusMap::Read, 7, 3, 0}});
    writeProject(folder, server.port(), saved, 300);
    const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    ws.context.platform.modbus = factory.get();
    const ModbusMap shown = unsaved ? mapOf({{0, ModbusMap::Read, 100, 1, 2}}) : saved;
    TFMapOverview overview(ws.context, shown);
    overview.show();
    int rows = -1;
    bool notice = false;
    QString noticeText;
    QTimer::singleShot(0, [&] {
        auto *monitor = qobject_cast<TFMonitor *>(QApplication::activeModalWidget());
        QVERIFY(monitor);
        rows = monitor->model()->rowCount();
        auto *label = monitor->findChild<QLabel *>(QStringLiteral("L_Saved_Notice"));
        notice = label && label->isVisible();
        noticeText = label ? label->text() : QString();
        monitor->reject();
    });
    overview.findChild<QPushButton *>(QStringLiteral("Btn_Monitor"))->click();
    QCOMPARE(rows, 3);
    QCOMPARE(notice, unsaved);
    QVERIFY2(noticeText.contains(QStringLiteral("saved documents")), qPrintable(noticeText));
    QVERIFY2(ws.messages.shown().isEmpty(), qPrintable(ws.messages.last()));
}

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
