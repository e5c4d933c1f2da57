#pragma once

// What the benchmarks of whole programs share: one run of a program as a child process with its wall time,
// CPU time and peak resident memory, and paired runs of two programs (A, B, A, B, ...), so that a machine
// busy with other work slows both alike, summed up by medians.

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace Bench {

struct ProcessRun
{
    double wallMs = 0;
    double cpuMs = 0;
    double peakMiB = 0; // the peak resident set; not a number where the system does not say it
};

// Runs the program to its end with its standard output thrown away; `environment` adds "NAME=VALUE"
// entries to this process's own. A failed run ends the benchmark.
inline ProcessRun runProcess(const QString &program, const QStringList &arguments, const QStringList &environment = {})
{
    ProcessRun run;
#ifdef Q_OS_WIN
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    run.wallMs = double(timer.nsecsElapsed()) / 1e6;
    run.cpuMs = std::numeric_limits<double>::quiet_NaN();
    run.peakMiB = std::numeric_limits<double>::quiet_NaN();
#else
    // Spawned and waited for here rather than through QProcess: wait4 gives this child's own CPU time and
    // peak memory.
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString &a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> envStorage;
    for (const QString &entry : environment)
        envStorage.push_back(entry.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &e : envStorage)
        envp.push_back(e.data());
    for (char **e = environ; *e; ++e)
        envp.push_back(*e);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        qFatal("cannot start %s", qPrintable(program));
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("%s failed", qPrintable(program));
    run.wallMs = double(timer.nsecsElapsed()) / 1e6;
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    run.peakMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
#endif
    return run;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? std::numeric_limits<double>::quiet_NaN() : values[values.size() / 2];
}

struct Command
{
    QString label;
    QString program;
    QStringList arguments;
    QStringList environment;
};

// Runs A and B by turns, `rounds` times each after one unmeasured round (files cached, libraries loaded),
// and prints the medians of each and of the per-round ratios A / B.
inline void comparePaired(QTextStream &out, const Command &a, const Command &b, int rounds)
{
    runProcess(a.program, a.arguments, a.environment);
    runProcess(b.program, b.arguments, b.environment);
    std::vector<ProcessRun> runsA;
    std::vector<ProcessRun> runsB;
    for (int i = 0; i < rounds; ++i) {
        runsA.push_back(runProcess(a.program, a.arguments, a.environment));
        runsB.push_back(runProcess(b.program, b.arguments, b.environment));
    }
    const auto column = [](const std::vector<ProcessRun> &runs, double ProcessRun::*field) {
        std::vector<double> values;
        for (const ProcessRun &r : runs)
            values.push_back(r.*field);
        return values;
    };
    const auto ratios = [&](double ProcessRun::*field) {
        std::vector<double> values;
        for (size_t i = 0; i < runsA.size(); ++i)
            values.push_back(runsA[i].*field / runsB[i].*field);
        return median(values);
    };
    const auto number = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    out << "paired runs: " << rounds << " of each, medians\n";
    for (const auto &[name, field, unit] :
         {std::tuple{"wall", &ProcessRun::wallMs, " ms"}, std::tuple{"CPU ", &ProcessRun::cpuMs, " ms"},
          std::tuple{"peak", &ProcessRun::peakMiB, " MiB"}}) {
        out << "  " << name << ": " << a.label << ' ' << number(median(column(runsA, field)), 1) << unit << ", "
            << b.label << ' ' << number(median(column(runsB, field)), 1) << unit << ", ratio "
            << number(ratios(field), 2) << '\n';
    }
    out.flush();
}

} // namespace Bench
