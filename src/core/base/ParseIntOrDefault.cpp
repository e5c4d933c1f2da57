#include "ParseIntOrDefault.h"

#include <cstdint>

bool tryParseInt(QStringView text, int *value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
               (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false;

    uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const ushort c = text.at(i).unicode();
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + uint64_t(digit);
        if (magnitude > (hex ? 0xFFFFFFFFull : 0x80000000ull))
            return false;
    }

    int64_t result;
    if (hex) {
        // All 32 bits, two's complement: $FFFFFFFF is -1.
        result = int64_t(int32_t(uint32_t(magnitude)));
        if (negative)
            result = int64_t(int32_t(0u - uint32_t(magnitude)));
    } else {
        result = negative ? -int64_t(magnitude) : int64_t(magnitude);
        if (result > INT32_MAX || result < INT32_MIN)
            return false;
    }
    *value = int(result);
    return true;
}

int ParseIntOrDefault(QStringView text, int fallback)
{
    int value;
    return tryParseInt(text, &value) ? value : fallback;
}
