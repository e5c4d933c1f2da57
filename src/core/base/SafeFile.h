#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;
class QIODevice;

// Every file this program writes goes through here: a file is replaced whole or not at all, never
// written through a symbolic link, and a failure carries the platform's reason ("No space left on
// device"), never Qt's "Unknown error". The new content goes to a temporary file beside the target
// (".NAME.sw40917-PID.tmp": hidden, a name no user gives a file), is flushed to disk, then renamed over
// the target, keeping the target's mode (permission and special bits) and, where the writer may, its
// owner and group; access control lists are not kept. A file whose owner may not write it is not replaced.
namespace SafeFile {

// The steps that touch the disk, each returning the platform's error text or an empty text.
// Tests replace single steps to fail at a chosen point of a chosen file.
class Steps
{
public:
    virtual ~Steps() = default;
    virtual QString write(QFileDevice &file, const QByteArray &bytes); // all bytes, then flush
    virtual QString sync(QFileDevice &file);                           // to the disk, not just the cache
    virtual QString replace(const QString &from, const QString &to);   // rename over an existing file
    static Steps &real();
};

// Writes all bytes to the device (short writes are retried) and flushes it; returns the reason of
// a failure or an empty text.
QString writeAll(QIODevice &device, const QByteArray &bytes);
// The reason of the last failure on the device: its own text when it has one that says something,
// else the platform's text for errno.
QString failureReason(const QIODevice &device);

// The name of the temporary file that a write of target uses in this process.
QString temporaryPath(const QString &target);
// Removes what writers of target that no longer run left beside it (their temporary files and the
// copies kept for putting a file back), and nothing else: a running writer's files stay, and so does
// every file of a name this program does not make (the user's "NAME.old").
void removeDeadWritersFiles(const QString &target);
// Throws AppError naming the path when it is a file its owner may not write.
void refuseReadOnly(const QString &path);
// Throws AppError naming the path when it is a symbolic link (also a dangling one).
void refuseLink(const QString &path);

// Replaces the file whole. Throws AppError naming the file; then the old file is as it was and no
// temporary file is left.
void write(const QString &path, const QByteArray &bytes, Steps &steps = Steps::real());

// Replaces two files that belong together (the device images): both are written and flushed before
// either old file is touched; if the second cannot be replaced, the first is put back, so a failure
// leaves both old files as they were. Throws AppError naming the file that failed.
void writePair(const QString &first, const QByteArray &firstBytes, const QString &second, const QByteArray &secondBytes,
               Steps &steps = Steps::real());
// Removes what a failed writePair of these files in this process can leave behind (its temporary
// files and the copy kept for putting the first file back).
void removeLeftovers(const QString &first, const QString &second);
// Removes the same files of every writer of the pair that no longer runs; writePair does this first.
void removeDeadWritersLeftovers(const QString &first, const QString &second);

} // namespace SafeFile
