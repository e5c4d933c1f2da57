#include "PlatformServices.h"

#include <QNetworkProxy>
#include <QTcpSocket>

namespace {

// The Modbus connection on a plain TCP socket. The socket is made anew for each opening, so that
// nothing of an old connection (bytes, signals) reaches the new one.
class TcpModbusTransport : public ModbusTransport
{
public:
    void open(const QString &host, quint16 port) override
    {
        close();
        m_socket = new QTcpSocket(this);
        m_socket->setProxy(QNetworkProxy::NoProxy);
        QTcpSocket *socket = m_socket;
        connect(socket, &QTcpSocket::connected, this, [this, socket] {
            // Small requests one at a time: no waiting to fill a segment.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            m_open = true;
            Q_EMIT opened();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            const QByteArray bytes = socket->readAll();
            if (!bytes.isEmpty())
                Q_EMIT received(bytes);
        });
        connect(socket, &QTcpSocket::errorOccurred, this,
                [this, socket](QAbstractSocket::SocketError error) { reportFailure(socket, error); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { reportFailure(socket, QAbstractSocket::RemoteHostClosedError); });
        m_open = false;
        // From the event loop: a failure found at once (a malformed host name) then reaches the caller
        // after open() has returned, like any other.
        QMetaObject::invokeMethod(
            socket, [socket, host, port] { socket->connectToHost(host, port); }, Qt::QueuedConnection);
    }

    void send(const QByteArray &bytes) override
    {
        if (m_socket && m_open)
            m_socket->write(bytes);
    }

    void close() override
    {
        if (!m_socket)
            return;
        QTcpSocket *socket = m_socket;
        m_socket = nullptr;
        m_open = false;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }

private:
    void reportFailure(QTcpSocket *socket, QAbstractSocket::SocketError error)
    {
        if (socket != m_socket)
            return;
        const bool wasOpen = m_open;
        const QString detail = socket->errorString();
        close();
        Failure failure = Failure::Other;
        if (wasOpen)
            failure = Failure::Lost;
        else if (error == QAbstractSocket::ConnectionRefusedError)
            failure = Failure::Refused;
        else if (error == QAbstractSocket::RemoteHostClosedError)
            failure = Failure::Lost;
        Q_EMIT failed(failure, detail);
    }

    QTcpSocket *m_socket = nullptr;
    bool m_open = false;
};

class TcpModbusTransportFactory : public ModbusTransportFactory
{
public:
    std::unique_ptr<ModbusTransport> create() override { return std::make_unique<TcpModbusTransport>(); }
};

} // namespace

std::unique_ptr<ModbusTransportFactory> createModbusTransportFactory()
{
    return std::make_unique<TcpModbusTransportFactory>();
}
