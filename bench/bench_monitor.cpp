// Times one full poll of the register monitor on the largest map (6144 registers on each page)
// against Qt Serial Bus's Modbus TCP server on 127.0.0.1, in this process: the requests it takes and
// the time from the first request to the last answer. Three layouts: both pages as one run of
// registers, every other register, and runs of four registers 17 apart: a gap of 17 is not read
// across, so each run takes its own request, and 3072 of them is the most requests 12288 registers
// below 65536 can take.
//
// Usage: bench_monitor

#include "BenchSupport.h"
#include "ModbusStandIn.h"
#include "PlatformServices.h"
#include "monitor/MonitorTable.h"
#include "monitor/RegisterPoller.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int PerPage = 6144;
constexpr int Polls = 9;

// Register n of the map at index(n).
template <typename F> ModbusMap mapAt(F index)
{
    ModbusMap map;
    for (int s = 0; s < 24; ++s)
        map.appendSlave(QString::number(s + 1), 455, 455);
    for (int page : {ModbusMap::Read, ModbusMap::Write})
        for (int i = 0; i < PerPage; ++i) {
            const int n = (page - 1) * PerPage + i;
            map.appendRegister(i % 24, page, {QString::number(index(n)), 1, 2});
        }
    return map;
}

struct Result
{
    int requests = 0;
    std::vector<qint64> ms;
    bool allAnswered = true;
};

Result pollMap(const ModbusMap &map, quint16 port)
{
    MonitorTable table;
    table.build(map, -1);
    const std::unique_ptr<ModbusTransportFactory> factory = createModbusTransportFactory();
    RegisterPoller poller(factory->create(), table);
    PollSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.periodMs = 100;
    QSignalSpy spy(&poller, &RegisterPoller::pollFinished);
    poller.start(settings);
    Result result;
    while (spy.size() < Polls) {
        if (!spy.wait(30000))
            qFatal("no poll ended");
    }
    poller.stop();
    for (const QList<QVariant> &signal : spy) {
        const PollSummary summary = signal.first().value<PollSummary>();
        result.requests = summary.requests;
        result.ms.push_back(summary.elapsedMs);
        result.allAnswered = result.allAnswered && summary.allAnswered();
    }
    for (const MonitorRow &row : table.rows()) {
        if (!row.hasValue || row.value != ModbusStandIn::holdingValue(row.address))
            qFatal("wrong value at register %d", row.address);
    }
    return result;
}

QString line(const Result &r)
{
    std::vector<qint64> sorted = r.ms;
    std::sort(sorted.begin(), sorted.end());
    return QStringLiteral("%1 requests, median %2 ms, max %3 ms%4")
        .arg(r.requests)
        .arg(sorted.at(sorted.size() / 2))
        .arg(sorted.back())
        .arg(r.allAnswered ? QString() : QStringLiteral(", NOT ALL ANSWERED"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qRegisterMetaType<PollSummary>();
    QTextStream out(stdout);
    ModbusStandIn::Server server;
    if (!server.start())
        qFatal("the Modbus server did not start");
    out << "One full poll of 2 x " << PerPage << " registers on 127.0.0.1 (" << Polls << " polls each)\n";
    out << "  one run 0..12287            " << line(pollMap(mapAt([](int n) { return n; }), server.port())) << '\n';
    out << "  every other register        " << line(pollMap(mapAt([](int n) { return 2 * n; }), server.port()))
        << '\n';
    out << "  fours 17 apart (worst case) "
        << line(pollMap(mapAt([](int n) { return n / 4 * 21 + n % 4; }), server.port())) << '\n';
    return 0;
}
