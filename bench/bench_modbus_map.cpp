// Times the register map dialog on the largest maps: opening it (reading both documents and
// filling the lists) and switching the selected slave, offscreen.
//
// Usage: bench_modbus_map [spread|one|every]...   (no argument: all three layouts)
//   spread  63 slaves, 6144 registers on each page spread over the slaves
//   one     63 slaves, all 6144 registers of each page on slave 1
//   every   63 slaves, 6144 registers on each page of every slave (774144 in all; indexes repeat)

#include "BenchSupport.h"
#include "TFDefineModbusRegs.h"
#include "base/ParseIntOrDefault.h"
#include "documents/ModbusMap.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int Slaves = 63;
constexpr int RegistersPerPage = 6144;
constexpr int BytesPerSlave = 95; // 63 * 95 = 5985, within the 6000 bytes of each direction

struct Layout
{
    QString name;
    QString description;
};

void writeProject(const AppContext &ctx, const QString &layout)
{
    QDomDocument dnet = ProjectDocument::create(QStringLiteral("DNET_Net"));
    ModbusMap map;
    for (int s = 0; s < Slaves; ++s) {
        QDomElement row = ProjectDocument::appendElement(ProjectDocument::root(dnet), QStringLiteral("row"));
        row.setAttribute(QStringLiteral("ID"), QString::number(s));
        row.setAttribute(QStringLiteral("NB_IN"), QString::number(BytesPerSlave));
        row.setAttribute(QStringLiteral("NB_OUT"), QString::number(BytesPerSlave));
        row.setAttribute(QStringLiteral("Mnemonic"), QStringLiteral("slave %1").arg(s));
        map.appendSlave(QString::number(s), BytesPerSlave, BytesPerSlave);
    }
    ProjectDocument::save(dnet, ctx.paths.DnetNetPath);

    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        const int base = page == ModbusMap::Read ? 0 : RegistersPerPage;
        for (int r = 0; r < RegistersPerPage; ++r) {
            const TMod_Reg reg{QString::number(base + r), 1 + r % BytesPerSlave, (r + 1) % BytesPerSlave};
            if (layout == QLatin1String("spread"))
                map.appendRegister(r % Slaves, page, reg);
            else if (layout == QLatin1String("one"))
                map.appendRegister(0, page, reg);
            else
                for (int s = 0; s < Slaves; ++s)
                    map.appendRegister(s, page, reg);
        }
    }
    map.saveRegisters(ctx.paths.DefRegPath);
}

using Bench::Sample;
using Bench::summary;

