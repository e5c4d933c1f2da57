#include "DocumentReaders.h"

#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "documents/DocumentSchema.h"

namespace {

namespace PG = Schema::ParGen;
namespace DR = Schema::DefReg;

int elementValue(const XmlTree &tree, int root, const QString &name, int fallback)
{
    const int element = tree.firstChildElement(root, name);
    if (element == XmlTree::None)
        return fallback;
    return ParseIntOrDefault(tree.text(element), fallback);
}

void readOctets(const XmlTree &tree, int root, const char *prefix, const std::array<int, 4> &fallbacks,
                std::array<quint8, 4> &octets)
{
    for (int i = 0; i < 4; ++i)
        octets[size_t(i)] = quint8(elementValue(tree, root, Schema::numbered(prefix, i), fallbacks[size_t(i)]));
}

void readSection(const SourceDocument &source, const QString &sectionName, quint32 slaveCount,
                 std::array<RegisterEntry, MaxRegisters> &table, quint32 &count)
{
    const XmlTree &tree = source.tree;
    const int section = source.section(sectionName);

    const QString nrDNNode = Schema::name(DR::SlaveNumber);
    const QString index = Schema::name(DR::Index);
    const QString posComp = Schema::name(DR::Position);
    RowPlace where{sectionName, 0};
    for (int row = tree.firstRow(section); row != XmlTree::None; row = tree.nextSibling(row)) {
        ++where.row;
        // 64-bit so that the lowest integer minus one cannot wrap into a valid position.
        const qint64 n = qint64(ParseIntOrDefault(attributeAsText(source, row, where, nrDNNode), -1)) - 1;
        if (n < 0 || n >= qint64(slaveCount))
            continue;
        if (count >= quint32(MaxRegisters))
            throw AppError(tooManyRegistersMessage(source.path, sectionName));
        RegisterEntry &entry = table[count];
        entry.RegisterIndex = quint16(attributeAsInteger(source, row, where, index));
        const quint32 p = quint32(ParseIntOrDefault(attributeAsText(source, row, where, posComp), 0));
        entry.LoPart = quint16(p & 0xFFFF);
        entry.HiPart = quint16(p >> 16);
        entry.SlaveIndex = quint8(n);
        ++count;
    }
}

} // namespace

void ReadCommunicationSettings(DeviceConfigRecord &record, ImageSources &sources)
{
    ParameterFields &p = record.DeviceParameters;
    p.ConstantBytes = {64, 0, 0, 8};
    p.SlaveTableAddress = SlaveTableDeviceAddress;
    p.ReadTableAddress = ReadTableDeviceAddress;
    p.WriteTableAddress = WriteTableDeviceAddress;

    const SourceDocument &source = sources.parGen();
    if (!source.exists())
        return;
    const XmlTree &tree = source.tree;
    const int root = source.root();

    p.MasterId = quint8(elementValue(tree, root, Schema::name(PG::DeviceId), PG::FallbackDeviceId));
    const int baudCode = elementValue(tree, root, Schema::name(PG::Baud), PG::FallbackBaud);
    p.BaudRate = baudCode == 0 ? 125000 : baudCode == 1 ? 250000 : 500000;
    p.InterscanDelay = quint32(elementValue(tree, root, Schema::name(PG::InterscanDelay), PG::FallbackInterscanDelay));

    readOctets(tree, root, PG::IpPrefix, PG::FallbackIp, p.IpAddress);
    p.IpAddressCopy = p.IpAddress;
    readOctets(tree, root, PG::SubnetPrefix, PG::FallbackSubnet, p.SubnetMask);
    p.SubnetMaskCopy = p.SubnetMask;
    readOctets(tree, root, PG::GatewayPrefix, PG::FallbackGateway, p.Gateway);
    const int enableGateway = tree.firstChildElement(root, Schema::name(PG::EnableGateway));
    if (enableGateway == XmlTree::None || tree.text(enableGateway) == QLatin1String("0"))
        p.Gateway = {255, 255, 255, 255};
    p.GatewayCopy = p.Gateway;

    p.TcpPort = quint16(elementValue(tree, root, Schema::name(PG::Port), PG::FallbackPort));
    p.TcpPortCopy = p.TcpPort;
    p.SlaveStateRegister = quint32(elementValue(tree, root, Schema::name(PG::SlaveState), PG::FallbackSlaveState));
}

void ReadSlaveList(DeviceConfigRecord &record, ImageSources &sources)
{
    ParameterFields &p = record.DeviceParameters;
    p.SlaveCount = 0;
    quint32 inputSum = 0;
    quint32 outputSum = 0;

    const SourceDocument &source = sources.dnetNet();
    if (!source.exists())
        return;

    const QString id = Schema::name(Schema::DnetNet::Id);
    const QString nbIn = Schema::name(Schema::DnetNet::InputBytes);
    const QString nbOut = Schema::name(Schema::DnetNet::OutputBytes);
    const XmlTree &tree = source.tree;
    for (int row = tree.firstRow(source.root()); row != XmlTree::None; row = tree.nextSibling(row)) {
        if (p.SlaveCount >= quint32(DeviceSlaveSlots))
            throw AppError(QStringLiteral("%1: more than %2 slave rows; the device holds at most %2 slaves")
                               .arg(source.path)
                               .arg(DeviceSlaveSlots));
        const RowPlace where{{}, int(p.SlaveCount) + 1};
        SlaveEntry &entry = record.SlaveTable[p.SlaveCount];
        entry.SlaveId = quint8(attributeAsInteger(source, row, where, id));
        entry.InputBytes = quint16(attributeAsInteger(source, row, where, nbIn));
        entry.OutputBytes = quint16(attributeAsInteger(source, row, where, nbOut));
        entry.InputOffset = quint16(inputSum);
        entry.OutputOffset = quint16(outputSum);
        ++p.SlaveCount;
        inputSum += entry.InputBytes;
        outputSum += entry.OutputBytes;
    }
}

QString tooManyRegistersMessage(const QString &defRegPath, const QString &sectionName)
{
    return QStringLiteral("%1: %2 has more than %3 registers that name an existing slave; "
                          "the device holds at most %3 per section")
        .arg(defRegPath, sectionName)
        .arg(MaxRegisters);
}

void ReadRegisterMap(DeviceConfigRecord &record, ImageSources &sources)
{
    ParameterFields &p = record.DeviceParameters;
    p.ReadCount = 0;
    p.WriteCount = 0;

    const SourceDocument &source = sources.defReg();
    if (!source.exists())
        return;
    readSection(source, Schema::name(DR::ReadSection), p.SlaveCount, record.ReadTable, p.ReadCount);
    readSection(source, Schema::name(DR::WriteSection), p.SlaveCount, record.WriteTable, p.WriteCount);
}
