#pragma once

// Shared by the fuzz targets: the input as bytes, and a scratch folder that lives as long as the process.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// In memory where the system has such a folder: each run rewrites its files, and on a disk file system the
// rewrite of a truncated file starts a write-back every time.
inline const QString &scratchFolder()
{
    static QTemporaryDir dir(
        (QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
        QStringLiteral("/sw40917-fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    static const QString path = dir.path();
    return path;
}

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        std::abort();
}

} // namespace FuzzSupport
