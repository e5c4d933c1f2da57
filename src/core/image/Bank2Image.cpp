#include "Bank2Image.h"

#include "ByteWriter.h"

#include <cstring>

namespace {

uchar *dataAt(Bank2Image &image, int position, int size)
{
    Q_ASSERT(position >= 0 && position + size <= Bank2Image::Capacity);
    if (image.buffer.size() != Bank2Image::Capacity)
        image.buffer = QByteArray(Bank2Image::Capacity, '\0');
    return reinterpret_cast<uchar *>(image.buffer.data()) + position;
}

void putOctets(uchar *at, const quint8 *octets, size_t count)
{
    std::memcpy(at, octets, count);
}

} // namespace

int SerialiseRegisterTables(const DeviceConfigRecord &record, Bank2Image &image, int position)
{
    uchar *at = dataAt(image, position, Bank2Image::RegisterTablesSize);
    for (const auto *table : {&record.ReadTable, &record.WriteTable}) {
        for (const RegisterEntry &entry : *table) {
            putU16(at, entry.RegisterIndex);
            putU16(at + 2, entry.LoPart);
            putU16(at + 4, entry.HiPart);
            putU8(at + 6, entry.SlaveIndex);
            putU8(at + 7, 0);
            at += 8;
        }
    }
    return position + Bank2Image::RegisterTablesSize;
}

quint32 parameterBlockChecksum(const uchar *block)
{
    quint32 sum = 0;
    for (int i = 0; i < Bank2Image::ChecksumOffset; ++i)
        sum += block[i];
    return sum;
}

int SerialiseParameterBlock(const DeviceConfigRecord &record, Bank2Image &image, int position)
{
    uchar *block = dataAt(image, position, Bank2Image::ParameterBlockSize);
    // Fixed fields without a field of their own are zero in the image.
    std::memset(block, 0, Bank2Image::ParameterBlockSize);

    const ParameterFields &p = record.DeviceParameters;
    putU32(block + 0, p.BaudRate);
    putU32(block + 12, p.Fixed12);
    putU32(block + 24, p.Fixed24);
    putOctets(block + 40, p.IpAddress.data(), 4);
    putOctets(block + 44, p.SubnetMask.data(), 4);
    putOctets(block + 48, p.Gateway.data(), 4);
    putU16(block + 52, p.Fixed52);
    putU16(block + 54, p.TcpPort);
    putU16(block + 56, p.TcpPortCopy);
    putU32(block + 60, p.Fixed60);
    putOctets(block + 96, p.ConstantBytes.data(), 4);
    putU32(block + 124, p.SlaveCount);
    putU8(block + 128, p.MasterId);
    putU32(block + 220, p.SlaveTableAddress);
    putU32(block + 264, p.Fixed264);
    putU32(block + 300, p.Fixed300);
    putU16(block + 312, p.Fixed312);
    putOctets(block + 320, p.IpAddressCopy.data(), 4);
    putOctets(block + 324, p.SubnetMaskCopy.data(), 4);
    putOctets(block + 328, p.GatewayCopy.data(), 4);
    putU32(block + 332, p.ReadCount);
    putU32(block + 336, p.WriteCount);
    putU32(block + 340, p.ReadTableAddress);
    putU32(block + 344, p.WriteTableAddress);
    putU32(block + 348, p.SlaveStateRegister);
    putU32(block + 352, p.InterscanDelay);
    putOctets(block + 1912, p.FixedOctets.data(), p.FixedOctets.size());
    putU32(block + 2040, p.Fixed2040);

    putU32(block + Bank2Image::ChecksumOffset, parameterBlockChecksum(block));
    return position + Bank2Image::ParameterBlockSize;
}

int SerialiseSlaveTable(const DeviceConfigRecord &record, Bank2Image &image, int position)
{
    uchar *at = dataAt(image, position, Bank2Image::SlaveTableSize);
    for (const SlaveEntry &entry : record.SlaveTable) {
        putU8(at, entry.SlaveId);
        putU8(at + 1, 0);
        putU16(at + 2, 0);
        putU16(at + 4, entry.InputBytes);
        putU16(at + 6, entry.OutputBytes);
        putU16(at + 8, 0);
        putU16(at + 10, 0);
        putU16(at + 12, entry.InputOffset);
        putU16(at + 14, entry.OutputOffset);
        at += 16;
    }
    return position + Bank2Image::SlaveTableSize;
}
