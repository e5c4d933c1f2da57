#pragma once

#include "platform/ProgramLauncher.h"

#include <QString>
#include <functional>

// Starting an external updater and waiting for it to end, at most for a limit. An updater still
// running at the limit keeps running; nothing here ever stops it.
namespace StartProgramWait {

struct Wait
{
    std::function<qint64()> nowMs;     // monotonic milliseconds
    std::function<void(int ms)> pause; // one poll interval
    int limitMs = 150000;
    int pollMs = 10;
};

enum class Outcome { NotStarted, Ended, StillRunning };

} // namespace StartProgramWait

// Starts NomeSW with the arguments Parameter (hidden when tipo is true) and polls until it has
// ended or the limit has passed. A program that cannot be started is no error: the outcome says so.
StartProgramWait::Outcome Start_Program(ProgramLauncher &launcher, const QString &NomeSW, const QStringList &Parameter,
                                        bool tipo, const StartProgramWait::Wait &wait);
