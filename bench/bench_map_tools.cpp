// Times the register map tools on a plant-sized configuration: 63 slaves with 6000 bytes each way.
// Auto-map of all slaves on an empty map and on a map that it fills to the 6144 registers per page
// the device takes, then on the largest map: the overview (data and window), CSV export and import,
// and opening the register map dialog. Offscreen.
//
// Usage: bench_map_tools

#include "MapOverviewModel.h"
#include "Messages.h"
#include "TFDefineModbusRegs.h"
#include "TFMapOverview.h"
#include "app/AppContext.h"
#include "documents/AutoMap.h"
#include "documents/MapCsv.h"
#include "documents/MapOverview.h"
#include "documents/ProjectDocument.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

constexpr int Slaves = 63;
constexpr int Rounds = 9;

class CountingMessages : public Messages
{
public:
    void error(const QString &text) override { last = text, ++count; }
    void warning(const QString &text) override { last = text, ++count; }
    bool question(const QString &text) override { return last = text, ++count, true; }
    Answer questionWithCancel(const QString &text) override { return last = text, ++count, Answer::Yes; }
    QString last;
    int count = 0;
};

// 6000 bytes each way over 63 slaves: 15 slaves of 96 bytes, 48 of 95.
int bytesOf(int slave)
{
    return slave < 15 ? 96 : 95;
}

ModbusMap plantSlaves()
{
    ModbusMap map;
    for (int s = 0; s < Slaves; ++s)
        map.appendSlave(QString::number(s + 1), bytesOf(s), bytesOf(s), QStringLiteral("station %1").arg(s + 1));
    return map;
}

// Registers that carry no byte, so that auto-map then fills each page to exactly 6144.
void addSpares(ModbusMap &map, int perPage)
{
    for (int page : {ModbusMap::Read, ModbusMap::Write})
        for (int i = 0; i < perPage; ++i)
            map.appendRegister(Slaves - 1, page, TMod_Reg{QString::number(30000 + (page - 1) * perPage + i), 0, 0});
}

struct Sample
{
    double wallMs;
    double cpuMs;
};

class Stopwatch
{
public:
    void start()
    {
        m_cpu = std::clock();
        m_wall.start();
    }
    Sample sample() const
    {
        return {double(m_wall.nsecsElapsed()) / 1e6, double(std::clock() - m_cpu) * 1000.0 / CLOCKS_PER_SEC};
    }

private:
    QElapsedTimer m_wall;
    std::clock_t m_cpu = 0;
};

