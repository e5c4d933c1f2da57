#pragma once

#include "ModbusMap.h"

#include <QString>
#include <QVector>

class TextCatalog;

// How an auto-map run lays out the registers.
struct AutoMapOptions
{
    int start = 0;          // first register index tried; indexes already in use are skipped
    int step = 0;           // above 1: each slave starts at start + a multiple of it (start + 10, + 20, ...)
    bool highFirst = false; // byte n in the high part and n+1 in the low part (default: the other way)
};

// What an auto-map run added, or why it refused. A refusal changes nothing.
struct AutoMapResult
{
    // The registers one slave got on one page.
    struct Block
    {
        int slave = 0; // position in the slave list
        int page = 0;
        int count = 0;
        int first = 0; // lowest and highest index given
        int last = 0;
    };
    QVector<Block> blocks;
    int added = 0;
    // The refusal when no run of free indexes holds a slave's registers.
    static constexpr int NoRun = 1497;
    // 0 when it ran; else the catalog index of the refusal: NoRun, 1381 a page too full, or what the
    // editor's Create check says of a register.
    int failure = 0;
    int failedSlave = 0; // NoRun: the slave (position) without room
    int failedPage = 0;  // the page that would be too full, or of that slave
    int failedTotal = 0; // the registers it would then hold, or that the slave needs
    int failedStart = 0; // NoRun: where the search began
    QString failedId;    // NoRun: the ID of that slave

    // The refusal as the user reads it (empty when it ran).
    QString message(const TextCatalog &catalog) const;
};

// Maps every byte of a slave that no register of that page carries yet onto free register indexes,
// two bytes per register. Bytes pair as the slave's data is laid out: 1-2, 3-4, ... By default the
// odd byte of a pair goes into the low part and the even byte into the high part: DeviceNet sends a
// multi-byte value low byte first while a Modbus client reads a register high byte first, so a
// 16-bit value of the slave reads as the same number in its register. A byte whose partner is
// already carried (or missing, after an odd last byte) goes alone into the low part, high part None.
// Every index is decimal text, so the map stays what the editor itself would have made.
namespace AutoMap {

// The device's register tables hold this many registers per page.
constexpr int MaxRegistersPerPage = 6144;
// Both pages for mapAll.
constexpr int BothPages = 0;

// Each slave gets one contiguous run of free indexes, the first run at or after the start (on the
// step's grid from the start) that holds all its registers; a slave's registers are never split
// around an index already taken. When no run holds a slave, nothing changes.
AutoMapResult mapSlave(ModbusMap &map, int slavePosition, int page, const AutoMapOptions &options);
// Every slave in list order, the read page first when both are asked.
AutoMapResult mapAll(ModbusMap &map, int pages, const AutoMapOptions &options);

// The registers one slave and page would get, as high and low part pairs, in order.
QVector<TMod_Reg> plannedParts(const ModbusMap &map, int slavePosition, int page, bool highFirst);

} // namespace AutoMap
