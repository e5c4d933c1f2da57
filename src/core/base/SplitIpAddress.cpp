#include "SplitIpAddress.h"

#include "ParseIntOrDefault.h"
#include "TextUtil.h"

namespace {

// Splits the part before the first point off rest; false when there is no point.
bool splitOff(QString &rest, QString &part)
{
    const int dot = rest.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    part = trimControl(rest.left(dot));
    rest = trimControl(rest.mid(dot + 1));
    return true;
}

bool isOctet(const QString &part)
{
    const int value = ParseIntOrDefault(part, 1000);
    return value >= 0 && value <= 255;
}

} // namespace

bool SplitIpAddress(const QString &text, QString &part1, QString &part2, QString &part3, QString &part4)
{
    QString rest = trimControl(text);
    if (!splitOff(rest, part1) || !splitOff(rest, part2) || !splitOff(rest, part3))
        return false;
    part4 = rest;
    return isOctet(part1) && isOctet(part2) && isOctet(part3) && isOctet(part4);
}
