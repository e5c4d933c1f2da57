#include "SafeFile.h"

#include "base/AppError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace SafeFile {

namespace {

QString cannotWrite(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

// The names of this writer's files beside a target: hidden, marked with the program and the writer's
// process number, so that two processes writing the same file never take or remove each other's, and
// no name a user gives a backup ("DefReg.xml.old", "bank.bin.20240101.old") is ever taken for one.
QString writerName(const QString &target, const char *ending)
{
    const qsizetype slash = QDir::fromNativeSeparators(target).lastIndexOf(QLatin1Char('/'));
    return QStringLiteral("%1.%2.sw40917-%3.%4")
        .arg(target.left(slash + 1), target.mid(slash + 1))
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(ending));
}

QString backupPath(const QString &target)
{
    return writerName(target, "old");
}

bool processRunning(qint64 pid)
{
    if (pid == QCoreApplication::applicationPid())
        return false; // this writer's own leftovers: it writes one file at a time
#ifdef Q_OS_WIN
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (process == nullptr)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
#else
    if (pid <= 0 || pid != qint64(pid_t(pid)))
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

// Removes a file or link of that name; a folder in its place stays and makes the next step fail.
void removeIfThere(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink())
        QFile::remove(path);
}

// The new file takes the mode of the one it replaces: permission bits, set-user-ID, set-group-ID and sticky,
// and its owner and group where this writer may give them (root may; a user may give a group of theirs).
// The owner and group go first: changing them clears the set-ID bits.
void keepModeOf(const QString &original, QFileDevice &file)
{
#ifdef Q_OS_WIN
    const QFileInfo old(original);
    if (old.isFile())
        file.setPermissions(old.permissions());
#else
    struct stat st;
    if (::stat(QFile::encodeName(original).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const int fd = file.handle();
    if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, uid_t(-1), st.st_gid) != 0) {
        // Neither: the file stays this writer's, as any file it makes.
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0)
        file.setPermissions(QFileInfo(original).permissions());
#endif
}

// Writes the bytes to a fresh temporary file, flushed and synced. The file is created new (never
// opened through a link left in its place) and takes the permissions of the file it will replace.
QString writeTemporary(const QString &temp, const QString &target, const QByteArray &bytes, Steps &steps)
{
    removeIfThere(temp);
    QFile file(temp);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failureReason(file);
    keepModeOf(target, file);
    QString error = steps.write(file, bytes);
    if (error.isEmpty())
        error = steps.sync(file);
    file.close();
    if (!error.isEmpty())
        file.remove();
    return error;
}

// Copies under a name of ours (QFile::copy would leave a temporary file of its own when killed).
QString copyFile(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return failureReason(source);
    QFile copy(to);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failureReason(copy);
    keepModeOf(from, copy);
    QString error;
    while (error.isEmpty() && !source.atEnd()) {
        const QByteArray chunk = source.read(64 * 1024);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            error = failureReason(source);
        else
            error = writeAll(copy, chunk);
    }
    if (error.isEmpty() && !copy.flush())
        error = failureReason(copy);
    return error;
}

} // namespace

QString Steps::write(QFileDevice &file, const QByteArray &bytes)
{
    QString error = writeAll(file, bytes);
    if (error.isEmpty() && !file.flush())
        error = failureReason(file);
    return error;
}

QString Steps::sync(QFileDevice &file)
{
#ifdef Q_OS_WIN
    // QFile keeps its native handle to itself; a second handle flushes the same file's buffers.
    const QString native = QDir::toNativeSeparators(file.fileName());
    const HANDLE handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return qt_error_string(int(::GetLastError()));
    const bool flushed = ::FlushFileBuffers(handle);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!flushed)
        return qt_error_string(int(error));
#else
    if (::fsync(file.handle()) != 0)
        return qt_error_string(errno);
#endif
    return QString();
}

