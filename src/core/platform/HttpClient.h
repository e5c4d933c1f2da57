#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// An HTTP/1.0 GET: the body, or nothing on any failure (no connection, error status, redirect,
// time-out, a body longer than maxBytes). The request carries the request line, "Host" and the
// given headers, in that order, and nothing else. While it waits the windows repaint but take no
// user input.
class HttpClient
{
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    virtual ~HttpClient() = default;
    virtual std::optional<QByteArray> get(const QString &host, quint16 port, const QString &pathAndQuery,
                                          const Headers &headers, int timeoutMs, qint64 maxBytes) = 0;
};
