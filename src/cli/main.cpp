#include "Cli.h"

#include <QCoreApplication>
#ifndef SW_CLI_LEAN
#include <QGuiApplication>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

#ifndef SW_CLI_LEAN
namespace {

// Only a PDF report draws text, and only that needs the fonts of a graphics platform; every other
// command stays a plain console program.
bool drawsText(int argc, char *argv[])
{
    if (argc < 2 || std::strcmp(argv[1], "report") != 0)
        return false;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--pdf") == 0)
            return true;
    return false;
}

} // namespace
#endif

int main(int argc, char *argv[])
{
    // Each command is guarded on its own (Cli::guarded); this catches what is left, without
    // allocating for the message.
    try {
        std::unique_ptr<QCoreApplication> app;
#ifdef SW_CLI_LEAN
        Cli::keepArguments(argc, argv);
        app = std::make_unique<QCoreApplication>(argc, argv);
#else
        if (drawsText(argc, argv)) {
#ifndef Q_OS_WIN
            // A console program needs no screen: the fonts come from the platform that draws nowhere.
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
            app = std::make_unique<QGuiApplication>(argc, argv);
        } else {
            app = std::make_unique<QCoreApplication>(argc, argv);
        }
#endif
        const QStringList arguments = app->arguments().mid(1);
#ifdef Q_OS_WIN
        // The C runtime would write every LF of the CSV's CR LF as CR LF again.
        if (Cli::writesExactBytes(arguments))
            _setmode(_fileno(stdout), _O_BINARY);
#endif
        QTextStream out(stdout);
        QTextStream err(stderr);
        int code = Cli::run(arguments, out, err);
        // Cli::run has flushed standard output into the C stream; what the C stream still holds must
        // reach its place too.
        errno = 0;
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            err << "Cannot write standard output: "
                << (errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("write error")) << "\n";
            code = code == Cli::Ok ? Cli::Failed : code;
        }
        err.flush();
        return code;
    } catch (const std::bad_alloc &) {
        std::fputs("Out of memory.\n", stderr);
        return Cli::Failed;
    }
}
