#pragma once

// Devices for the monitor's tests, on 127.0.0.1 at a free port: Qt Serial Bus's Modbus TCP server
// filled with known values (an implementation that is not the program's own), and a scripted device
// that answers each request as a test says, late, wrongly or not at all.
#include <QHostAddress>
#include <QModbusTcpServer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace ModbusStandIn {

// The value the stand-in holds in each register: holding and input registers differ.
inline quint16 holdingValue(int address)
{
    return quint16((quint32(address) * 40503u + 17u) & 0xFFFFu);
}
inline quint16 inputValue(int address)
{
    return quint16(holdingValue(address) ^ 0x5A5A);
}

inline quint16 freePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

// Holding and input registers over the given addresses (all 65536 by default).
class Server
{
public:
    explicit Server(int first = 0, int count = 65536)
        : m_first(first)
        , m_count(count)
    {}

    bool start(quint16 port = 0)
    {
        m_port = port ? port : freePort();
        m_server = std::make_unique<QModbusTcpServer>();
        QList<quint16> holding, input;
        for (int a = m_first; a < m_first + m_count; ++a) {
            holding.append(holdingValue(a));
            input.append(inputValue(a));
        }
        QModbusDataUnitMap map;
        map.insert(QModbusDataUnit::HoldingRegisters, QModbusDataUnit(QModbusDataUnit::HoldingRegisters, m_first, holding));
        map.insert(QModbusDataUnit::InputRegisters, QModbusDataUnit(QModbusDataUnit::InputRegisters, m_first, input));
        m_server->setMap(map);
        m_server->setServerAddress(1);
        m_server->setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
        m_server->setConnectionParameter(QModbusDevice::NetworkPortParameter, m_port);
        return m_server->connectDevice();
    }
    void stop() { m_server.reset(); }
    quint16 port() const { return m_port; }
    QModbusTcpServer *device() const { return m_server.get(); }

private:
    int m_first;
    int m_count;
    quint16 m_port = 0;
    std::unique_ptr<QModbusTcpServer> m_server;
};

// Gets each request (12 bytes) whole and answers with what answer() gives: nothing for silence.
// Counts the requests and the most that were ever waiting for an answer at once.
class Scripted : public QObject
{
public:
    std::function<QByteArray(const QByteArray &request)> answer;
    int delayMs = 0;
    int requests = 0;
    int mostWaiting = 0;
    int disconnects = 0;
    QByteArray lastRequest;

    bool start()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                m_sockets.append(socket);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
                connect(socket, &QTcpSocket::disconnected, this, [this] { ++disconnects; });
            }
        });
        return m_server.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return m_server.serverPort(); }
    int connections() const { return int(m_sockets.size()); }
    // The connection accepted last.
    QTcpSocket *socket() const { return m_sockets.isEmpty() ? nullptr : m_sockets.last().data(); }

private:
    void read(QTcpSocket *socket)
    {
        m_pending += socket->readAll();
        while (m_pending.size() >= 12) {
            const QByteArray request = m_pending.left(12);
            m_pending.remove(0, 12);
            lastRequest = request;
            ++requests;
            ++m_waiting;
            mostWaiting = std::max(mostWaiting, m_waiting);
            const QByteArray reply = answer ? answer(request) : QByteArray();
            if (reply.isEmpty())
                continue;
            QPointer<QTcpSocket> target(socket);
            QTimer::singleShot(delayMs, this, [this, target, reply] {
                --m_waiting;
                if (target)
                    target->write(reply);
            });
        }
    }

    QTcpServer m_server;
    QList<QPointer<QTcpSocket>> m_sockets;
    QByteArray m_pending;
    int m_waiting = 0;
};

// A listener on 127.0.0.1 that takes no connection: it never accepts, and its queue of connections
// waiting to be accepted is full, so the system drops any further connection request, as a device
// behind a firewall that drops them does. A connection to port() never opens (nor fails) by itself.
class Unaccepting
{
public:
    bool start()
    {
        m_server.setListenBacklogSize(0);
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            return false;
        m_server.pauseAccepting();
        // Fill the queue until a connection no longer opens; a few suffice on any system.
        for (int i = 0; i < 16; ++i) {
            auto *socket = new QTcpSocket(&m_server);
            socket->connectToHost(QHostAddress::LocalHost, m_server.serverPort());
            if (!socket->waitForConnected(300)) {
                socket->abort();
                delete socket;
                return true;
            }
        }
        return false;
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
};

// The right answer to a read request, from the request's own bytes, with the stand-in's values.
inline QByteArray rightAnswer(const QByteArray &request)
{
    const quint8 function = quint8(request.at(7));
    const int start = (quint8(request.at(8)) << 8) | quint8(request.at(9));
    const int count = (quint8(request.at(10)) << 8) | quint8(request.at(11));
    QByteArray frame = request.left(4);
    const int length = 3 + 2 * count;
    frame += char(length >> 8);
    frame += char(length & 0xFF);
    frame += request.at(6);
    frame += char(function);
    frame += char(2 * count);
    for (int a = start; a < start + count; ++a) {
        const quint16 v = function == 4 ? inputValue(a) : holdingValue(a);
        frame += char(v >> 8);
        frame += char(v & 0xFF);
    }
    return frame;
}

} // namespace ModbusStandIn
