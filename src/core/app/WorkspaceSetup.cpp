#include "WorkspaceSetup.h"

#include "app/AppSettings.h"
#include "base/AppError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace WorkspaceSetup {

namespace {

// The shipped files are small; anything bigger or deeper in the data folder is not ours.
constexpr qint64 MaxSeedFileSize = 4 * 1024 * 1024;
constexpr int MaxSeedDepth = 4;

const QString Master = QStringLiteral("MASTER");
const QString Projects = QStringLiteral("PROJECTS");
const QString Language = QStringLiteral("LANGUAGE");
const QString SettingsFile = QStringLiteral("Fabricor.xml");

// A name already taken, even by a link that leads nowhere, is the user's: never written through.
bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void copyIfMissing(const QFileInfo &source, const QString &target, QStringList &problems)
{
    if (source.isSymLink() || !source.isFile() || source.size() > MaxSeedFileSize || taken(target))
        return;
    if (!QFile::copy(source.filePath(), target)) {
        problems << QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(source.filePath(), target);
        return;
    }
    // An installed data file is often read-only; the user's copy must be editable.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

bool makeFolder(const QString &path, QStringList &problems)
{
    // A folder the user linked elsewhere (PROJECTS on a shared drive) is the user's choice: used as it is.
    if (QFileInfo(path).isDir())
        return true;
    if (taken(path) || !QDir().mkpath(path)) {
        problems << QStringLiteral("Cannot create the folder \"%1\"").arg(path);
        return false;
    }
    return true;
}

void copyFolder(const QString &source, const QString &target, QStringList &problems)
{
    if (!makeFolder(target, problems))
        return;
    const QDir sourceDir(source);
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString relative = sourceDir.relativeFilePath(entry.filePath());
        if (entry.isSymLink() || relative.count(QLatin1Char('/')) >= MaxSeedDepth)
            continue;
        const QString to = QDir(target).filePath(relative);
        if (entry.isDir())
            makeFolder(to, problems);
        else
            copyIfMissing(entry, to, problems);
    }
}

} // namespace

bool isPortable(const QString &programFolder)
{
    const QDir dir(programFolder);
    return QFileInfo(dir.filePath(Projects)).isDir() || QFileInfo(dir.filePath(Language)).isDir();
}

QString userWorkspaceFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString findDataFolder(const QStringList &candidates)
{
    for (const QString &folder : candidates) {
        if (!folder.isEmpty() && QFileInfo(QDir(folder).filePath(Language)).isDir())
            return QDir::cleanPath(folder);
    }
    return QString();
}

QStringList prepare(WorkspacePaths &paths, const QString &programFolder, const QString &userFolder,
                    const QString &dataFolder)
{
    if (isPortable(programFolder) || userFolder.isEmpty()) {
        paths.setProgramFolder(programFolder);
        return {};
    }
    paths.setWorkspace(programFolder, userFolder);
    return seed(userFolder, dataFolder);
}

QStringList seed(const QString &workspace, const QString &dataFolder)
{
    QStringList problems;
    const QDir dir(workspace);
    if (!makeFolder(workspace, problems))
        return problems;
    const bool newProjects = !taken(dir.filePath(Projects));
    for (const QString &name : {Master, Projects, Language})
        makeFolder(dir.filePath(name), problems);

    const QString settingsPath = dir.filePath(SettingsFile);
    if (!taken(settingsPath)) {
        try {
            AppSettings().write(settingsPath);
        } catch (const AppError &e) {
            problems << e.message();
        }
    }
    if (dataFolder.isEmpty())
        return problems;

    const QDir data(dataFolder);
    for (const QFileInfo &file : QDir(data.filePath(Language)).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
        copyIfMissing(file, QDir(dir.filePath(Language)).filePath(file.fileName()), problems);

    if (newProjects) {
        const QDir examples(data.filePath(ExamplesFolder));
        for (const QFileInfo &example : examples.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (!example.isSymLink())
                copyFolder(example.filePath(), QDir(dir.filePath(Projects)).filePath(example.fileName()), problems);
        }
    }
    return problems;
}

} // namespace WorkspaceSetup
