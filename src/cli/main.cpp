#include "Cli.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = Cli::run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
