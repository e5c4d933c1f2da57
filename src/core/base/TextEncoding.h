#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>

#include <optional>

// The character encodings this program reads text files in: UTF-8, UTF-16 and UTF-32 (either byte
// order, with or without a byte-order mark), and the two single-byte encodings a Windows editor
// saves, ISO-8859-1 and Windows-1252. Qt's converters know many more (UTF-7 among them), and a text
// in one of those would reach the parsers in a shape that no check before them has seen.
namespace TextEncoding {

// The Unicode encoding the first bytes show: a byte-order mark, or without one the zero bytes
// around a first character from ASCII ("<" stored as 00 3C, 3C 00 00 00, ...). Nothing for
// single-byte text (UTF-8 included), which the caller tells apart.
std::optional<QStringConverter::Encoding> detectUnicode(const QByteArray &bytes);

// The length of the byte-order mark of that encoding at the start of the bytes, or 0.
int bomLength(const QByteArray &bytes, QStringConverter::Encoding encoding);

// Decodes the bytes; nothing when they are not valid in that encoding (a byte-order mark is dropped).
std::optional<QString> decodeStrict(const QByteArray &bytes, QStringConverter::Encoding encoding);

// Windows-1252: Latin-1 except for the bytes 0x80..0x9F; the five bytes it leaves unassigned are
// read as their Latin-1 control characters.
QString decodeWindows1252(const QByteArray &bytes);

} // namespace TextEncoding
