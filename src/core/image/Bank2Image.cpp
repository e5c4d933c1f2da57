#include "Bank2Image.h"

#include "documents/DocumentSchema.h"

namespace {

uchar *dataAt(Bank2Image &image, int position, int size)
{
    Q_ASSERT(position >= 0 && position + size <= Bank2Image::Capacity);
    if (image.buffer.size() != Bank2Image::Capacity)
        image.buffer = QByteArray(Bank2Image::Capacity, '\0');
    return reinterpret_cast<uchar *>(image.buffer.data()) + position;
}

using E = RegisterEntry;
const LayoutField<E> kRegisterFields[] = {
    {0, 2, "index", FieldFormat::Decimal, [](const E &e) -> quint32 { return e.RegisterIndex; }},
    {2, 2, "low part", FieldFormat::Decimal, [](const E &e) -> quint32 { return e.LoPart; }},
    {4, 2, "high part", FieldFormat::Decimal, [](const E &e) -> quint32 { return e.HiPart; }},
    {6, 1, "slave index", FieldFormat::Decimal, [](const E &e) -> quint32 { return e.SlaveIndex; }},
};

using P = ParameterFields;
const LayoutField<P> kParameterFields[] = {
    {0, 4, "BaudRate", FieldFormat::BitRate, [](const P &p) { return p.BaudRate; }},
    {12, 4, "Fixed12", FieldFormat::Decimal, [](const P &p) { return p.Fixed12; }, nullptr, true},
    {24, 4, "Fixed24", FieldFormat::Decimal, [](const P &p) { return p.Fixed24; }, nullptr, true},
    {40, 4, "IpAddress", FieldFormat::Dotted, nullptr, [](const P &p) { return p.IpAddress.data(); }},
    {44, 4, "SubnetMask", FieldFormat::Dotted, nullptr, [](const P &p) { return p.SubnetMask.data(); }},
    {48, 4, "Gateway", FieldFormat::Dotted, nullptr, [](const P &p) { return p.Gateway.data(); }},
    {52, 2, "Fixed52", FieldFormat::Decimal, [](const P &p) -> quint32 { return p.Fixed52; }, nullptr, true},
    {54, 2, "TcpPort", FieldFormat::Decimal, [](const P &p) -> quint32 { return p.TcpPort; }},
    {56, 2, "TcpPortCopy", FieldFormat::Decimal, [](const P &p) -> quint32 { return p.TcpPortCopy; }},
    {60, 4, "Fixed60", FieldFormat::Decimal, [](const P &p) { return p.Fixed60; }, nullptr, true},
    {96, 4, "ConstantBytes", FieldFormat::Bytes, nullptr, [](const P &p) { return p.ConstantBytes.data(); }},
    {124, 4, "SlaveCount", FieldFormat::Decimal, [](const P &p) { return p.SlaveCount; }},
    {128, 1, "MasterId", FieldFormat::Decimal, [](const P &p) -> quint32 { return p.MasterId; }},
    {220, 4, "SlaveTableAddress", FieldFormat::Hex, [](const P &p) { return p.SlaveTableAddress; }},
    {264, 4, "Fixed264", FieldFormat::Decimal, [](const P &p) { return p.Fixed264; }, nullptr, true},
    {300, 4, "Fixed300", FieldFormat::Decimal, [](const P &p) { return p.Fixed300; }, nullptr, true},
    {312, 2, "Fixed312", FieldFormat::Hex, [](const P &p) -> quint32 { return p.Fixed312; }, nullptr, true},
    {320, 4, "IpAddressCopy", FieldFormat::Dotted, nullptr, [](const P &p) { return p.IpAddressCopy.data(); }},
    {324, 4, "SubnetMaskCopy", FieldFormat::Dotted, nullptr, [](const P &p) { return p.SubnetMaskCopy.data(); }},
    {328, 4, "GatewayCopy", FieldFormat::Dotted, nullptr, [](const P &p) { return p.GatewayCopy.data(); }},
    {332, 4, "ReadCount", FieldFormat::Decimal, [](const P &p) { return p.ReadCount; }},
    {336, 4, "WriteCount", FieldFormat::Decimal, [](const P &p) { return p.WriteCount; }},
    {340, 4, "ReadTableAddress", FieldFormat::Hex, [](const P &p) { return p.ReadTableAddress; }},
    {344, 4, "WriteTableAddress", FieldFormat::Hex, [](const P &p) { return p.WriteTableAddress; }},
    {348, 4, "SlaveStateRegister", FieldFormat::Decimal, [](const P &p) { return p.SlaveStateRegister; }},
    {352, 4, "InterscanDelay", FieldFormat::Milliseconds, [](const P &p) { return p.InterscanDelay; }},
    {1912, 128, "FixedOctets", FieldFormat::Bytes, nullptr, [](const P &p) { return p.FixedOctets.data(); }, true},
    {2040, 4, "Fixed2040", FieldFormat::Decimal, [](const P &p) { return p.Fixed2040; }, nullptr, true},
};

using S = SlaveEntry;
const LayoutField<S> kSlaveFields[] = {
    {0, 1, Schema::DnetNet::Id, FieldFormat::Decimal, [](const S &s) -> quint32 { return s.SlaveId; }},
    {4, 2, Schema::DnetNet::InputBytes, FieldFormat::Decimal, [](const S &s) -> quint32 { return s.InputBytes; }},
    {6, 2, Schema::DnetNet::OutputBytes, FieldFormat::Decimal, [](const S &s) -> quint32 { return s.OutputBytes; }},
    {12, 2, "input offset", FieldFormat::Decimal, [](const S &s) -> quint32 { return s.InputOffset; }},
    {14, 2, "output offset", FieldFormat::Decimal, [](const S &s) -> quint32 { return s.OutputOffset; }},
};

} // namespace

constexpr RecordLayout<RegisterEntry> registerEntryLayout = makeLayout(Bank2Image::RegisterEntrySize, kRegisterFields);
constexpr RecordLayout<ParameterFields> parameterBlockLayout =
    makeLayout(Bank2Image::ParameterBlockSize, kParameterFields);
constexpr RecordLayout<SlaveEntry> slaveEntryLayout = makeLayout(Bank2Image::SlaveEntrySize, kSlaveFields);

int SerialiseRegisterTables(const DeviceConfigRecord &record, Bank2Image &image, int position)
{
    uchar *at = dataAt(image, position, Bank2Image::RegisterTablesSize);
    for (const auto *table : {&record.ReadTable, &record.WriteTable}) {
        for (const RegisterEntry &entry : *table) {
            writeRecord(at, entry, registerEntryLayout);
            at += Bank2Image::RegisterEntrySize;
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
    writeRecord(block, record.DeviceParameters, parameterBlockLayout);
    putU32(block + Bank2Image::ChecksumOffset, parameterBlockChecksum(block));
    return position + Bank2Image::ParameterBlockSize;
}

int SerialiseSlaveTable(const DeviceConfigRecord &record, Bank2Image &image, int position)
{
    uchar *at = dataAt(image, position, Bank2Image::SlaveTableSize);
    for (const SlaveEntry &entry : record.SlaveTable) {
        writeRecord(at, entry, slaveEntryLayout);
        at += Bank2Image::SlaveEntrySize;
    }
    return position + Bank2Image::SlaveTableSize;
}
