#pragma once

#include <QDomDocument>
#include <QVector>

// DefReg.xml names a register's slave by its position in the slave list (NrDNNode, from 1), not by
// its node address. When slaves move or go away in the slave list, the registers must be renumbered
// with them, or they silently read and write another device.
namespace RegisterRenumber {

// newPositions[k - 1] is the new position (from 1) of the slave that stood at position k, or 0 when
// that slave was deleted. Registers naming a position outside 1..newPositions.size() are left alone.
struct Result
{
    QDomDocument document; // the renumbered DefReg.xml; every other node stays as it was
    int moved = 0;         // registers whose slave number changed
    int removed = 0;       // registers of deleted slaves, dropped from the document
    bool changed() const { return moved + removed > 0; }
};

Result renumber(const QDomDocument &defReg, const QVector<int> &newPositions);

} // namespace RegisterRenumber
