// Times the start of the program to its main window and back (`SW40917 --self-test`, offscreen) against
// minimal_window, a Qt widgets program that shows one window: paired runs, medians of wall time, CPU time and
// peak memory, and of the per-pair ratios.
// Usage: bench_start [RUNS] [PATH_TO_SW40917] [PATH_TO_minimal_window]
#include "ProcessRuns.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? args.at(1).toInt() : 21;
    const QString here = QCoreApplication::applicationDirPath();
    const QString program = args.size() > 2 ? args.at(2) : here + QStringLiteral("/../program/SW40917");
    const QString minimal = args.size() > 3 ? args.at(3) : here + QStringLiteral("/minimal_window");
    const QStringList offscreen{QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    Bench::comparePaired(out, {QStringLiteral("SW40917 --self-test"), program, {QStringLiteral("--self-test")}, offscreen},
                         {QStringLiteral("minimal window"), minimal, {}, offscreen}, runs);
    return 0;
}
