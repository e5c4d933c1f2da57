#include "HttpReplyReader.h"
#include "PlatformServices.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace {

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
