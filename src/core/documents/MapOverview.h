#pragma once

#include "ModbusMap.h"

#include <QString>
#include <QVector>

class TextCatalog;

// One register of the overview: where it lives in the map, and its address.
struct OverviewRow
{
    int address = -1; // the index value, the 0-based register address on the wire; -1 when the text is none
    int page = 0;
    int slave = 0;    // position in the slave list
    int position = 0; // position in that slave's list of the page
};

// The bytes of one slave on one page that no register carries.
struct FreeBytes
{
    int slave = 0;
    int page = 0;
    QVector<int> bytes; // rising byte numbers, 1-based
};

// The whole register map at a glance: every register of both pages in address order, and the
// bytes left without a register. Read-only; the dialog's overview window and the CLI show it.
namespace MapOverview {

// Registers of both pages ordered by address, then page, slave and position.
QVector<OverviewRow> rows(const ModbusMap &map);
// For bytes 0..n of the slave on that page (n: its byte count): true where a register carries the byte.
// Entry 0 stands for None and stays false.
QVector<bool> carriedBytes(const ModbusMap &map, int slavePosition, int page);
// Slave by slave in list order, read page before write page; only where some byte is free.
QVector<FreeBytes> freeBytes(const ModbusMap &map);
// The bytes beyond a slave's count that its registers carry, in the same order: the device would
// serve other slaves' bytes there.
QVector<FreeBytes> bytesPastCount(const ModbusMap &map);
// True when the register of that slave and page carries a byte beyond the slave's count.
bool pastCount(const ModbusMap &map, const OverviewRow &row);

// "1-4, 7, 9-12"
QString byteRanges(const QVector<int> &bytes);
// The address as shown and exported: the decimal value, or the stored text when it is no valid index.
QString addressText(const TMod_Reg &reg);
QString pageName(int page, const TextCatalog &catalog);
// The byte number, or the catalog's "None" for 0.
QString partText(int part, const TextCatalog &catalog);
// One line per free slave and page.
QString freeBytesLine(const ModbusMap &map, const FreeBytes &free, const TextCatalog &catalog);
// One line per slave and page with bytes past its count.
QString pastBytesLine(const ModbusMap &map, const FreeBytes &past, const TextCatalog &catalog);

// The overview as plain text with aligned columns, then the free bytes and the bytes past a slave's count.
QString text(const ModbusMap &map, const TextCatalog &catalog);

} // namespace MapOverview