QString summary(const std::vector<Sample> &samples)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Sample &s : samples) {
        wall.push_back(s.wallMs);
        cpu.push_back(s.cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return QStringLiteral("median %1 ms (CPU %2 ms), max %3 ms")
        .arg(wall.at(wall.size() / 2), 0, 'f', 2)
        .arg(cpu.at(cpu.size() / 2), 0, 'f', 2)
        .arg(wall.back(), 0, 'f', 2);
}

template <typename F> std::vector<Sample> measure(F step)
{
    std::vector<Sample> samples;
    Stopwatch t;
    for (int i = 0; i < Rounds; ++i) {
        t.start();
        step();
        samples.push_back(t.sample());
    }
    return samples;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    QTemporaryDir dir;
    CountingMessages messages;
    AppContext ctx;
    ctx.messages = &messages;
    ctx.catalog.LoadDefaultTexts();
    ctx.paths.setProgramFolder(dir.path());
    QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Bench/bin"));
    ctx.paths.activateProject(QStringLiteral("Bench"));

    // Auto-map of every slave, both pages, on an empty map (48 registers per slave and page).
    ModbusMap mapped;
    const auto emptyRuns = measure([&] {
        mapped = plantSlaves();
        const AutoMapResult r = AutoMap::mapAll(mapped, AutoMap::BothPages, AutoMapOptions{0, 100, false});
        if (r.failure)
            qFatal("auto-map refused");
    });
    const int perPage = mapped.registerCount() / 2;
    const int spares = AutoMap::MaxRegistersPerPage - perPage;

    // The same onto a map that it fills to the limit of 6144 registers per page.
    ModbusMap largest;
    const ModbusMap withSpares = [&] {
        ModbusMap m = plantSlaves();
        addSpares(m, spares);
        return m;
    }();
    std::vector<Sample> fullRuns;
    {
        Stopwatch t;
        for (int i = 0; i < Rounds; ++i) {
            largest = withSpares;
            t.start();
            const AutoMapResult r = AutoMap::mapAll(largest, AutoMap::BothPages, AutoMapOptions{});
            fullRuns.push_back(t.sample());
            if (r.failure)
                qFatal("auto-map refused");
        }
    }

    // The overview of the largest map: its data alone, then the window built and shown.
    const auto overviewData = measure([&] {
        const QVector<OverviewRow> rows = MapOverview::rows(largest);
        const QVector<FreeBytes> free = MapOverview::freeBytes(largest);
        if (rows.size() != largest.registerCount())
            qFatal("overview rows");
        Q_UNUSED(free);
    });
    const auto overviewWindow = measure([&] {
        TFMapOverview window(ctx, largest);
        window.show();
        QApplication::processEvents();
    });

    // CSV: the text, the file written, and an import of it checked whole.
    const QString csvPath = QDir(dir.path()).filePath(QStringLiteral("map.csv"));
    QByteArray csv;
    const auto exportText = measure([&] { csv = MapCsv::toCsv(largest); });
    const auto exportFile = measure([&] { MapCsv::save(largest, csvPath); });
    const auto importFile = measure([&] {
        const MapCsv::ImportResult r = MapCsv::parse(MapCsv::readFile(csvPath), largest, ctx.catalog);
        if (!r.problems.isEmpty() || r.registers != largest.registerCount())
            qFatal("import refused");
    });

    // The register map dialog opened on the largest map, with its tools in place.
    largest.saveRegisters(ctx.paths.DefRegPath);
    QDomDocument dnet = ProjectDocument::create(QStringLiteral("DNET_Net"));
    for (int s = 0; s < Slaves; ++s) {
        QDomElement row = ProjectDocument::appendElement(ProjectDocument::root(dnet), QStringLiteral("row"));
        row.setAttribute(QStringLiteral("ID"), QString::number(s + 1));
        row.setAttribute(QStringLiteral("NB_IN"), QString::number(bytesOf(s)));
        row.setAttribute(QStringLiteral("NB_OUT"), QString::number(bytesOf(s)));
        row.setAttribute(QStringLiteral("Mnemonic"), QStringLiteral("station %1").arg(s + 1));
    }
    ProjectDocument::save(dnet, ctx.paths.DnetNetPath);
    TFDefineModbusRegs dlg(ctx);
    const auto opens = measure([&] {
        dlg.show();
        QApplication::processEvents();
        dlg.hide();
    });

    out << "63 slaves, 6000 bytes each way\n";
    out << "  auto-map all, empty map        " << summary(emptyRuns) << "  (" << mapped.registerCount()
        << " registers)\n";
    out << "  auto-map all, to 6144 per page " << summary(fullRuns) << "  (" << largest.registerCount()
        << " registers, " << spares << " spare per page before)\n";
    out << "  overview data                  " << summary(overviewData) << '\n';
    out << "  overview window, shown         " << summary(overviewWindow) << '\n';
    out << "  CSV text                       " << summary(exportText) << "  (" << csv.size() / 1024 << " KiB)\n";
    out << "  CSV export to a file           " << summary(exportFile) << '\n';
    out << "  CSV import, checked            " << summary(importFile) << '\n';
    out << "  register map dialog open+paint " << summary(opens) << '\n';
    if (messages.count)
        out << "  messages shown: " << messages.count << " (last: " << messages.last << ")\n";
    return 0;
}
