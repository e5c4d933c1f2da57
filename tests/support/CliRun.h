#pragma once

#include "Cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs SW40917-cli inside the test process and keeps what it printed.
struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

inline CliRun runCli(const QStringList &arguments)
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = Cli::run(arguments, out, err);
    out.flush();
    err.flush();
    return r;
}
