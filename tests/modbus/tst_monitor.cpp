// The register monitor against devices on 127.0.0.1: Qt Serial Bus's Modbus TCP server filled with
// known values, and a scripted device for the faults that server does not make (silence, late,
// wrong or broken answers). The poller, the socket connection, the command and the window.
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

#include <QAbstractItemModelTester>
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
        return PollSummary{-1, -1, 0, {}, {}};
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
    void oneRequestAtATime();
    void window();
    void mainWindowButton();
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
        return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,")
            .arg(QLatin1String(page))
            .arg(index)
            .arg(reference)
            .arg(QLatin1String(slave), QLatin1String(hi), QLatin1String(lo))
            .arg(holdingValue(index));
    };
    QCOMPARE(csv.out, QStringLiteral("page,index,reference,slave,high byte,low byte,value,error\n") +
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
    QVERIFY2(refused.out.contains(QStringLiteral("read,100,400101,5,1,2,,Connection refused\n")), qPrintable(refused.out));
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
    QVERIFY2(row.error.detail.contains(detail), qPrintable(row.error.detail));
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

void TestMonitor::window()
{
    Scripted device;
    device.answer = rightAnswer;
    QVERIFY(device.start());
    TestWorkspace ws;
    const QString folder = ws.makeProject(QStringLiteral("plant"));
    writeProject(folder, device.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}, {2, ModbusMap::Write, 101, 0, 7}}), 300);
    const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    ws.context.platform.modbus = factory.get();

    TFMonitor monitor(ws.context);
    monitor.setReplyTimeout(300);
    QSignalSpy polls(monitor.poller(), &RegisterPoller::pollFinished);
    monitor.show();
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
    const QString status = monitor.findChild<QLabel *>(QStringLiteral("L_Status"))->text();
    QVERIFY2(status.contains(QStringLiteral("2 of 2 requests answered")), qPrintable(status));
    const AccessibilityCheck::Report report = AccessibilityCheck::walk(&monitor);
    QVERIFY2(report.faults.isEmpty(), qPrintable(report.faults.join(QLatin1Char('\n'))));

    // Filters as in the map overview; the state register only while neither narrows.
    monitor.findChild<QComboBox *>(QStringLiteral("CB_Filter_Page"))->setCurrentIndex(2);
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->index(0, MonitorModel::Index).data().toString(), QStringLiteral("101"));
    monitor.findChild<QComboBox *>(QStringLiteral("CB_Filter_Page"))->setCurrentIndex(0);
    monitor.findChild<QComboBox *>(QStringLiteral("CB_Filter_Slave"))->setCurrentIndex(1);
    QCOMPARE(model->rowCount(), 1);

    // Input registers from another port, as the user sets them while the window is open.
    Server server;
    QVERIFY(server.start());
    monitor.findChild<QSpinBox *>(QStringLiteral("E_Port"))->setValue(server.port());
    monitor.findChild<QComboBox *>(QStringLiteral("CB_Function"))->setCurrentIndex(1);
    monitor.findChild<QPushButton *>(QStringLiteral("Btn_Apply"))->click();
    QVERIFY(polls.wait(5000));
    QCOMPARE(model->index(0, MonitorModel::Reference).data().toString(), QStringLiteral("300101"));
    QCOMPARE(model->index(0, MonitorModel::Decimal).data().toString(), QString::number(inputValue(100)));

    // Closing ends the connection at once.
    monitor.findChild<QPushButton *>(QStringLiteral("Btn_Close"))->click();
    QCOMPARE(monitor.poller()->state(), RegisterPoller::State::Stopped);
    QVERIFY2(ws.messages.shown().isEmpty(), qPrintable(ws.messages.last()));
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

void TestMonitor::mapOverviewButton()
{
    // The overview may show a map not saved yet; the monitor reads the saved one, as the device has it.
    Server server;
    QVERIFY(server.start());
    TestWorkspace ws;
    const QString folder = ws.makeProject(QStringLiteral("plant"));
    writeProject(folder, server.port(), mapOf({{0, ModbusMap::Read, 100, 1, 2}, {1, ModbusMap::Read, 7, 3, 0}}), 300);
    const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    ws.context.platform.modbus = factory.get();
    const ModbusMap unsaved = mapOf({{0, ModbusMap::Read, 100, 1, 2}});
    TFMapOverview overview(ws.context, unsaved);
    overview.show();
    int rows = -1;
    QTimer::singleShot(0, [&] {
        auto *monitor = qobject_cast<TFMonitor *>(QApplication::activeModalWidget());
        QVERIFY(monitor);
        rows = monitor->model()->rowCount();
        monitor->reject();
    });
    overview.findChild<QPushButton *>(QStringLiteral("Btn_Monitor"))->click();
    QCOMPARE(rows, 3);
    QVERIFY2(ws.messages.shown().isEmpty(), qPrintable(ws.messages.last()));
}

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
