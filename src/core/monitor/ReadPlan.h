#pragma once

#include <QVector>

// One read request: a run of registers from start.
struct ReadRange
{
    int start = 0;
    int count = 0;

    int last() const { return start + count - 1; }
    bool contains(int address) const { return address >= start && address <= last(); }
    bool operator==(const ReadRange &o) const { return start == o.start && count == o.count; }
};

// Which requests read a set of registers: as few as possible, each at most maxCount registers long
// and never past register 65535. A gap of at most maxGap unwanted registers is read across when that
// saves a request; of two plans with as many requests the one that reads fewer registers wins.
namespace ReadPlan {

constexpr int DefaultMaxGap = 16;

// Addresses in any order, repeats allowed; those outside 0..65535 are left out. Ranges rise.
QVector<ReadRange> plan(QVector<int> addresses, int maxCount = 125, int maxGap = DefaultMaxGap);

} // namespace ReadPlan
