#include "BoundedFile.h"

#include "AppError.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace BoundedFile {

namespace {

QString sizeText(qint64 bytes)
{
    if (bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot read %1: %2").arg(path, reason);
}

QString notRegular(const QString &path)
{
    return failure(path, QStringLiteral("it is not a regular file"));
}

QString tooLarge(const QString &path, qint64 maxBytes)
{
    return failure(path, QStringLiteral("it is larger than %1").arg(sizeText(maxBytes)));
}

} // namespace

#ifdef Q_OS_UNIX

// The type and size are taken from the open descriptor, so the file checked is the file read. Opening
// without blocking keeps a FIFO from waiting for a writer before it can be refused.
std::optional<QByteArray> read(const QString &path, QString *error, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = failure(path, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *error = failure(path, QString::fromLocal8Bit(std::strerror(errno)));
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = notRegular(path);
        return std::nullopt;
    }
    if (st.st_size > maxBytes) {
        *error = tooLarge(path, maxBytes);
        return std::nullopt;
    }
    // The file may grow while it is read: one byte beyond the bound shows that.
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > maxBytes) {
                *error = tooLarge(path, maxBytes);
                return std::nullopt;
            }
            bytes.resize(qsizetype(qMin(maxBytes + 1, total * 2 + 4096)));
        }
        const ssize_t n = ::read(fd, bytes.data() + total, size_t(bytes.size() - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = failure(path, QString::fromLocal8Bit(std::strerror(errno)));
            return std::nullopt;
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total > maxBytes) {
        *error = tooLarge(path, maxBytes);
        return std::nullopt;
    }
    bytes.truncate(qsizetype(total));
    return bytes;
}

#else

std::optional<QByteArray> read(const QString &path, QString *error, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        *error = notRegular(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = failure(path, file.errorString());
        return std::nullopt;
    }
    if (file.isSequential()) {
        *error = notRegular(path);
        return std::nullopt;
    }
    if (file.size() > maxBytes) {
        *error = tooLarge(path, maxBytes);
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        *error = tooLarge(path, maxBytes);
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = failure(path, file.errorString());
        return std::nullopt;
    }
    return bytes;
}

#endif

QByteArray readOrThrow(const QString &path, qint64 maxBytes)
{
    QString error;
    std::optional<QByteArray> bytes = read(path, &error, maxBytes);
    if (!bytes)
        throw AppError(error);
    return *std::move(bytes);
}

} // namespace BoundedFile
