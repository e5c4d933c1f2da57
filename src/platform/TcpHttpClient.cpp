#include "PlatformServices.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace {

// Room for the status line and the headers of a reply; more is not a reply of the version service.
constexpr qint64 MaxHeaderBytes = 16 * 1024;

// One GET per call, on its own socket. The request is written by hand so that the request line and
// the headers are exactly these, in this order.
class TcpHttpClient : public HttpClient
{
public:
    std::optional<QByteArray> get(const QString &host, quint16 port, const QString &pathAndQuery,
                                  const Headers &headers, int timeoutMs, qint64 maxBytes) override;
};

QByteArray buildRequest(const QString &host, quint16 port, const QString &pathAndQuery,
                        const HttpClient::Headers &headers)
{
    QByteArray request = "GET " + pathAndQuery.toLatin1() + " HTTP/1.0\r\n";
    request += "Host: " + host.toLatin1();
    if (port != 80)
        request += ':' + QByteArray::number(port);
    request += "\r\n";
    for (const auto &header : headers)
        request += header.first + ": " + header.second + "\r\n";
    request += "\r\n";
    return request;
}

// Collects a reply and tells when it is complete, failed or too long.
class ReplyReader
{
public:
    explicit ReplyReader(qint64 maxBytes)
        : m_maxBytes(maxBytes)
    {}

    enum class State { Reading, Complete, Failed };

    State add(const QByteArray &bytes)
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

    // The server closed the connection: the end of the body unless a length said otherwise.
    std::optional<QByteArray> finish() const
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

private:
    bool findHeaderEnd()
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

    qint64 m_maxBytes;
    QByteArray m_data;
    qint64 m_headerEnd = -1;
    qint64 m_contentLength = -1;
    bool m_statusOk = false;
};

std::optional<QByteArray> TcpHttpClient::get(const QString &host, quint16 port, const QString &pathAndQuery,
                                             const Headers &headers, int timeoutMs, qint64 maxBytes)
{
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    ReplyReader reader(maxBytes);
    bool finished = false;
    std::optional<QByteArray> result;

    auto finish = [&](std::optional<QByteArray> body) {
        if (finished)
            return;
        finished = true;
        result = std::move(body);
        loop.quit();
    };
    auto readAvailable = [&] {
        switch (reader.add(socket.readAll())) {
        case ReplyReader::State::Reading:
            break;
        case ReplyReader::State::Complete:
            finish(reader.finish());
            break;
        case ReplyReader::State::Failed:
            finish(std::nullopt);
            break;
        }
    };

    QObject::connect(&socket, &QTcpSocket::connected, &loop,
                     [&] { socket.write(buildRequest(host, port, pathAndQuery, headers)); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, readAvailable);
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, [&] {
        readAvailable();
        finish(reader.finish());
    });
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, [&](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError) {
            readAvailable();
            finish(reader.finish());
        } else {
            finish(std::nullopt);
        }
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] { finish(std::nullopt); });

    timer.start(timeoutMs);
    socket.connectToHost(host, port);
    // Timers and repaints go on; keys and clicks wait until the check is over.
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    socket.disconnect();
    socket.abort();
    return result;
}

} // namespace

std::unique_ptr<HttpClient> createHttpClient()
{
    return std::make_unique<TcpHttpClient>();
}
