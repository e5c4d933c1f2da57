#pragma once

#include "Cli.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QtTest>

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

// A table of command lines with what they must give: the exit code, and a text that standard output
// and standard error must each contain ("" for anything).
inline void addUsageColumns()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("outContains");
    QTest::addColumn<QString>("errContains");
}

// Runs the current row of such a table.
inline void checkUsageRow()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, outContains);
    QFETCH(QString, errContains);
    const CliRun r = runCli(arguments);
    QTEST(r.code, "code");
    QVERIFY2(r.out.contains(outContains), qPrintable(r.out));
    QVERIFY2(r.err.contains(errContains), qPrintable(r.err));
}
