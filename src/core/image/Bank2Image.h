#pragma once

#include "DeviceConfigRecord.h"
#include "ImageLayout.h"

#include <QByteArray>

// bank2.bin: the whole record at fixed offsets, always the same size.
struct Bank2Image
{
    static constexpr int Capacity = 0x40000;
    static constexpr int RegisterEntrySize = 8;
    static constexpr int SlaveEntrySize = 16;
    static constexpr int RegisterTablesSize = 2 * MaxRegisters * RegisterEntrySize; // 98304
    static constexpr int ParameterBlockSize = 2048;
    static constexpr int SlaveTableSize = DeviceSlaveSlots * SlaveEntrySize; // 1024
    static constexpr int ParameterBlockOffset = RegisterTablesSize;
    static constexpr int SlaveTableOffset = ParameterBlockOffset + ParameterBlockSize; // 100352
    static constexpr int FileSize = SlaveTableOffset + SlaveTableSize;                 // 101376
    static constexpr int ChecksumOffset = 2044;                                        // inside the parameter block

    QByteArray buffer; // Capacity bytes
    int length = 0;

    QByteArray bytes() const { return buffer.left(length); }
};

// Constant-initialised tables: ready before any code runs, static initialisers included.
extern const RecordLayout<RegisterEntry> registerEntryLayout;
// The parameter block without its checksum, which is the sum of the bytes before it.
extern const RecordLayout<ParameterFields> parameterBlockLayout;
extern const RecordLayout<SlaveEntry> slaveEntryLayout;

// Each writes at position and returns the position after its last byte.
int SerialiseRegisterTables(const DeviceConfigRecord &record, Bank2Image &image, int position);
// The parameter block ends with the 32-bit byte sum of its first 2044 bytes.
int SerialiseParameterBlock(const DeviceConfigRecord &record, Bank2Image &image, int position);
int SerialiseSlaveTable(const DeviceConfigRecord &record, Bank2Image &image, int position);

// The byte sum the parameter block stores at ChecksumOffset; block points at its first byte.
quint32 parameterBlockChecksum(const uchar *block);
