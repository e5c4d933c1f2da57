#include "ConfigurationLock.h"

#include "AppError.h"
#include "SafeFile.h"
#include "WorkspacePaths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>

#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr qintptr NoHandle = -1;

enum class Attempt { Taken, Held, Failed };

// The few calls that differ between the systems; each failure leaves its reason in `reason`.
#ifdef Q_OS_WIN
HANDLE nativeHandle(qintptr handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

qintptr openLockFile(const QString &path, QString &reason)
{
    const QString native = QDir::toNativeSeparators(path);
    // A reparse point is opened as itself, never followed.
    const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = qt_error_string(int(::GetLastError()));
        return NoHandle;
    }
    return reinterpret_cast<qintptr>(handle);
}

// One byte far past the text is locked: Windows' locks are mandatory, and the text must stay readable.
OVERLAPPED lockedRange()
{
    OVERLAPPED range = {};
    range.OffsetHigh = 1;
    return range;
}

Attempt tryLock(qintptr handle, QString &reason)
{
    OVERLAPPED range = lockedRange();
    if (::LockFileEx(nativeHandle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range))
        return Attempt::Taken;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
        return Attempt::Held;
    reason = qt_error_string(int(error));
    return Attempt::Failed;
}

void replaceText(qintptr handle, const QByteArray &text)
{
    DWORD written = 0;
    ::SetFilePointer(nativeHandle(handle), 0, nullptr, FILE_BEGIN);
    ::SetEndOfFile(nativeHandle(handle));
    ::WriteFile(nativeHandle(handle), text.constData(), DWORD(text.size()), &written, nullptr);
}

void closeLockFile(qintptr handle)
{
    OVERLAPPED range = lockedRange();
    ::UnlockFileEx(nativeHandle(handle), 0, 1, 0, &range);
    ::CloseHandle(nativeHandle(handle));
}
#else
qintptr openLockFile(const QString &path, QString &reason)
{
    // Never through a link, and never waiting on something that is no regular file.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = errno == ELOOP ? QStringLiteral("it is a symbolic link") : qt_error_string(errno);
        return NoHandle;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = QStringLiteral("it is not a regular file");
        ::close(fd);
        return NoHandle;
    }
    return fd;
}

// flock, not fcntl: a POSIX record lock would be dropped when this process closes any other descriptor
// of the file (reading the holder's text, a second lock of the same configuration).
Attempt tryLock(qintptr handle, QString &reason)
{
    while (::flock(int(handle), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            return Attempt::Held;
        if (errno != EINTR) {
            reason = qt_error_string(errno);
            return Attempt::Failed;
        }
    }
    return Attempt::Taken;
}

void replaceText(qintptr handle, const QByteArray &text)
{
    // For people only: a failure here changes nothing about who holds the lock.
    if (::ftruncate(int(handle), 0) == 0 && ::pwrite(int(handle), text.constData(), size_t(text.size()), 0) < 0)
        return;
}

void closeLockFile(qintptr handle)
{
    ::close(int(handle)); // the system lets go of the lock with the last descriptor
}
#endif

QString cannotLock(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot lock %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// "process 1234, SW40917-cli" from the holder's text, or nothing when the text says nothing usable (the
// holder has not written it yet, or someone edited it).
QString holderOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QList<QByteArray> lines = file.read(512).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&ok);
    if (!ok || pid <= 0)
        return QString();
    QString holder = QStringLiteral("process %1").arg(pid);
    const QString program = QString::fromUtf8(lines.value(1).trimmed()).left(100);
    if (!program.isEmpty() && program.at(0).isPrint())
        holder += QStringLiteral(", ") + program;
    return holder;
}

} // namespace

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
    // A folder left in the lock's place (by hand, by an unpacker) holds nothing when empty; one with
    // contents is someone's, and is named rather than touched.
    if (QFileInfo(path).isDir() && !QDir(binFolder).rmdir(fileName()))
        throw AppError(cannotLock(path, QStringLiteral("a folder is in its place")));

    QString reason;
    m_handle = openLockFile(path, reason);
    if (m_handle == NoHandle)
        throw AppError(cannotLock(path, reason));
    const QDeadlineTimer deadline(qMax(waitMs, 0));
    Attempt attempt = tryLock(m_handle, reason);
    while (attempt == Attempt::Held && !deadline.hasExpired()) {
        QThread::msleep(static_cast<unsigned long>(qBound(qint64(1), deadline.remainingTime(), qint64(50))));
        attempt = tryLock(m_handle, reason);
    }
    if (attempt == Attempt::Taken) {
        replaceText(m_handle, QStringLiteral("%1\n%2\n%3\n")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                                       QSysInfo::machineHostName())
                                  .toUtf8());
        return;
    }
    closeLockFile(m_handle);
    m_handle = NoHandle;
    if (attempt == Attempt::Failed)
        throw AppError(cannotLock(path, reason));
    const QString holder = holderOf(path);
    const QString running =
        holder.isEmpty() ? QStringLiteral("is running") : QStringLiteral("is running (%1)").arg(holder);
    throw AppError(QStringLiteral("%1: %2").arg(
        QDir::toNativeSeparators(projectFolder),
        purpose == Compile
            ? QStringLiteral("another compile of this configuration %1; nothing was written").arg(running)
            : QStringLiteral("another compile or change of this configuration's register map %1; "
                             "nothing was written")
                  .arg(running)));
}

ConfigurationLock::~ConfigurationLock()
{
    if (m_handle == NoHandle)
        return;
    // The text names a holder only while there is one.
    replaceText(m_handle, QByteArray());
    closeLockFile(m_handle);
}
