#include "Cli.h"
#include "Commands.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

// SW40917-cli without Qt GUI and Qt Network: the commands that need them run in SW40917-cli-full beside it,
// which takes this process's place with the same arguments, standard streams and exit code.
namespace Cli {

namespace {

std::vector<char *> g_arguments; // the program's own, byte for byte

int runWholeTool(QTextStream &out, QTextStream &err)
{
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/SW40917-cli-full");
    const QByteArray path = QFile::encodeName(program);
    std::vector<char *> argv = g_arguments;
    if (argv.empty())
        argv.push_back(nullptr);
    argv.front() = const_cast<char *>(path.constData());
    argv.push_back(nullptr);
    out.flush();
    err.flush();
    std::fflush(nullptr);
    ::execv(path.constData(), argv.data());
    err << "Cannot start " << program << ": " << QString::fromLocal8Bit(std::strerror(errno)) << "\n";
    return Failed;
}

} // namespace

void keepArguments(int argc, char *argv[])
{
    g_arguments.assign(argv, argv + argc);
}

int monitorCommand(const QStringList &, QTextStream &out, QTextStream &err)
{
    return runWholeTool(out, err);
}

int reportCommand(const QStringList &, QTextStream &out, QTextStream &err)
{
    return runWholeTool(out, err);
}

} // namespace Cli
