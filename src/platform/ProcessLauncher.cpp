#include "PlatformServices.h"

#include "update/CommandLine.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QProcess>
#include <windows.h>
#else
#include <QList>
#include <cerrno>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
extern char **environ;
#endif

namespace {

#ifdef Q_OS_WIN

// Windows hands a program one command line that its runtime splits again: each argument is quoted
// by the rules of that split, so the program gets back exactly the arguments given.
class ProcessLauncher : public ProgramLauncher
{
public:
    ~ProcessLauncher() override { release(); }

    bool start(const QString &program, const QStringList &arguments, bool hidden) override
    {
        release();
        QProcess process;
        process.setProgram(program);
        process.setNativeArguments(joinWindowsCommandLine(arguments));
        process.setCreateProcessArgumentsModifier([hidden](QProcess::CreateProcessArguments *args) {
            args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            args->startupInfo->wShowWindow = hidden ? SW_HIDE : SW_SHOWNORMAL;
        });
        qint64 pid = 0;
        if (!process.startDetached(&pid))
            return false;
        m_handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, DWORD(pid));
        return true;
    }

    bool isRunning() override
    {
        DWORD code = 0;
        return m_handle && GetExitCodeProcess(m_handle, &code) && code == STILL_ACTIVE;
    }

private:
    void release()
    {
        if (m_handle)
            CloseHandle(m_handle);
        m_handle = nullptr;
    }
    HANDLE m_handle = nullptr;
};

#else

// Starts the program as a child in its own session (a signal to the configurator's terminal or
// process group does not reach it) and keeps its pid to poll it with waitpid. The child is never
// signalled; when the configurator ends first, it simply goes on. Children that outlived their wait
// are reaped as soon as they end, at the next start or poll, so none is left a zombie for long.
// The arguments go to the program as they are: no shell and no splitting is involved.
class ProcessLauncher : public ProgramLauncher
{
public:
    ~ProcessLauncher() override { reapEnded(); }

    bool start(const QString &program, const QStringList &arguments, bool hidden) override
    {
        Q_UNUSED(hidden); // a show mode has no meaning for a program started here
        reapEnded();
        m_current = -1;
        const QFileInfo file(program);
        if (!file.isFile() || !file.isExecutable())
            return false;

        QList<QByteArray> encoded;
        encoded.append(QFile::encodeName(program));
        for (const QString &argument : arguments)
            encoded.append(QFile::encodeName(argument));
        std::vector<char *> argv;
        for (QByteArray &a : encoded)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        pid_t pid = -1;
        const int result = posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        if (result != 0)
            return false;
        m_current = pid;
        m_children.append(pid);
        return true;
    }

    bool isRunning() override
    {
        reapEnded();
        return m_current > 0 && m_children.contains(m_current);
    }

private:
    void reapEnded()
    {
        for (qsizetype i = m_children.size() - 1; i >= 0; --i) {
            int status = 0;
            const pid_t done = ::waitpid(m_children.at(i), &status, WNOHANG);
            // ECHILD: someone else reaped it; it has ended all the same.
            if (done == m_children.at(i) || (done < 0 && errno == ECHILD))
                m_children.removeAt(i);
        }
    }

    pid_t m_current = -1;
    QList<pid_t> m_children; // started and not yet seen to end
};

#endif

} // namespace

std::unique_ptr<ProgramLauncher> createProgramLauncher()
{
    return std::make_unique<ProcessLauncher>();
}
