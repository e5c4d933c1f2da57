#pragma once

#include <QtGlobal>

#include <array>

// The in-memory model of everything the converter receives in bank2.bin. Every compile resets it
// completely, fills it from the three documents and serialises it.

// The device's slave table; the slave list editor offers one row fewer (DnetNetDocument::EditorSlaveRows).
constexpr int DeviceSlaveSlots = 64;
constexpr int MaxRegisters = 6144; // per page of the register map

// Device addresses of the three tables when bank2.bin is placed at 0x50000.
constexpr quint32 ReadTableDeviceAddress = 0x50000;
constexpr quint32 WriteTableDeviceAddress = 0x5C000;
constexpr quint32 SlaveTableDeviceAddress = 0x68800;

struct SlaveEntry
{
    quint8 SlaveId = 0;
    quint16 InputBytes = 0;
    quint16 OutputBytes = 0;
    quint16 InputOffset = 0;  // sum of InputBytes of the slaves before, modulo 65536
    quint16 OutputOffset = 0; // sum of OutputBytes of the slaves before, modulo 65536
};

struct RegisterEntry
{
    quint16 RegisterIndex = 0;
    quint16 LoPart = 0; // slave byte in the low half of the register, 0 = none
    quint16 HiPart = 0; // slave byte in the high half, 0 = none
    quint8 SlaveIndex = 0;
};

// The parameter fields the device reads. Fields the documents never fill but whose reset value is
// not zero are kept by their block offset; every other fixed field is zero and exists only in the image.
struct ParameterFields
{
    quint32 BaudRate = 0;              // offset 0, bit/s
    quint32 Fixed12 = 0;               // offset 12
    quint32 Fixed24 = 0;               // offset 24
    std::array<quint8, 4> IpAddress{}; // offset 40
    std::array<quint8, 4> SubnetMask{};
    std::array<quint8, 4> Gateway{};
    quint16 Fixed52 = 0;
    quint16 TcpPort = 0;     // offset 54
    quint16 TcpPortCopy = 0; // offset 56
    quint32 Fixed60 = 0;
    std::array<quint8, 4> ConstantBytes{}; // offset 96
    quint32 SlaveCount = 0;                // offset 124
    quint8 MasterId = 0;                   // offset 128
    quint32 SlaveTableAddress = 0;         // offset 220
    quint32 Fixed264 = 0;
    quint32 Fixed300 = 0;
    quint16 Fixed312 = 0;
    std::array<quint8, 4> IpAddressCopy{}; // offset 320
    std::array<quint8, 4> SubnetMaskCopy{};
    std::array<quint8, 4> GatewayCopy{};
    quint32 ReadCount = 0;                 // offset 332
    quint32 WriteCount = 0;                // offset 336
    quint32 ReadTableAddress = 0;          // offset 340
    quint32 WriteTableAddress = 0;         // offset 344
    quint32 SlaveStateRegister = 0;        // offset 348
    quint32 InterscanDelay = 0;            // offset 352, milliseconds
    std::array<quint8, 128> FixedOctets{}; // offset 1912
    quint32 Fixed2040 = 0;
};

struct DeviceConfigRecord
{
    ParameterFields DeviceParameters;
    std::array<SlaveEntry, DeviceSlaveSlots> SlaveTable{};
    std::array<RegisterEntry, MaxRegisters> ReadTable{};
    std::array<RegisterEntry, MaxRegisters> WriteTable{};
};

// Puts every parameter to its reset value and every table entry to zero.
void ResetDeviceConfig(DeviceConfigRecord &record);
