#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One writer at a time per configuration: a compile (for its whole reading and writing of the image pair)
// and every save of the register map (the dialogs, map-import, automap) hold the lock file in the
// configuration's bin folder. A lock left by a process that no longer runs is taken over; a lock held by
// a running one is waited for a few seconds, then the second writer stops and nothing is written.
class ConfigurationLock
{
public:
    enum Purpose { Compile, MapChange };
    static constexpr int DefaultWaitMs = 5000;
    static QString fileName() { return QStringLiteral("sw40917.lock"); }

    // Takes the lock of the configuration in projectFolder (making its bin folder when missing). Throws
    // AppError naming the folder when another writer holds it for longer than waitMs, or when it cannot be
    // made (a link in place of the bin folder, no permission).
    ConfigurationLock(const QString &projectFolder, Purpose purpose, int waitMs = DefaultWaitMs);
    ~ConfigurationLock();
    ConfigurationLock(const ConfigurationLock &) = delete;
    ConfigurationLock &operator=(const ConfigurationLock &) = delete;

private:
    std::unique_ptr<QLockFile> m_lock;
};
