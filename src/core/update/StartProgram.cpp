#include "StartProgram.h"

StartProgramWait::Outcome Start_Program(ProgramLauncher &launcher, const QString &NomeSW, const QStringList &Parameter,
                                        bool tipo, const StartProgramWait::Wait &wait)
{
    using StartProgramWait::Outcome;
    if (!launcher.start(NomeSW, Parameter, tipo))
        return Outcome::NotStarted;
    const qint64 started = wait.nowMs();
    for (;;) {
        const bool running = launcher.isRunning();
        if (running && wait.nowMs() - started >= wait.limitMs)
            return Outcome::StillRunning;
        wait.pause(wait.pollMs);
        if (!running)
            return Outcome::Ended;
    }
}
