#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringConverter>

// Turns a document's bytes into text before any check or parser sees it, so that both readers and the
// markup scan work on characters, whatever encoding the file was saved in. Read are UTF-8, UTF-16 and
// UTF-32, with or without a byte-order mark, and ISO-8859-1 or Windows-1252 when the XML declaration
// names them. Any other declared encoding is refused by name: the parser would otherwise decode it
// itself (UTF-7 hides every "=" from the attribute bound).
namespace XmlEncoding {

// The document's text a piece at a time, so that a large document is never held a second time in
// another form: each piece is checked and handed on before the next is decoded.
class Pieces
{
public:
    // Throws AppError, naming the file, for an encoding this program does not read and a declaration that
    // contradicts the byte-order mark or the byte pattern. The bytes must outlive the object.
    Pieces(const QByteArray &bytes, const QString &fileNameForMessages);

    bool atEnd() const { return m_next >= m_bytes.size(); }
    // The next piece of about `size` bytes (characters are never cut), without the byte-order mark.
    // Throws AppError, naming the file, when its bytes are not valid in the encoding.
    QString next(qsizetype size);
    // The bytes the last piece was decoded from.
    QByteArrayView lastBytes() const { return QByteArrayView(m_bytes).sliced(m_last, m_next - m_last); }
    // True when the text is UTF-8: its bytes are then the very bytes of its text in UTF-8.
    bool isUtf8() const { return m_kind == Kind::Converter && m_encoding == QStringConverter::Utf8; }

private:
    enum class Kind { Converter, Windows1252 };
    const QByteArray &m_bytes;
    QString m_file;
    Kind m_kind = Kind::Converter;
    QStringConverter::Encoding m_encoding = QStringConverter::Utf8;
    qsizetype m_next = 0;
    qsizetype m_last = 0; // where the last piece starts
};

} // namespace XmlEncoding
