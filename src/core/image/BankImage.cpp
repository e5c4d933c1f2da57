#include "BankImage.h"

#include "DeviceConfigRecord.h"
#include "base/AppError.h"
#include "documents/DocumentSchema.h"

namespace {

namespace DN = Schema::DnetNet;
namespace PG = Schema::ParGen;

class BankWriter
{
public:
    explicit BankWriter(BankImage &image)
        : m_data(reinterpret_cast<uchar *>(image.buffer.data()))
    {}
    // Refuses before writing anything that would not fit the device's buffer. `what` names the record, as
    // a function called only for the message.
    template <typename What> uchar *reserve(int size, const What &what)
    {
        if (m_position + size > BankImage::Capacity)
            throw AppError(QStringLiteral("The configuration is too large: bank.bin would exceed its limit of %1 "
                                          "bytes (at %2)")
                               .arg(BankImage::Capacity)
                               .arg(what()));
        uchar *at = m_data + m_position;
        m_position += size;
        return at;
    }
    int position() const { return m_position; }
    uchar *at(int offset) { return m_data + offset; }

private:
    uchar *m_data;
    int m_position = 0;
};

void writeSection(BankWriter &writer, const SourceDocument &source, const QString &sectionName, int slaveCountByte,
                  quint32 &count)
{
    const XmlTree &tree = source.tree;
    const int section = source.section(sectionName);

    const QString nrDNNode = Schema::name(Schema::DefReg::SlaveNumber);
    const QString index = Schema::name(Schema::DefReg::Index);
    const QString posComp = Schema::name(Schema::DefReg::Position);
    RowPlace where{sectionName, 0};
    for (int row = tree.firstRow(section); row != XmlTree::None; row = tree.nextSibling(row)) {
        ++where.row;
        const int node = attributeAsInteger(source, row, where, nrDNNode);
        // Rows of slaves beyond the list are left out; rows numbered 0 or below are kept as they are.
        if (node > slaveCountByte)
            continue;
        ++count;
        BankRegisterRecord record;
        record.Index = quint32(attributeAsInteger(source, row, where, index));
        record.Position = quint32(attributeAsInteger(source, row, where, posComp));
        record.SlavePosition = quint32(node) - 1;
        writeRecord(writer.reserve(BankImage::RegisterRecordSize,
                                   [&] { return source.path + QStringLiteral(", ") + where.text(); }),
                    record, bankRegisterLayout);
    }
}

// Four byte values as the little-endian number whose bytes they are.
quint32 packOctets(const std::array<quint32, 4> &octets)
{
    return (octets[0] & 0xFF) | (octets[1] & 0xFF) << 8 | (octets[2] & 0xFF) << 16 | (octets[3] & 0xFF) << 24;
}

using H = BankHeader;
const LayoutField<H> kHeaderFields[] = {
    {0, 4, "slave section", FieldFormat::Decimal, [](const H &h) { return h.SlaveSection; }},
    {4, 4, "read section", FieldFormat::Decimal, [](const H &h) { return h.ReadSection; }},
    {8, 4, "write section", FieldFormat::Decimal, [](const H &h) { return h.WriteSection; }},
    {12, 4, "parameter section", FieldFormat::Decimal, [](const H &h) { return h.ParameterSection; }},
};

using S = BankSlaveRecord;
const LayoutField<S> kSlaveFields[] = {
    {0, 1, DN::Id, FieldFormat::Decimal, [](const S &s) { return s.Id; }},
    {1, 2, DN::InputBytes, FieldFormat::Decimal, [](const S &s) { return s.InputBytes; }},
    {3, 2, DN::OutputBytes, FieldFormat::Decimal, [](const S &s) { return s.OutputBytes; }},
    {5, 2, "input offset", FieldFormat::Decimal, [](const S &s) { return s.InputOffset; }},
    {7, 2, "output offset", FieldFormat::Decimal, [](const S &s) { return s.OutputOffset; }},
};

using R = BankRegisterRecord;
const LayoutField<R> kRegisterFields[] = {
    {0, 2, "index", FieldFormat::Decimal, [](const R &r) { return r.Index; }},
    {2, 2, "low part", FieldFormat::Decimal, [](const R &r) { return r.Position & 0xFFFF; }},
    {4, 2, "high part", FieldFormat::Decimal, [](const R &r) { return r.Position >> 16; }},
    {6, 1, "slave position", FieldFormat::Decimal, [](const R &r) { return r.SlavePosition; }},
};

using P = BankParameterSection;
const LayoutField<P> kParameterFields[] = {
    {0, 1, PG::DeviceId, FieldFormat::Decimal, [](const P &p) { return p.DeviceId; }},
    {1, 1, PG::Baud, FieldFormat::BitRateCode, [](const P &p) { return p.BaudCode; }},
    {2, 4, PG::IpPrefix, FieldFormat::Dotted, [](const P &p) { return packOctets(p.Ip); }},
    {6, 4, PG::SubnetPrefix, FieldFormat::Dotted, [](const P &p) { return packOctets(p.Subnet); }},
    {10, 1, PG::EnableGateway, FieldFormat::GatewayFlag, [](const P &p) { return p.GatewayEnabled; }},
    {11, 4, PG::GatewayPrefix, FieldFormat::Dotted, [](const P &p) { return packOctets(p.Gateway); }},
    {15, 2, PG::Port, FieldFormat::Decimal, [](const P &p) { return p.Port; }},
    {17, 1, "slave count", FieldFormat::Decimal, [](const P &p) { return p.SlaveCount; }},
    {18, 2, "read count", FieldFormat::Decimal, [](const P &p) { return p.ReadCount; }},
    {20, 2, "write count", FieldFormat::Decimal, [](const P &p) { return p.WriteCount; }},
    {22, 2, PG::SlaveState, FieldFormat::Decimal, [](const P &p) { return p.SlaveStateRegister; }},
};

} // namespace

