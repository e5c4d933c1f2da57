#pragma once

#include <QString>
#include <QStringList>

// Starts an external program and tells whether it still runs. A program it started is never
// killed by it, also not when the launcher is destroyed.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // Starts the program with its arguments, each of which it receives exactly as given, whatever
    // it holds; hidden asks for no window. False: not started.
    virtual bool start(const QString &program, const QStringList &arguments, bool hidden) = 0;
    // Whether the program started last still runs.
    virtual bool isRunning() = 0;
};
