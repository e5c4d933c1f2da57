#include "Cli.h"
#include "Commands.h"

#include "app/BoundedFile.h"
#include "image/Bank2Image.h"
#include "image/BankImage.h"
#include "image/ByteWriter.h"
#include "image/DeviceConfigRecord.h"

#include <memory>

namespace Cli {

namespace {

void dumpHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli dump FILE\n\n"
              "Decodes a bank.bin or bank2.bin image into readable text. The kind is told by the file itself:\n"
              "bank2.bin is always 101376 bytes; bank.bin starts with four section offsets that match its length.\n"
              "For bank2.bin the stored and the computed checksum of the parameter block are compared.\n\n"
              "Exit codes: 0 decoded, 1 unreadable file, neither image, or a bank2.bin whose checksum differs,\n"
              "2 wrong usage.\n";
}

QString dotted(const uchar *octets)
{
    return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
}

QString hex32(quint32 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper();
}

QString bitRate(quint32 code)
{
    switch (code) {
    case 0:
        return QStringLiteral("125000 bit/s");
    case 1:
        return QStringLiteral("250000 bit/s");
    case 2:
        return QStringLiteral("500000 bit/s");
    default:
        return QStringLiteral("unknown code");
    }
}

void line(QTextStream &out, const char *name, const QString &value)
{
    out << "  " << QString::fromLatin1(name).leftJustified(21) << value << "\n";
}

// The four header offsets of a bank.bin, when they fit the file's length.
bool looksLikeBank(const QByteArray &bytes, quint32 offsets[4])
{
    const qint64 size = bytes.size();
    if (size < BankImage::HeaderSize || size > BankImage::Capacity)
        return false;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (int i = 0; i < 4; ++i)
        offsets[i] = getU32(data + 4 * i);
    if (offsets[0] != quint32(BankImage::HeaderSize))
        return false;
    if (offsets[1] < offsets[0] || (offsets[1] - offsets[0]) % BankImage::SlaveRecordSize != 0)
        return false;
    if (offsets[2] < offsets[1] || (offsets[2] - offsets[1]) % BankImage::RegisterRecordSize != 0)
        return false;
    if (offsets[3] < offsets[2] || (offsets[3] - offsets[2]) % BankImage::RegisterRecordSize != 0)
        return false;
    return size == qint64(offsets[3]) || size == qint64(offsets[3]) + BankImage::ParameterSectionSize;
}

void dumpRegisterRecords(QTextStream &out, const char *title, const uchar *data, quint32 from, quint32 to)
{
    const quint32 count = (to - from) / BankImage::RegisterRecordSize;
    out << title << " (" << count << ")\n";
    for (quint32 i = 0; i < count; ++i) {
        const uchar *r = data + from + i * BankImage::RegisterRecordSize;
        out << "  " << (i + 1) << ": index " << getU16(r) << ", low part " << getU16(r + 2) << ", high part "
            << getU16(r + 4) << ", slave position " << r[6] << "\n";
    }
}

int dumpBank(const QByteArray &bytes, const quint32 offsets[4], QTextStream &out)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint32 slaves = (offsets[1] - offsets[0]) / BankImage::SlaveRecordSize;
    const quint32 reads = (offsets[2] - offsets[1]) / BankImage::RegisterRecordSize;
    const quint32 writes = (offsets[3] - offsets[2]) / BankImage::RegisterRecordSize;

    out << "bank.bin, " << bytes.size() << " bytes\n";
    out << "Header\n";
    line(out, "slave section", QString::number(offsets[0]));
    line(out, "read section", QString::number(offsets[1]));
    line(out, "write section", QString::number(offsets[2]));
    line(out, "parameter section",
         QString::number(offsets[3]) + (bytes.size() == qint64(offsets[3]) ? QStringLiteral(" (absent)") : QString()));
    out << "Slaves (" << slaves << ")\n";
    for (quint32 i = 0; i < slaves; ++i) {
        const uchar *r = data + offsets[0] + i * BankImage::SlaveRecordSize;
        out << "  " << (i + 1) << ": ID " << r[0] << ", NB_IN " << getU16(r + 1) << ", NB_OUT " << getU16(r + 3)
            << ", input offset " << getU16(r + 5) << ", output offset " << getU16(r + 7) << "\n";
    }
    dumpRegisterRecords(out, "Read registers", data, offsets[1], offsets[2]);
    dumpRegisterRecords(out, "Write registers", data, offsets[2], offsets[3]);