constexpr RecordLayout<BankHeader> bankHeaderLayout = makeLayout(BankImage::HeaderSize, kHeaderFields);
constexpr RecordLayout<BankSlaveRecord> bankSlaveLayout = makeLayout(BankImage::SlaveRecordSize, kSlaveFields);
constexpr RecordLayout<BankRegisterRecord> bankRegisterLayout =
    makeLayout(BankImage::RegisterRecordSize, kRegisterFields);
constexpr RecordLayout<BankParameterSection> bankParameterLayout =
    makeLayout(BankImage::ParameterSectionSize, kParameterFields);

void BuildBankImage(BankImage &image, ImageSources &sources)
{
    if (image.buffer.size() != BankImage::Capacity)
        image.buffer = QByteArray(BankImage::Capacity, '\0');
    image.length = 0;
    BankWriter writer(image);
    uchar *headerAt = writer.reserve(BankImage::HeaderSize, [] { return QStringLiteral("the header"); });
    BankHeader header;
    header.SlaveSection = BankImage::HeaderSize;

    int slaveCountByte = 0;
    quint32 inputSum = 0;
    quint32 outputSum = 0;
    quint32 readCount = 0;
    quint32 writeCount = 0;

    const SourceDocument &dnetNet = sources.dnetNet();
    if (dnetNet.exists()) {
        const XmlTree &tree = dnetNet.tree;
        const int rows = tree.rowCount(dnetNet.root());
        if (rows > DeviceSlaveSlots)
            throw AppError(QStringLiteral("%1: %2 slave rows; the device holds at most %3 slaves")
                               .arg(dnetNet.path)
                               .arg(rows)
                               .arg(DeviceSlaveSlots));
        slaveCountByte = rows % 256;
        const QString id = Schema::name(DN::Id);
        const QString inputBytes = Schema::name(DN::InputBytes);
        const QString outputBytes = Schema::name(DN::OutputBytes);
        RowPlace where;
        for (int row = tree.firstRow(dnetNet.root()); row != XmlTree::None; row = tree.nextSibling(row)) {
            ++where.row;
            BankSlaveRecord record;
            record.Id = quint32(attributeAsInteger(dnetNet, row, where, id));
            record.InputBytes = quint32(attributeAsInteger(dnetNet, row, where, inputBytes));
            record.OutputBytes = quint32(attributeAsInteger(dnetNet, row, where, outputBytes));
            record.InputOffset = inputSum;
            record.OutputOffset = outputSum;
            writeRecord(writer.reserve(BankImage::SlaveRecordSize,
                                       [&] { return dnetNet.path + QStringLiteral(", ") + where.text(); }),
                        record, bankSlaveLayout);
            inputSum = (inputSum + record.InputBytes) & 0xFFFF;
            outputSum = (outputSum + record.OutputBytes) & 0xFFFF;
        }
    }
    header.ReadSection = quint32(writer.position());

    const SourceDocument &defReg = sources.defReg();
    if (defReg.exists())
        writeSection(writer, defReg, Schema::name(Schema::DefReg::ReadSection), slaveCountByte, readCount);
    header.WriteSection = quint32(writer.position());
    if (defReg.exists())
        writeSection(writer, defReg, Schema::name(Schema::DefReg::WriteSection), slaveCountByte, writeCount);
    header.ParameterSection = quint32(writer.position());

    const SourceDocument &parGen = sources.bankParGen();
    if (parGen.exists()) {
        const int root = parGen.root();
        auto element = [&](const QString &name) { return quint32(elementAsInteger(parGen, root, name)); };
        auto octets = [&](const char *prefix) -> std::array<quint32, 4> {
            return {element(Schema::numbered(prefix, 0)), element(Schema::numbered(prefix, 1)),
                    element(Schema::numbered(prefix, 2)), element(Schema::numbered(prefix, 3))};
        };
        BankParameterSection section;
        section.DeviceId = element(Schema::name(PG::DeviceId));
        section.BaudCode = element(Schema::name(PG::Baud));
        section.Ip = octets(PG::IpPrefix);
        section.Subnet = octets(PG::SubnetPrefix);
        section.GatewayEnabled = element(Schema::name(PG::EnableGateway));
        section.Gateway = octets(PG::GatewayPrefix);
        section.Port = element(Schema::name(PG::Port));
        try {
            section.SlaveStateRegister = element(Schema::name(PG::SlaveState));
        } catch (const AppError &) {
            section.SlaveStateRegister = 0; // the only parameter with a fallback
        }
        section.SlaveCount = quint32(slaveCountByte);
        section.ReadCount = readCount;
        section.WriteCount = writeCount;
        writeRecord(
            writer.reserve(BankImage::ParameterSectionSize, [] { return QStringLiteral("the parameter section"); }),
            section, bankParameterLayout);
    }
    writeRecord(headerAt, header, bankHeaderLayout);
    image.length = writer.position();
}
