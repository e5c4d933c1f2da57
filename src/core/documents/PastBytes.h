#pragma once

#include "ModbusMap.h"

#include <QString>
#include <QVector>

class TextCatalog;

// A register whose high or low part names a byte that its slave does not have: the device would
// serve (or overwrite) another slave's byte there. Stored configurations may hold such registers
// after a slave's byte count shrank, so they are shown and asked about rather than refused.
struct RegisterPastBytes
{
    int page = 0;       // 1 read, 2 write
    QString index;      // the register index as stored
    int slave = 0;      // position in the slave list, from 0
    QString slaveId;    // node address
    int byteCount = 0;  // the slave's bytes on that page: N Byte OUT for read, N Byte IN for write
    QVector<int> bytes; // the parts beyond byteCount, high part first
};

namespace PastBytes {

// The parts of a register beyond count, high part first.
QVector<int> beyond(int hiPart, int loPart, int count);
// Every such register of the map: read page first, then write page, slave by slave in list order.
QVector<RegisterPastBytes> find(const ModbusMap &map);

// One line per register for the first `shown` of them, then "... and N more" when there are more.
QString lines(const QVector<RegisterPastBytes> &found, const TextCatalog &catalog, int shown = 5);
// The whole warning: how many in all, then the lines.
QString warning(const QVector<RegisterPastBytes> &found, const TextCatalog &catalog);

} // namespace PastBytes
