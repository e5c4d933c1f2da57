#pragma once

#include <QString>
#include <QStringView>

// Converts a whole text to a signed 32-bit integer, or gives the fallback.
// Accepted: leading blanks, an optional sign, then decimal digits or hexadecimal digits after
// "$", "x", "X", "0x" or "0X". Nothing may follow the digits. A decimal value must fit a signed
// 32-bit integer; a hexadecimal one may use all 32 bits and is read as two's complement.
int ParseIntOrDefault(QStringView text, int fallback);

// The same rule, telling whether the text converted at all.
bool tryParseInt(QStringView text, int *value);
