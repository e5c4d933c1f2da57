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

// The whole register map at a glance: every register of both pages in address order, the bytes
// left without a register, and the bytes registers carry that their slave does not have. Read-only;
// the dialog's overview window and the CLI show it.
namespace MapOverview {

// Address, page, slave, ID, mnemonic, high byte, low byte, and the mark of a register past its
// slave's bytes.
constexpr int ColumnCount = 8;
constexpr int NoteColumn = 7;
QString columnCaption(int column, const TextCatalog &catalog);
// The text of the note column for a register past its slave's bytes: the mark is read, not only seen.
QString pastCountMark(const TextCatalog &catalog);

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
// "byte 4" or "bytes 1-3, 5" in the catalog's language.
QString bytesText(const QVector<int> &bytes, const TextCatalog &catalog);
// One line per slave and page: under the free bytes' heading the free ones, under the heading of
// the bytes past a slave's count those.
QString bytesLine(const ModbusMap &map, const FreeBytes &bytes, const TextCatalog &catalog);

// The overview as plain text with aligned columns, then the free bytes and, when any register
// carries them, the bytes past a slave's count under their own heading.
QString text(const ModbusMap &map, const TextCatalog &catalog);

} // namespace MapOverview
