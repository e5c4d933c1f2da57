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
// UTF-32 holds code points up to U+10FFFF and no surrogate; UTF-16 no half of a surrogate pair.
std::optional<QString> decodeStrict(const QByteArray &bytes, QStringConverter::Encoding encoding);

// For text read a piece at a time (a large document, never held a second time in another form): where the
// piece that starts at `from` and is about `size` bytes long ends, so that no character of a valid text is
// cut (UTF-8 sequences, UTF-16 surrogate pairs, UTF-32 units). A piece holds at least one character, or
// the rest of the bytes; `from` is at a character's start, after any byte-order mark.
qsizetype pieceEnd(QByteArrayView bytes, qsizetype from, qsizetype size, QStringConverter::Encoding encoding);

// Decodes one such piece as decodeStrict does, with nothing dropped: a byte-order mark in it is a character.
// ISO-8859-1 (Latin1) is read too; a piece of UTF-16 or UTF-32 whose length is no whole number of units
// is not valid.
std::optional<QString> decodePiece(QByteArrayView piece, QStringConverter::Encoding encoding);

// Windows-1252: Latin-1 except for the bytes 0x80..0x9F; the five bytes it leaves unassigned are
// read as their Latin-1 control characters.
QString decodeWindows1252(QByteArrayView bytes);

} // namespace TextEncoding
