#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The one way this program reads a file that may come from someone else (documents, Fabricor.xml,
// language files, images): only a regular file (a link to one is followed) and only up to a fixed size,
// so that a link to /dev/zero, a FIFO or a huge file ends in a message instead of an endless wait or an
// exhausted memory.
namespace BoundedFile {

// Far above any legal document (the largest register map is well under 1 MiB).
constexpr qint64 MaxBytes = qint64(64) * 1024 * 1024;

// The whole content, or nothing with *error set to a sentence naming the file and the reason.
std::optional<QByteArray> read(const QString &path, QString *error, qint64 maxBytes = MaxBytes);

// As read(), but throws AppError with that sentence.
QByteArray readOrThrow(const QString &path, qint64 maxBytes = MaxBytes);

} // namespace BoundedFile
