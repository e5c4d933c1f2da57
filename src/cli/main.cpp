#include "Cli.h"

#include <QCoreApplication>

#include <cstdio>
#include <new>

int main(int argc, char *argv[])
{
    // Each command is guarded on its own (Cli::guarded); this catches what is left, without
    // allocating for the message.
    try {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int code = Cli::run(app.arguments().mid(1), out, err);
        out.flush();
        err.flush();
        return code;
    } catch (const std::bad_alloc &) {
        std::fputs("Out of memory.\n", stderr);
        return Cli::Failed;
    }
}
