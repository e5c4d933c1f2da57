#pragma once

#include <QDomDocument>
#include <QMap>
#include <QVector>

#include <optional>

// DefReg.xml names a register's slave by its position in the slave list (NrDNNode, from 1), not by
// its node address. When slaves move or go away in the slave list, the registers must be renumbered
// with them, or they silently read and write another device; when a slave's byte count shrinks, the
// registers carrying its bytes beyond the new count would carry the next slave's bytes instead.
namespace RegisterRenumber {

// The byte counts of a slave of the new list: input bytes (the write page's) and output bytes (the
// read page's).
struct SlaveBytes
{
    int in = 0;
    int out = 0;
};

// newPositions[k - 1] is the new position (from 1) of the slave that stood at position k, or 0 when
// that slave was deleted. Registers naming a position outside 1..newPositions.size() are left alone.
struct Result
{
    QDomDocument document; // the renumbered DefReg.xml; every other node stays as it was
    int moved = 0;         // registers whose slave number changed
    int removed = 0;       // registers of deleted slaves, dropped from the document
    int pastBytes = 0;     // registers carrying a byte beyond their slave's new count, dropped too
    // By the slave's old position: how many of its registers moved, or went with it.
    QMap<int, int> movedOf;
    QMap<int, int> removedOf;
    // By the slave's new position and page (1 read, 2 write): registers beyond its new count.
    QMap<QPair<int, int>, int> pastBytesOf;
    bool changed() const { return moved + removed + pastBytes > 0; }
};

// With byte counts (one per position of the new list), registers of the two sections whose high or
// low part is beyond their slave's count are dropped as well.
Result renumber(const QDomDocument &defReg, const QVector<int> &newPositions,
                const std::optional<QVector<SlaveBytes>> &newBytes = std::nullopt);

} // namespace RegisterRenumber
