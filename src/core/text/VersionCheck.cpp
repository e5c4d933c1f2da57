#include "VersionCheck.h"

int Conv_Version(const QString &)
{
    return -1;
}

bool Check_Version(HttpClient &, const VersionService &)
{
    return false;
}
