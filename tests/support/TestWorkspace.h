#pragma once

#include "FakeMessages.h"
#include "app/AppContext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A throw-away program folder with a context whose messages are recorded. Every test starts here.
struct TestWorkspace
{
    QTemporaryDir dir;
    FakeMessages messages;
    AppContext context;

    TestWorkspace()
    {
        context.messages = &messages;
        context.paths.setProgramFolder(dir.path());
        context.catalog.LoadDefaultTexts();
    }

    QString programFolder() const { return context.paths.ProgramFolder; }
    QString path(const QString &relative) const { return QDir(dir.path()).filePath(relative); }

    // Makes PROJECTS/name (with bin) and makes it the active configuration.
    QString makeProject(const QString &name)
    {
        QDir(dir.path()).mkpath(QStringLiteral("PROJECTS/") + name + QStringLiteral("/bin"));
        context.paths.activateProject(name);
        return context.paths.ProjectFolder;
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
