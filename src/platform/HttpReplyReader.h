#pragma once

#include <QByteArray>

#include <optional>

// Collects an HTTP/1.0 reply as it arrives and tells when it is complete, failed or too long. Kept apart
// from the socket so that the parsing of what a server sends can be tested and fuzzed on bytes alone.
class ReplyReader
{
public:
    // Room for the status line and the headers of a reply; more is not a reply of the version service.
    static constexpr qint64 MaxHeaderBytes = 16 * 1024;

    explicit ReplyReader(qint64 maxBytes)
        : m_maxBytes(maxBytes)
    {}

    enum class State { Reading, Complete, Failed };

    State add(const QByteArray &bytes);
    // The server closed the connection: the end of the body unless a length said otherwise.
    std::optional<QByteArray> finish() const;

private:
    bool findHeaderEnd();

    qint64 m_maxBytes;
    QByteArray m_data;
    qint64 m_headerEnd = -1;
    qint64 m_contentLength = -1;
    bool m_statusOk = false;
};
