#pragma once

#include "XmlEncoding.h"
#include "XmlMarkupScan.h"

#include <QXmlStreamReader>

// How both readers (XmlTree, ProjectDocument) take a document in: its bytes are decoded (XmlEncoding) and
// scanned (XmlMarkupScan) a piece at a time, each piece before the parser sees it, and handed to the parser
// as it asks for more. No copy of the whole document is made in another encoding; the parser keeps to the
// decoded text and ignores the declaration's encoding.
class XmlInput
{
public:
    // Large enough that the documents the editors write go in one or a few pieces.
    static constexpr qsizetype DefaultPieceBytes = 64 * 1024;

    // Throws AppError, naming the file, for what XmlEncoding refuses and for what the first piece shows. The
    // bytes must outlive the object.
    XmlInput(const QByteArray &bytes, const QString &fileNameForMessages, qsizetype pieceBytes = DefaultPieceBytes);

    QXmlStreamReader &reader() { return m_reader; }
    bool atEnd() const { return m_reader.atEnd(); }
    // The reader's next token, with more of the document handed over when the parser has read all it was
    // given. Throws AppError when a piece is not valid text or holds a tag with too many attributes.
    QXmlStreamReader::TokenType readNext();

private:
    void feed(qsizetype bytes);

    XmlEncoding::Pieces m_pieces;
    XmlMarkupScan::Scanner m_scanner;
    QXmlStreamReader m_reader;
    QString m_file;
    qsizetype m_pieceBytes;
    int m_depth = 0;
};
