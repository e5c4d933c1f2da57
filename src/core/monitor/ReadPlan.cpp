#include "ReadPlan.h"

#include <algorithm>
#include <limits>

namespace ReadPlan {

QVector<ReadRange> plan(QVector<int> addresses, int maxCount, int maxGap)
{
    addresses.erase(std::remove_if(addresses.begin(), addresses.end(), [](int a) { return a < 0 || a > 65535; }),
                    addresses.end());
    std::sort(addresses.begin(), addresses.end());
    addresses.erase(std::unique(addresses.begin(), addresses.end()), addresses.end());
    const int n = int(addresses.size());
    if (n == 0 || maxCount < 1)
        return {};

    // best[i]: fewest requests, then fewest registers, for the first i addresses; from[i]: where the
    // last request of that plan begins. A request can only reach back maxCount registers, so each
    // step looks at most maxCount addresses back.
    struct Cost
    {
        int requests = std::numeric_limits<int>::max();
        long long registers = 0;
        bool operator<(const Cost &o) const
        {
            return requests != o.requests ? requests < o.requests : registers < o.registers;
        }
    };
    QVector<Cost> best(n + 1);
    QVector<int> from(n + 1, 0);
    best[0] = {0, 0};
    for (int i = 1; i <= n; ++i) {
        const int last = addresses.at(i - 1);
        for (int j = i - 1; j >= 0; --j) {
            if (last - addresses.at(j) + 1 > maxCount)
                break;
            if (j < i - 1 && addresses.at(j + 1) - addresses.at(j) - 1 > maxGap)
                break;
            const Cost candidate{best.at(j).requests + 1, best.at(j).registers + (last - addresses.at(j) + 1)};
            if (candidate < best.at(i)) {
                best[i] = candidate;
                from[i] = j;
            }
        }
    }
    QVector<ReadRange> ranges;
    for (int i = n; i > 0; i = from.at(i))
        ranges.append({addresses.at(from.at(i)), addresses.at(i - 1) - addresses.at(from.at(i)) + 1});
    std::reverse(ranges.begin(), ranges.end());
    return ranges;
}

} // namespace ReadPlan
