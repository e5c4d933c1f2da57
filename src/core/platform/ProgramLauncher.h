#pragma once

#include <QString>

// Starts an external program and tells whether it still runs. A program it started is never
// killed by it, also not when the launcher is destroyed.
class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // Starts the program with its parameter text; hidden asks for no window. False: not started.
    virtual bool start(const QString &program, const QString &parameters, bool hidden) = 0;
    // Whether the program started last still runs.
    virtual bool isRunning() = 0;
};
