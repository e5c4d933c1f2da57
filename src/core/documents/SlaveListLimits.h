#pragma once

#include <QString>

class ModbusMap;
class TextCatalog;

// What the register map may be built from: a slave list the DeviceNet Network step could have
// written. A hand-edited list with absurd byte counts or rows would otherwise become lists of
// millions of entries.
struct SlaveListLimitFailure
{
    int row = 0;       // the first row that breaks a limit (1 for the first slave)
    int textIndex = 0; // 1201 a byte count outside 0..455, 1202 more rows than the device takes; 0: accepted

    bool ok() const { return textIndex == 0; }
    // The message as shown, naming the row and pointing to the DeviceNet Network step.
    QString message(const TextCatalog &catalog) const;
};

// The first row of the map's slave list that breaks a limit: more than 64 rows, or a count of input
// or output bytes outside 0..455.
SlaveListLimitFailure checkSlaveListLimits(const ModbusMap &map);
// The same check of a DNET_Net.xml, streamed: it stops at the first row that breaks a limit. A
// missing file is accepted, and so is one that is not a regular file, too large or not well-formed
// before that row: reading it for the map reports that.
SlaveListLimitFailure checkSlaveListLimits(const QString &dnetNetPath);
