#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// One TCP connection to a Modbus device, asynchronous: open, send bytes, get bytes as they come.
// After failed() nothing more is signalled until the next open(). close() ends the connection at
// once and signals nothing.
class ModbusTransport : public QObject
{
    Q_OBJECT
public:
    enum class Failure {
        Refused,  // nobody listens at that address and port
        Lost,     // the connection was closed or broke after it was open
        Other,    // host not found, network unreachable, time-out while connecting, ...
    };
    Q_ENUM(Failure)

    using QObject::QObject;
    ~ModbusTransport() override = default;

    virtual void open(const QString &host, quint16 port) = 0;
    virtual void send(const QByteArray &bytes) = 0;
    virtual void close() = 0;

Q_SIGNALS:
    void opened();
    void received(const QByteArray &bytes);
    // detail: the system's words for it, for the status line
    void failed(ModbusTransport::Failure failure, const QString &detail);
};

// Makes a connection for each monitor window or command; each is owned by who asked for it.
class ModbusTransportFactory
{
public:
    virtual ~ModbusTransportFactory() = default;
    virtual std::unique_ptr<ModbusTransport> create() = 0;
};
