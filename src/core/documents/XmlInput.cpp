#include "XmlInput.h"

#include "base/AppError.h"

#include <algorithm>
#include <limits>

XmlInput::XmlInput(const QByteArray &bytes, const QString &fileNameForMessages, qsizetype pieceBytes)
    : m_pieces(bytes, fileNameForMessages)
    , m_file(fileNameForMessages)
    , m_pieceBytes(std::max<qsizetype>(pieceBytes, 1))
{
    // On, so that an undeclared prefix is an error; the declarations are then no attributes.
    m_reader.setNamespaceProcessing(true);
    // Text given as text locks the parser to it: a declared encoding no longer changes how it reads, and
    // what it is given as bytes is read as UTF-8.
    m_reader.addData(QString());
    feed(m_pieceBytes);
}

void XmlInput::feed(qsizetype bytes)
{
    const bool more = !m_pieces.atEnd();
    const QString piece = more ? m_pieces.next(bytes) : QString();
    const XmlMarkupScan::Finding finding = m_scanner.feed(piece, m_pieces.atEnd());
    // In the parser's form, as its own errors are reported.
    if (!finding.reason.isEmpty())
        throw AppError(QStringLiteral("%1: line %2, column %3: %4")
                           .arg(m_file)
                           .arg(finding.line)
                           .arg(finding.column)
                           .arg(finding.reason));
    // A UTF-8 document's checked piece goes to the parser as its own bytes, which are the piece's text in
    // UTF-8 (the parser would otherwise encode the text into UTF-8 again); other encodings go as the text.
    if (!more)
        return;
    if (m_pieces.isUtf8()) {
        const QByteArrayView raw = m_pieces.lastBytes();
        m_reader.addData(QByteArray::fromRawData(raw.data(), raw.size()));
    } else {
        m_reader.addData(piece);
    }
}

QXmlStreamReader::TokenType XmlInput::readNext()
{
    for (;;) {
        const QXmlStreamReader::TokenType token = m_reader.readNext();
        if (token == QXmlStreamReader::Invalid && m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError &&
            !m_pieces.atEnd()) {
            feed(m_pieceBytes);
            continue;
        }
        if (token == QXmlStreamReader::StartElement)
            ++m_depth;
        // Once the root element is closed, the parser takes the end of what it was given for the end of
        // the document: whatever follows the root (the version comment, or content that makes the document
        // not well-formed) is handed over whole.
        if (token == QXmlStreamReader::EndElement && --m_depth == 0 && !m_pieces.atEnd())
            feed(std::numeric_limits<qsizetype>::max());
        return token;
    }
}
