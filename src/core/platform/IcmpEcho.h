#pragma once

#include <QByteArray>
#include <QString>

// One IPv4 ICMP echo request.
class IcmpEcho
{
public:
    struct Reply
    {
        bool sent = false;     // false: the address could not be resolved or the request not sent
        int bytesReceived = 0; // 0 when no reply came within the time-out
        QString error;         // why it was not sent
    };
    virtual ~IcmpEcho() = default;
    virtual Reply echo(const QString &host, const QByteArray &data, int timeoutMs) = 0;
};
