#include "PortNames.h"

#include <algorithm>

namespace {

// Compares runs of digits by value and everything else by character, case-insensitively first
// so that the order does not depend on how a driver spells its device names.
int naturalCompare(const QString &a, const QString &b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            int ie = i;
            int je = j;
            while (ie < a.size() && a.at(ie).isDigit())
                ++ie;
            while (je < b.size() && b.at(je).isDigit())
                ++je;
            // Leading zeros do not count for the value.
            int is = i;
            int js = j;
            while (is < ie - 1 && a.at(is) == QLatin1Char('0'))
                ++is;
            while (js < je - 1 && b.at(js) == QLatin1Char('0'))
                ++js;
            if (ie - is != je - js)
                return (ie - is) < (je - js) ? -1 : 1;
            for (int k = 0; k < ie - is; ++k) {
                if (a.at(is + k) != b.at(js + k))
                    return a.at(is + k) < b.at(js + k) ? -1 : 1;
            }
            i = ie;
            j = je;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded();
        const QChar cb = b.at(j).toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return QString::compare(a, b); // same up to case and zeros: any fixed order
}

} // namespace

QStringList sortPortNames(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return naturalCompare(a, b) < 0; });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}