    if (bytes.size() == qint64(offsets[3])) {
        out << "Parameters: none (the configuration has no ParGen.xml)\n";
        return Ok;
    }
    const uchar *p = data + offsets[3];
    out << "Parameters\n";
    line(out, "DNET_DEV_ID", QString::number(p[0]));
    line(out, "DNET_BAUD", QStringLiteral("%1 (%2)").arg(p[1]).arg(bitRate(p[1])));
    line(out, "MTCPs_IP", dotted(p + 2));
    line(out, "MTCPs_SUB", dotted(p + 6));
    line(out, "MTCPs_EN_GAT",
         QString::number(p[10]) +
             (p[10] ? QStringLiteral(" (gateway enabled)") : QStringLiteral(" (gateway disabled)")));
    line(out, "MTCPs_GAT", dotted(p + 11));
    line(out, "MTCPs_PORT", QString::number(getU16(p + 15)));
    line(out, "slave count", QString::number(p[17]));
    line(out, "read count", QString::number(getU16(p + 18)));
    line(out, "write count", QString::number(getU16(p + 20)));
    line(out, "MTCPs_DN_State", QString::number(getU16(p + 22)));
    if (p[17] != slaves % 256 || getU16(p + 18) != reads % 65536 || getU16(p + 20) != writes % 65536)
        out << "Note: the counts in the parameter section differ from the records in the file\n";
    return Ok;
}

// Block offsets of the parameter fields that documents fill; all other bytes are fixed.
bool isFilledField(int offset)
{
    struct Range
    {
        int from, to;
    };
    static const Range filled[] = {
        {0, 3},     {40, 51},   {54, 57},   {96, 99},
        {124, 128}, {220, 223}, {320, 355}, {Bank2Image::ChecksumOffset, Bank2Image::ChecksumOffset + 3}};
    for (const Range &r : filled) {
        if (offset >= r.from && offset <= r.to)
            return true;
    }
    return false;
}

void dumpRegisterTable(QTextStream &out, const char *title, const uchar *table, quint32 count)
{
    const quint32 listed = qMin(count, quint32(MaxRegisters));
    out << title << " (" << count << ")\n";
    for (quint32 i = 0; i < listed; ++i) {
        const uchar *r = table + i * 8;
        out << "  slot " << i << ": index " << getU16(r) << ", low part " << getU16(r + 2) << ", high part "
            << getU16(r + 4) << ", slave index " << r[6] << (r[7] ? ", last byte not zero" : "") << "\n";
    }
    int used = 0;
    for (int i = int(listed) * 8; i < MaxRegisters * 8; ++i)
        used += table[i] != 0;
    if (used)
        out << "  Note: " << used << " bytes beyond the count are not zero\n";
}

