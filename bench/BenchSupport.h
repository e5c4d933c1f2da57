#pragma once

// What the window benchmarks share: a stopwatch of wall and CPU time, the summary line of a set of
// samples, a message sink that only counts, and a context with an active project in a scratch folder.

#include "Messages.h"
#include "app/AppContext.h"

#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <ctime>
#include <vector>

namespace Bench {

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

// Wall time and the process's CPU time of one measured step; the CPU figure stays meaningful on a
// machine busy with other work.
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

inline QString summary(const std::vector<Sample> &samples)
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

// Runs `step` `rounds` times and times each run.
template <typename F> std::vector<Sample> measure(int rounds, F step)
{
    std::vector<Sample> samples;
    Stopwatch t;
    for (int i = 0; i < rounds; ++i) {
        t.start();
        step();
        samples.push_back(t.sample());
    }
    return samples;
}

// A context with the default texts and the project "Bench" active in a scratch folder, which lives as
// long as the workspace.
struct Workspace
{
    QTemporaryDir dir;
    CountingMessages messages;
    AppContext ctx;

    Workspace()
    {
        ctx.messages = &messages;
        ctx.catalog.LoadDefaultTexts();
        ctx.paths.setProgramFolder(dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/Bench/bin"));
        ctx.paths.activateProject(QStringLiteral("Bench"));
    }
};

} // namespace Bench
