#pragma once

#include <QString>

class HttpClient;

// Where the maker's version service answers; tests point it at a local server.
struct VersionService
{
    QString host;
    quint16 port = 80;
};

namespace VersionCheck {
// The service is given up on after this long; the windows take no input meanwhile.
constexpr int TimeoutMs = 10000;
// A longer reply is not a version text.
constexpr qint64 MaxReplyBytes = 64 * 1024;
// Request headers the service expects besides Host.
inline const QByteArray AcceptHeader = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
inline const QByteArray UserAgentHeader = "Mozilla/3.0 (compatible; Indy Library)";
} // namespace VersionCheck

// "2.004" gives 2004, "VER. 2.005" gives 2005; a text that does not convert gives -1. The version is
// one digit, a point and three digits; the 1st, 3rd, 4th and 5th characters make the number.
int Conv_Version(const QString &version);
// Asks the service; true exactly when it knows a newer version than this program's. Every failure
// (no connection, error status, redirection, time-out, a reply that is no version) gives false.
bool Check_Version(HttpClient &http, const VersionService &service);
// The decision on a reply body, without the request.
bool isNewerVersionReply(const QByteArray &body);
