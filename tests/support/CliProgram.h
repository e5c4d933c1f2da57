#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

// The real SW40917-cli as the build places it beside the tests (empty when it is not built), for the tests that
// need what only the process shows: its standard output, its exit status, its locks.
inline QString cliProgram()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("SW40917-cli.exe");
#else
    const QString name = QStringLiteral("SW40917-cli");
#endif
    for (const QString &folder : {QCoreApplication::applicationDirPath() + QStringLiteral("/../program"),
                                  QCoreApplication::applicationDirPath(), QStringLiteral(SW_PROGRAM_DIR)}) {
        const QFileInfo candidate(folder + QLatin1Char('/') + name);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return QString();
}