void run(const QString &layout, QTextStream &out)
{
    Bench::Workspace workspace;
    AppContext &ctx = workspace.ctx;
    const Bench::CountingMessages &messages = workspace.messages;
    writeProject(ctx, layout);
    const qint64 fileSize = QFileInfo(ctx.paths.DefRegPath).size();
    const int rounds = layout == QLatin1String("every") ? 3 : 9;

    Bench::Stopwatch t;
    // Reading the two documents alone: the part of opening that does not depend on the widgets.
    std::vector<Sample> reads;
    std::vector<Sample> parses;
    std::vector<Sample> domParses;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        {
            const XmlTree tree = XmlTree::load(ctx.paths.DefRegPath);
            parses.push_back(t.sample());
        }
        t.start();
        {
            // The same file as a whole DOM, as the editors' document parser builds it: the reference.
            const QDomDocument doc = ProjectDocument::load(ctx.paths.DefRegPath);
            domParses.push_back(t.sample());
        }
        ModbusMap map;
        t.start();
        map.loadSlaves(ctx.paths.DnetNetPath);
        map.loadRegisters(ctx.paths.DefRegPath);
        reads.push_back(t.sample());
    }

    TFDefineModbusRegs dlg(ctx);

    // Opening: FormShow reads both documents and fills the lists; then the first paint.
    std::vector<Sample> opens;
    std::vector<Sample> openPaints;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        dlg.show();
        opens.push_back(t.sample());
        QApplication::processEvents();
        openPaints.push_back(t.sample());
        dlg.hide();
        QApplication::processEvents();
    }
    dlg.show();
    QApplication::processEvents();

    auto *slaves = dlg.findChild<QListWidget *>(QStringLiteral("LB_DeviceNet_Slave_Read_Frames"));
    auto *writeSlaves = dlg.findChild<QListWidget *>(QStringLiteral("LB_DeviceNet_Slave_Write_Frames"));
    auto *regs = dlg.findChild<QListWidget *>(QStringLiteral("LB_Modbus_Read_Regs"));
    // Both pages show a slave, so every switch refills both register lists.
    writeSlaves->setCurrentRow(0);
    QApplication::processEvents();

    std::vector<Sample> switches;
    std::vector<Sample> switchPaints;
    for (int i = 0; i < 40; ++i) {
        t.start();
        slaves->setCurrentRow(i % 2 == 0 ? 1 : 0);
        switches.push_back(t.sample());
        QApplication::processEvents();
        switchPaints.push_back(t.sample());
    }
    slaves->setCurrentRow(0);
    QApplication::processEvents();
    const int shownLines = regs->count();

    // Create with a free index: the check over the whole map plus the refresh of the lists.
    auto *index = dlg.findChild<QLineEdit *>(QStringLiteral("E_Index_Modbus_Read"));
    auto *create = dlg.findChild<QPushButton *>(QStringLiteral("Btn_Create_Read"));
    std::vector<Sample> creates;
    for (int i = 0; i < 10; ++i) {
        index->setText(QString::number(60000 + i));
        t.start();
        create->click();
        creates.push_back(t.sample());
    }

    // The in-use test alone, against what a walk over every register would cost.
    const ModbusMap &map = dlg.map();
    QElapsedTimer w;
    w.start();
    int hits = 0;
    for (int i = 0; i < 1000; ++i)
        hits += map.Check_Mod_Reg_in_Use(i * 13, 0, 0, ModbusMap::Read) ? 1 : 0;
    const double lookupUs = double(w.nsecsElapsed()) / 1e3 / 1000.0;
    w.start();
    int walkHits = 0;
    for (int p : {ModbusMap::Read, ModbusMap::Write})
        for (const TDNET_Slave &s : map.slaves())
            for (const TMod_Reg &r : (p == ModbusMap::Read ? s.Lista_Mod_Reg_Read : s.Lista_Mod_Reg_Write))
                walkHits += ParseIntOrDefault(r.Ind_Mod, -1) == 77777 ? 1 : 0;
    const double walkMs = double(w.nsecsElapsed()) / 1e6;

    out << "layout " << layout << ": " << map.registerCount() << " registers, DefReg.xml " << fileSize / 1024
        << " KiB, " << shownLines << " lines in the selected slave's read list\n";
    out << "  open (FormShow)            " << summary(opens) << '\n';
    out << "    reading both documents   " << summary(reads) << '\n';
    out << "    of which parsing DefReg  " << summary(parses) << '\n';
    out << "    (DefReg as a whole DOM   " << summary(domParses) << ")\n";
    out << "  open + first paint         " << summary(openPaints) << '\n';
    out << "  switch slave               " << summary(switches) << '\n';
    out << "  switch slave + paint       " << summary(switchPaints) << '\n';
    out << "  Create (check + refresh)   " << summary(creates) << '\n';
    out << QStringLiteral("  in-use lookup              %1 us each (a walk over every register: %2 ms)\n")
               .arg(lookupUs, 0, 'f', 3)
               .arg(walkMs, 0, 'f', 1);
    if (messages.count)
        out << "  messages shown: " << messages.count << " (last: " << messages.last << ")\n";
    out.flush();
    Q_UNUSED(hits);
    Q_UNUSED(walkHits);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList layouts = app.arguments().mid(1);
    if (layouts.isEmpty())
        layouts = {QStringLiteral("spread"), QStringLiteral("one"), QStringLiteral("every")};
    QTextStream out(stdout);
    for (const QString &layout : layouts) {
        if (layout != QLatin1String("spread") && layout != QLatin1String("one") && layout != QLatin1String("every")) {
            out << "unknown layout " << layout << '\n';
            return 2;
        }
        run(layout, out);
    }
    return 0;
}
