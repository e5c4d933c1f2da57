#pragma once

#include <QByteArray>
#include <QString>

// Turns a document's bytes into text before any check or parser sees it, so that both readers and the
// markup scan work on characters, whatever encoding the file was saved in. Read are UTF-8, UTF-16 and
// UTF-32, with or without a byte-order mark, and ISO-8859-1 or Windows-1252 when the XML declaration
// names them. Any other declared encoding is refused by name: the parser would otherwise decode it
// itself (UTF-7 hides every "=" from the attribute bound).
namespace XmlEncoding {

// The document's text, without its byte-order mark. Throws AppError, naming the file, for an encoding
// this program does not read, a declaration that contradicts the byte-order mark or the byte pattern,
// and bytes that are not valid in the encoding.
QString decode(const QByteArray &bytes, const QString &fileNameForMessages);

} // namespace XmlEncoding
