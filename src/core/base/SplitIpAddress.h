#pragma once

#include <QString>

// Splits a dotted IPv4 text into its four parts. True exactly when each part is an integer from
// 0 to 255. Blanks around the points are accepted; parts split off before a false return keep
// their new values.
bool SplitIpAddress(const QString &text, QString &part1, QString &part2, QString &part3, QString &part4);