QString Steps::replace(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    const QString nativeFrom = QDir::toNativeSeparators(from);
    const QString nativeTo = QDir::toNativeSeparators(to);
    if (!::MoveFileExW(reinterpret_cast<const wchar_t *>(nativeFrom.utf16()),
                       reinterpret_cast<const wchar_t *>(nativeTo.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return qt_error_string(int(::GetLastError()));
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        return qt_error_string(errno);
#endif
    return QString();
}

Steps &Steps::real()
{
    static Steps steps;
    return steps;
}

QString failureReason(const QIODevice &device)
{
    const int platformError = errno;
    const QString text = device.errorString();
    // Qt leaves "Unknown error" where the system call that failed set no text of its own (a
    // short write on a full disk, for one); errno still holds the reason.
    if (!text.isEmpty() && text != QLatin1String("Unknown error"))
        return text;
#ifdef Q_OS_WIN
    // errno is the C runtime's number; qt_error_string reads a number as a Windows error there (ENOSPC,
    // 28, would read "Out of paper.").
    return platformError != 0 ? QString::fromLocal8Bit(std::strerror(platformError)) : text;
#else
    return platformError != 0 ? qt_error_string(platformError) : text;
#endif
}

QString writeAll(QIODevice &device, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        // A short count is no failure yet: the next call either goes on or reports why not.
        const qint64 written = device.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return failureReason(device);
        done += written;
    }
    return QString();
}

QString temporaryPath(const QString &target)
{
    return writerName(target, "tmp");
}

// The writer's process number in a name that writerName made for the file (".<file>.sw40917-<pid>.tmp" or
// ".old"), or -1 for any other name. Read by hand: a pattern compiled for every write cost more than the
// write of a small file.
qint64 writerOf(QStringView name, QStringView prefix)
{
    if (!name.startsWith(prefix) || !(name.endsWith(u".tmp") || name.endsWith(u".old")))
        return -1;
    const QStringView digits = name.mid(prefix.size()).chopped(4);
    if (digits.isEmpty() || digits.size() > 10)
        return -1;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
    }
    return digits.toLongLong();
}

void removeDeadWritersFiles(const QString &target)
{
    const QFileInfo info(target);
    const QDir folder = info.dir();
    // Only the names writerName makes; every other file beside the target is the user's.
    const QString prefix = QStringLiteral(".%1.sw40917-").arg(info.fileName());
    const QStringList names = folder.entryList({prefix + QStringLiteral("*")},
                                               QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const qint64 writer = writerOf(name, prefix);
        if (writer >= 0 && !processRunning(writer))
            removeIfThere(folder.filePath(name));
    }
}

void refuseReadOnly(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile() && !(info.permissions() & QFileDevice::WriteOwner))
        throw AppError(cannotWrite(path, QStringLiteral("it is read-only; nothing was written")));
}

void refuseLink(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        throw AppError(cannotWrite(path, QStringLiteral("it is a symbolic link; nothing was written")));
}

void write(const QString &path, const QByteArray &bytes, Steps &steps)
{
    refuseLink(path);
    refuseReadOnly(path);
    removeDeadWritersFiles(path);
    const QString temp = temporaryPath(path);
    QString error = writeTemporary(temp, path, bytes, steps);
    if (error.isEmpty())
        error = steps.replace(temp, path);
    if (!error.isEmpty()) {
        removeIfThere(temp);
        throw AppError(cannotWrite(path, error));
    }
}

void removeLeftovers(const QString &first, const QString &second)
{
    removeIfThere(temporaryPath(first));
    removeIfThere(temporaryPath(second));
    removeIfThere(backupPath(first));
}

void removeDeadWritersLeftovers(const QString &first, const QString &second)
{
    removeDeadWritersFiles(first);
    removeDeadWritersFiles(second);
}

void writePair(const QString &first, const QByteArray &firstBytes, const QString &second, const QByteArray &secondBytes,
               Steps &steps)
{
    refuseLink(first);
    refuseLink(second);
    refuseReadOnly(first);
    refuseReadOnly(second);
    removeDeadWritersLeftovers(first, second);
    const QString firstTemp = temporaryPath(first);
    const QString secondTemp = temporaryPath(second);
    const QString backup = backupPath(first);
    const auto fail = [&](const QString &message) {
        removeLeftovers(first, second);
        throw AppError(message);
    };

    // Both new files complete and on the disk before either old file is touched.
    QString error = writeTemporary(firstTemp, first, firstBytes, steps);
    if (!error.isEmpty())
        fail(cannotWrite(first, error));
    error = writeTemporary(secondTemp, second, secondBytes, steps);
    if (!error.isEmpty())
        fail(cannotWrite(second, error));

    // A copy of the old first file, to put back if the second cannot be replaced.
    const bool hadFirst = QFileInfo(first).isFile();
    if (hadFirst) {
        error = copyFile(first, backup);
        if (!error.isEmpty())
            fail(cannotWrite(first, error));
    }

    error = steps.replace(firstTemp, first);
    if (!error.isEmpty())
        fail(cannotWrite(first, error));
    // The one window left: a kill between this rename and the next leaves the new first file beside
    // the old second one (and the copy, which the next write removes). A file system renames one name
    // at a time, and the updaters read the two files by their fixed names in one folder, so no
    // sequence of renames of two files can switch both at once; the window is two system calls wide.
    error = steps.replace(secondTemp, second);
    if (!error.isEmpty()) {
        QString undo;
        if (hadFirst)
            undo = steps.replace(backup, first);
        else if (!QFile::remove(first))
            undo = QStringLiteral("cannot remove it");
        QString message = cannotWrite(second, error);
        if (!undo.isEmpty())
            message += QStringLiteral("; %1 could not be put back: %2").arg(first, undo);
        fail(message);
    }
    removeIfThere(backup);
}

} // namespace SafeFile
