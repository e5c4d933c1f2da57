#include "HttpReplyReader.h"

#include <QList>

ReplyReader::State ReplyReader::add(const QByteArray &bytes)
{
    m_data += bytes;
    if (m_headerEnd < 0 && !findHeaderEnd())
        return m_data.size() > MaxHeaderBytes ? State::Failed : State::Reading;
    if (!m_statusOk)
        return State::Failed;
    const qint64 bodySize = m_data.size() - m_headerEnd;
    if (bodySize > m_maxBytes)
        return State::Failed;
    if (m_contentLength >= 0 && bodySize >= m_contentLength)
        return State::Complete;
    return State::Reading;
}

std::optional<QByteArray> ReplyReader::finish() const
{
    if (m_headerEnd < 0 || !m_statusOk)
        return std::nullopt;
    QByteArray body = m_data.mid(m_headerEnd);
    if (body.size() > m_maxBytes)
        return std::nullopt;
    if (m_contentLength >= 0) {
        if (body.size() < m_contentLength)
            return std::nullopt; // cut short
        body.truncate(m_contentLength);
    }
    return body;
}

bool ReplyReader::findHeaderEnd()
{
    int end = m_data.indexOf("\r\n\r\n");
    int separator = 4;
    const int lfOnly = m_data.indexOf("\n\n");
    if (lfOnly >= 0 && (end < 0 || lfOnly < end)) {
        end = lfOnly;
        separator = 2;
    }
    if (end < 0)
        return false;
    m_headerEnd = end + separator;
    const QList<QByteArray> lines = m_data.left(end).split('\n');
    // "HTTP/1.x 200 OK": only a success status carries a version; redirections are not followed.
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    bool ok = false;
    const int code = status.size() >= 2 ? status.at(1).toInt(&ok) : 0;
    m_statusOk = status.first().startsWith("HTTP/") && ok && code >= 200 && code <= 299;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length") {
            bool lengthOk = false;
            const qint64 length = value.toLongLong(&lengthOk);
            if (lengthOk && length >= 0)
                m_contentLength = length;
        } else if (name == "transfer-encoding" && value.toLower() != "identity") {
            m_statusOk = false; // an HTTP/1.0 reply is never chunked
        }
    }
    return true;
}
