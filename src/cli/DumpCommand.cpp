#include "Cli.h"
#include "Commands.h"

#include "base/BoundedFile.h"
#include "image/Bank2Image.h"
#include "image/BankImage.h"
#include "image/ByteWriter.h"
#include "image/DeviceConfigRecord.h"

#include <QFile>
#include <QVector>

#include <algorithm>

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
    for (quint32 i = 0; i < count; ++i)
        out << "  " << (i + 1) << ": "
            << recordText(data + from + i * BankImage::RegisterRecordSize, bankRegisterLayout) << "\n";
}

int dumpBank(const QByteArray &bytes, const quint32 offsets[4], QTextStream &out)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint32 slaves = (offsets[1] - offsets[0]) / BankImage::SlaveRecordSize;
    const quint32 reads = (offsets[2] - offsets[1]) / BankImage::RegisterRecordSize;
    const quint32 writes = (offsets[3] - offsets[2]) / BankImage::RegisterRecordSize;
    const bool noParameters = bytes.size() == qint64(offsets[3]);

    out << "bank.bin, " << bytes.size() << " bytes\n";
    out << "Header\n";
    for (const auto &field : bankHeaderLayout) {
        const bool absent = noParameters && QLatin1String(field.name) == QLatin1String("parameter section");
        line(out, field.name, fieldText(data, field) + (absent ? QStringLiteral(" (absent)") : QString()));
    }
    out << "Slaves (" << slaves << ")\n";
    for (quint32 i = 0; i < slaves; ++i)
        out << "  " << (i + 1) << ": "
            << recordText(data + offsets[0] + i * BankImage::SlaveRecordSize, bankSlaveLayout) << "\n";
    dumpRegisterRecords(out, "Read registers", data, offsets[1], offsets[2]);
    dumpRegisterRecords(out, "Write registers", data, offsets[2], offsets[3]);

    if (noParameters) {
        out << "Parameters: none (the configuration has no ParGen.xml)\n";
        return Ok;
    }
    const uchar *p = data + offsets[3];
    out << "Parameters\n";
    for (const auto &field : bankParameterLayout)
        line(out, field.name, fieldText(p, field));
    if (fieldNumber(p, bankParameterLayout, "slave count") != slaves % 256 ||
        fieldNumber(p, bankParameterLayout, "read count") != reads % 65536 ||
        fieldNumber(p, bankParameterLayout, "write count") != writes % 65536)
        out << "Note: the counts in the parameter section differ from the records in the file\n";
    return Ok;
}

// Block offsets of the parameter fields that documents fill (and of the checksum); all other bytes are fixed.
QVector<bool> filledBytes()
{
    QVector<bool> filled(Bank2Image::ParameterBlockSize, false);
    for (const auto &field : parameterBlockLayout) {
        if (!field.fixed)
            std::fill(filled.begin() + field.offset, filled.begin() + field.offset + field.width, true);
    }
    std::fill(filled.begin() + Bank2Image::ChecksumOffset, filled.begin() + Bank2Image::ChecksumOffset + 4, true);
    return filled;
}

void dumpRegisterTable(QTextStream &out, const char *title, const uchar *table, quint32 count)
{
    const int entry = Bank2Image::RegisterEntrySize;
    const quint32 listed = qMin(count, quint32(MaxRegisters));
    out << title << " (" << count << ")\n";
    for (quint32 i = 0; i < listed; ++i) {
        const uchar *r = table + i * entry;
        out << "  slot " << i << ": " << recordText(r, registerEntryLayout) << (r[7] ? ", last byte not zero" : "")
            << "\n";
    }
    int used = 0;
    for (int i = int(listed) * entry; i < MaxRegisters * entry; ++i)
        used += table[i] != 0;
    if (used)
        out << "  Note: " << used << " bytes beyond the count are not zero\n";
}

int dumpBank2(const QByteArray &bytes, QTextStream &out)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const uchar *block = data + Bank2Image::ParameterBlockOffset;
    const int entry = Bank2Image::RegisterEntrySize;

    out << "bank2.bin, " << bytes.size() << " bytes\n";
    out << "Sections\n";
    line(out, "read table", QStringLiteral("offset 0, %1 slots of %2 bytes").arg(MaxRegisters).arg(entry));
    line(out, "write table",
         QStringLiteral("offset %1, %2 slots of %3 bytes").arg(MaxRegisters * entry).arg(MaxRegisters).arg(entry));
    line(out, "parameter block",
         QStringLiteral("offset %1, %2 bytes")
             .arg(Bank2Image::ParameterBlockOffset)
             .arg(Bank2Image::ParameterBlockSize));
    line(out, "slave table",
         QStringLiteral("offset %1, %2 slots of %3 bytes")
             .arg(Bank2Image::SlaveTableOffset)
             .arg(DeviceSlaveSlots)
             .arg(Bank2Image::SlaveEntrySize));

    out << "Parameters\n";
    for (const auto &field : parameterBlockLayout) {
        if (!field.fixed)
            line(out, field.name, fieldText(block, field));
    }

    // The fixed fields compared with the block of a freshly reset record.
    auto reference = std::make_unique<DeviceConfigRecord>();
    ResetDeviceConfig(*reference);
    Bank2Image resetImage;
    SerialiseParameterBlock(*reference, resetImage, 0);
    const auto *expected = reinterpret_cast<const uchar *>(resetImage.buffer.constData());
    const QVector<bool> filled = filledBytes();
    int unusual = 0;
    for (int i = 0; i < Bank2Image::ChecksumOffset; ++i) {
        if (!filled[i] && block[i] != expected[i]) {
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

    const quint32 slaveCount = fieldNumber(block, parameterBlockLayout, "SlaveCount");
    const quint32 listedSlaves = qMin(slaveCount, quint32(DeviceSlaveSlots));
    out << "Slaves (" << slaveCount << ")\n";
    const uchar *slaves = data + Bank2Image::SlaveTableOffset;
    for (quint32 i = 0; i < listedSlaves; ++i)
        out << "  slot " << i << ": " << recordText(slaves + i * Bank2Image::SlaveEntrySize, slaveEntryLayout) << "\n";
    int slaveBytes = 0;
    for (int i = int(listedSlaves) * Bank2Image::SlaveEntrySize; i < Bank2Image::SlaveTableSize; ++i)
        slaveBytes += slaves[i] != 0;
    if (slaveBytes)
        out << "  Note: " << slaveBytes << " bytes beyond the count are not zero\n";
    dumpRegisterTable(out, "Read registers", data, fieldNumber(block, parameterBlockLayout, "ReadCount"));
    dumpRegisterTable(out, "Write registers", data + MaxRegisters * entry,
                      fieldNumber(block, parameterBlockLayout, "WriteCount"));
    return stored == computed ? Ok : Failed;
}

} // namespace

int dumpCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (const int code = helpOrUsage(args, out, err, dumpHelp); code >= 0)
        return code;
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
