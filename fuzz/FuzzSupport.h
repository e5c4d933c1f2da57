#pragma once

// Shared by the fuzz targets: the input as bytes, and a scratch folder that lives as long as the process.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace FuzzSupport {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

inline const QString &scratchFolder()
{
    static QTemporaryDir dir;
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