int dumpBank2(const QByteArray &bytes, QTextStream &out)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *block = data + Bank2Image::ParameterBlockOffset;

    out << "bank2.bin, " << bytes.size() << " bytes\n";
    out << "Sections\n";
    line(out, "read table", QStringLiteral("offset 0, %1 slots of 8 bytes").arg(MaxRegisters));
    line(out, "write table", QStringLiteral("offset %1, %2 slots of 8 bytes").arg(MaxRegisters * 8).arg(MaxRegisters));
    line(out, "parameter block",
         QStringLiteral("offset %1, %2 bytes")
             .arg(Bank2Image::ParameterBlockOffset)
             .arg(Bank2Image::ParameterBlockSize));
    line(out, "slave table",
         QStringLiteral("offset %1, %2 slots of 16 bytes").arg(Bank2Image::SlaveTableOffset).arg(MaxSlaves));

    out << "Parameters\n";
    line(out, "BaudRate", QString::number(getU32(block)) + QStringLiteral(" bit/s"));
    line(out, "IpAddress", dotted(block + 40));
    line(out, "SubnetMask", dotted(block + 44));
    line(out, "Gateway", dotted(block + 48));
    line(out, "TcpPort", QString::number(getU16(block + 54)));
    line(out, "TcpPortCopy", QString::number(getU16(block + 56)));
    line(out, "ConstantBytes",
         QStringLiteral("%1 %2 %3 %4").arg(block[96]).arg(block[97]).arg(block[98]).arg(block[99]));
    line(out, "SlaveCount", QString::number(getU32(block + 124)));
    line(out, "MasterId", QString::number(block[128]));
    line(out, "SlaveTableAddress", hex32(getU32(block + 220)));
    line(out, "IpAddressCopy", dotted(block + 320));
    line(out, "SubnetMaskCopy", dotted(block + 324));
    line(out, "GatewayCopy", dotted(block + 328));
    line(out, "ReadCount", QString::number(getU32(block + 332)));
    line(out, "WriteCount", QString::number(getU32(block + 336)));
    line(out, "ReadTableAddress", hex32(getU32(block + 340)));
    line(out, "WriteTableAddress", hex32(getU32(block + 344)));
    line(out, "SlaveStateRegister", QString::number(getU32(block + 348)));
    line(out, "InterscanDelay", QString::number(getU32(block + 352)) + QStringLiteral(" ms"));

    // The fixed fields compared with the block of a freshly reset record.
    auto reference = std::make_unique<DeviceConfigRecord>();
    ResetDeviceConfig(*reference);
    Bank2Image resetImage;
    SerialiseParameterBlock(*reference, resetImage, 0);
    const auto *expected = reinterpret_cast<const uchar *>(resetImage.buffer.constData());
    int unusual = 0;
    for (int i = 0; i < Bank2Image::ChecksumOffset; ++i) {
        if (!isFilledField(i) && block[i] != expected[i]) {
            if (unusual++ == 0)
                out << "Fixed bytes that differ from their usual value\n";
            out << "  block offset " << i << ": " << block[i] << " (usually " << expected[i] << ")\n";
        }
    }
    if (unusual == 0)
        out << "Fixed fields: all at their usual values\n";

    const quint32 stored = getU32(block + Bank2Image::ChecksumOffset);
    const quint32 computed = parameterBlockChecksum(block);
    out << "Checksum\n";
    line(out, "stored", QString::number(stored));
    line(out, "computed", QString::number(computed));
    if (stored == computed)
        out << "  The checksum is correct.\n";
    else
        out << "  CHECKSUM MISMATCH: the stored checksum differs from the sum of the parameter block.\n";

    const quint32 slaveCount = getU32(block + 124);
    const quint32 listedSlaves = qMin(slaveCount, quint32(MaxSlaves));
    out << "Slaves (" << slaveCount << ")\n";
    const uchar *slaves = data + Bank2Image::SlaveTableOffset;
    for (quint32 i = 0; i < listedSlaves; ++i) {
        const uchar *r = slaves + i * 16;
        out << "  slot " << i << ": ID " << r[0] << ", NB_IN " << getU16(r + 4) << ", NB_OUT " << getU16(r + 6)
            << ", input offset " << getU16(r + 12) << ", output offset " << getU16(r + 14) << "\n";
    }
    int slaveBytes = 0;
    for (int i = int(listedSlaves) * 16; i < Bank2Image::SlaveTableSize; ++i)
        slaveBytes += slaves[i] != 0;
    if (slaveBytes)
        out << "  Note: " << slaveBytes << " bytes beyond the count are not zero\n";
    dumpRegisterTable(out, "Read registers", data, getU32(block + 332));
    dumpRegisterTable(out, "Write registers", data + MaxRegisters * 8, getU32(block + 336));
    return stored == computed ? Ok : Failed;
}

} // namespace

int dumpCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() == 1 && (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))) {
        dumpHelp(out);
        return Ok;
    }
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        dumpHelp(err);
        return Usage;
    }
    // Only a regular file: a FIFO or a device would keep the command waiting or reading for ever.
    QString error;
    const std::optional<QByteArray> bytes = BoundedFile::read(args.first(), &error);
    if (!bytes) {
        err << error << "\n";
        return Failed;
    }
    return dumpImage(*bytes, args.first(), out, err);
}

int dumpImage(const QByteArray &bytes, const QString &name, QTextStream &out, QTextStream &err)
{
    if (bytes.size() == Bank2Image::FileSize)
        return dumpBank2(bytes, out);
    quint32 offsets[4];
    if (looksLikeBank(bytes, offsets))
        return dumpBank(bytes, offsets, out);
    err << name << " is neither a bank.bin nor a bank2.bin image\n";
    return Failed;
}

} // namespace Cli
