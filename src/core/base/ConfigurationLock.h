#pragma once

#include <QString>
#include <QtGlobal>

// One writer at a time per configuration: a compile (for its whole reading and writing of the image pair)
// and every save of the register map (the dialogs, map-import, automap) hold the lock file in the
// configuration's bin folder. The lock is the operating system's lock on that file (flock, LockFileEx):
// it is held exactly as long as the process that took it runs, so no lock is ever stale whatever the
// file holds. The file's text (process number, program, host) is for people, and for the message that
// names the holder. A lock held by a running writer is waited for a few seconds, however long it has been
// held; then the second writer stops and nothing is written.
class ConfigurationLock
{
public:
    enum Purpose { Compile, MapChange };
    static constexpr int DefaultWaitMs = 5000;
    static QString fileName() { return QStringLiteral("sw40917.lock"); }

    // Takes the lock of the configuration in projectFolder (making its bin folder and the lock file when
    // missing; an empty folder in the lock file's place is removed). Throws AppError naming the folder and
    // the holder when another writer holds it for longer than waitMs, and naming the file when it cannot be
    // locked (a symbolic link or a folder with contents in its place, a link in place of the bin folder,
    // no permission).
    ConfigurationLock(const QString &projectFolder, Purpose purpose, int waitMs = DefaultWaitMs);
    ~ConfigurationLock();
    ConfigurationLock(const ConfigurationLock &) = delete;
    ConfigurationLock &operator=(const ConfigurationLock &) = delete;

private:
    qintptr m_handle = -1; // the open lock file: a descriptor, or a Windows HANDLE
};
