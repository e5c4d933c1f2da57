#pragma once

#include "base/WorkspacePaths.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// Files and configuration folders that the compile and image tests set up.
namespace TestFiles {

inline const QStringList DocumentNames = {QStringLiteral("ParGen.xml"), QStringLiteral("DNET_Net.xml"),
                                          QStringLiteral("DefReg.xml")};

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// True when every byte was written.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Fails the running test when the file cannot be written.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(writeBytes(path, bytes), qPrintable(path));
}

} // namespace TestFiles

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
