#pragma once

#include "TestFiles.h"
#include "base/WorkspacePaths.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// A configuration folder "Case" with its bin folder, in a temporary directory.
struct CompileProject
{
    QTemporaryDir dir;
    WorkspacePaths paths;

    CompileProject()
    {
        QDir(dir.path()).mkpath(QStringLiteral("Case/bin"));
        paths.ProjectFolder = QDir::toNativeSeparators(dir.path() + QStringLiteral("/Case"));
        paths.Set_Files();
    }
    QString document(const QString &name) const { return joinPath(paths.ProjectFolder, name); }
    QString bankPath() const { return joinPath(paths.binFolder(), QStringLiteral("bank.bin")); }
    QString bank2Path() const { return joinPath(paths.binFolder(), QStringLiteral("bank2.bin")); }
    // The documents that folder holds; one it lacks is removed here too.
    void copyDocumentsFrom(const QString &folder)
    {
        for (const QString &name : TestFiles::DocumentNames) {
            QFile::remove(document(name));
            const QString source = folder + QLatin1Char('/') + name;
            if (QFile::exists(source))
                QFile::copy(source, document(name));
        }
    }
};
