#include "ConfigurationLock.h"

#include "AppError.h"
#include "SafeFile.h"
#include "WorkspacePaths.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

ConfigurationLock::ConfigurationLock(const QString &projectFolder, Purpose purpose, int waitMs)
{
    // No folder would make the lock's place "/bin".
    if (projectFolder.isEmpty())
        throw AppError(QStringLiteral("No configuration is open"));
    const QString binFolder = joinPath(projectFolder, QStringLiteral("bin"));
    // A bin folder that is a link would carry the lock, and the images, out of the configuration.
    SafeFile::refuseLink(binFolder);
    if (!QFileInfo(binFolder).isDir() && !QDir(projectFolder).mkdir(QStringLiteral("bin")))
        throw AppError(QStringLiteral("Cannot create the folder %1").arg(binFolder));
    const QString path = joinPath(binFolder, fileName());
    SafeFile::refuseLink(path);
    m_lock = std::make_unique<QLockFile>(path);
    // Stale only when its process no longer runs: a long compile on a slow disk keeps its lock.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(waitMs))
        return;
    const QLockFile::LockError error = m_lock->error();
    m_lock.reset();
    if (error == QLockFile::LockFailedError) {
        throw AppError(QStringLiteral("%1: %2").arg(
            QDir::toNativeSeparators(projectFolder),
            purpose == Compile ? QStringLiteral("another compile of this configuration is running")
                               : QStringLiteral("another compile or change of this configuration's register "
                                                "map is running; nothing was written")));
    }
    throw AppError(QStringLiteral("Cannot lock %1: %2")
                       .arg(path, error == QLockFile::PermissionError
                                      ? QStringLiteral("Permission denied")
                                      : QStringLiteral("the lock file cannot be made")));
}

ConfigurationLock::~ConfigurationLock() = default;
