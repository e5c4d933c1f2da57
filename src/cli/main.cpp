#include "Cli.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char *argv[])
{
    // Each command is guarded on its own (Cli::guarded); this catches what is left, without
    // allocating for the message.
    try {
        QCoreApplication app(argc, argv);
        const QStringList arguments = app.arguments().mid(1);
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
