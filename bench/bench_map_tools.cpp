// Times the register map tools on a plant-sized configuration: 63 slaves with 6000 bytes each way.
// Auto-map of all slaves on an empty map and on a map that it fills to the 6144 registers per page
// the device takes, then on the largest map: the overview (data and window), CSV export and import,
// and opening the register map dialog. Offscreen.
//
// Usage: bench_map_tools

#include "BenchSupport.h"
#include "MapOverviewModel.h"
#include "TFDefineModbusRegs.h"
#include "TFMapOverview.h"
#include "documents/AutoMap.h"
#include "documents/MapCsv.h"
#include "documents/MapOverview.h"
#include "documents/ProjectDocument.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <vector>

namespace {

constexpr int Slaves = 63;
constexpr int Rounds = 9;

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

template <typename F> std::vector<Bench::Sample> measure(F step)
{
    return Bench::measure(Rounds, step);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    Bench::Workspace workspace;
    AppContext &ctx = workspace.ctx;
    const Bench::CountingMessages &messages = workspace.messages;

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
    std::vector<Bench::Sample> fullRuns;
    {
        Bench::Stopwatch t;
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
    const QString csvPath = QDir(workspace.dir.path()).filePath(QStringLiteral("map.csv"));
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
    out << "  auto-map all, empty map        " << Bench::summary(emptyRuns) << "  (" << mapped.registerCount()
        << " registers)\n";
    out << "  auto-map all, to 6144 per page " << Bench::summary(fullRuns) << "  (" << largest.registerCount()
        << " registers, " << spares << " spare per page before)\n";
    out << "  overview data                  " << Bench::summary(overviewData) << '\n';
    out << "  overview window, shown         " << Bench::summary(overviewWindow) << '\n';
    out << "  CSV text                       " << Bench::summary(exportText) << "  (" << csv.size() / 1024 << " KiB)\n";
    out << "  CSV export to a file           " << Bench::summary(exportFile) << '\n';
    out << "  CSV import, checked            " << Bench::summary(importFile) << '\n';
    out << "  register map dialog open+paint " << Bench::summary(opens) << '\n';
    if (messages.count)
        out << "  messages shown: " << messages.count << " (last: " << messages.last << ")\n";
    return 0;
}
