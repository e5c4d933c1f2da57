#pragma once

#include <QString>

class HttpClient;

// Where the maker's version service answers; tests point it at a local server.
struct VersionService
{
    QString host;
    quint16 port = 80;
};

// "2.004" gives 2004; a text that does not convert gives -1.
int Conv_Version(const QString &version);
// Asks the service; true exactly when it knows a newer version than this program's.
bool Check_Version(HttpClient &http, const VersionService &service);
