#include "BankImage.h"

#include "ByteWriter.h"
#include "DeviceConfigRecord.h"
#include "app/AppError.h"

namespace {

class BankWriter
{
public:
    explicit BankWriter(BankImage &image)
        : m_data(reinterpret_cast<uchar *>(image.buffer.data()))
    {}
    // Refuses before writing anything that would not fit the device's buffer.
    uchar *reserve(int size, const QString &what)
    {
        if (m_position + size > BankImage::Capacity)
            throw AppError(QStringLiteral("The configuration is too large: bank.bin would exceed its limit of %1 "
                                          "bytes (at %2)")
                               .arg(BankImage::Capacity)
                               .arg(what));
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

    const QString nrDNNode = QStringLiteral("NrDNNode");
    const QString index = QStringLiteral("Index");
    const QString posComp = QStringLiteral("PosComp");
    int rowNumber = 0;
    for (int row = tree.firstRow(section); row != XmlTree::None; row = tree.nextSibling(row)) {
        ++rowNumber;
        const QString where = sectionName + QStringLiteral(" row ") + QString::number(rowNumber);
        const int node = attributeAsInteger(source, row, where, nrDNNode);
        // Rows of slaves beyond the list are left out; rows numbered 0 or below are kept as they are.
        if (node > slaveCountByte)
            continue;
        ++count;
        const int registerIndex = attributeAsInteger(source, row, where, index);
        const int position = attributeAsInteger(source, row, where, posComp);
        uchar *record = writer.reserve(BankImage::RegisterRecordSize, source.path + QStringLiteral(", ") + where);
        putU16(record, quint32(registerIndex));
        putU32(record + 2, quint32(position));
        putU8(record + 6, quint32(node) - 1);
    }
}

} // namespace

void BuildBankImage(BankImage &image, ImageSources &sources)
{
    if (image.buffer.size() != BankImage::Capacity)
        image.buffer = QByteArray(BankImage::Capacity, '\0');
    image.length = 0;
    BankWriter writer(image);
    writer.reserve(BankImage::HeaderSize, QStringLiteral("the header"));
    putU32(writer.at(0), BankImage::HeaderSize);

    int slaveCountByte = 0;
    quint32 inputSum = 0;
    quint32 outputSum = 0;
    quint32 readCount = 0;
    quint32 writeCount = 0;

    const SourceDocument &dnetNet = sources.dnetNet();
    if (dnetNet.exists()) {
        const XmlTree &tree = dnetNet.tree;
        const int rows = tree.rowCount(dnetNet.root());
        if (rows > MaxSlaves)
            throw AppError(QStringLiteral("%1: %2 slave rows; the device holds at most %3 slaves")
                               .arg(dnetNet.path)
                               .arg(rows)
                               .arg(MaxSlaves));
        slaveCountByte = rows % 256;
        int rowNumber = 0;
        for (int row = tree.firstRow(dnetNet.root()); row != XmlTree::None; row = tree.nextSibling(row)) {
            const QString where = QStringLiteral("row ") + QString::number(++rowNumber);
            const int id = attributeAsInteger(dnetNet, row, where, QStringLiteral("ID"));
            const int nbIn = attributeAsInteger(dnetNet, row, where, QStringLiteral("NB_IN"));
            const int nbOut = attributeAsInteger(dnetNet, row, where, QStringLiteral("NB_OUT"));
            uchar *record = writer.reserve(BankImage::SlaveRecordSize, dnetNet.path + QStringLiteral(", ") + where);
            putU8(record, quint32(id));
            putU16(record + 1, quint32(nbIn));
            putU16(record + 3, quint32(nbOut));
            putU16(record + 5, inputSum);
            putU16(record + 7, outputSum);
            inputSum = (inputSum + quint32(nbIn)) & 0xFFFF;
            outputSum = (outputSum + quint32(nbOut)) & 0xFFFF;
        }
    }
    putU32(writer.at(4), quint32(writer.position()));

    const SourceDocument &defReg = sources.defReg();
    if (defReg.exists())
        writeSection(writer, defReg, QStringLiteral("Modbus_Read"), slaveCountByte, readCount);
    putU32(writer.at(8), quint32(writer.position()));
    if (defReg.exists())
        writeSection(writer, defReg, QStringLiteral("Modbus_Write"), slaveCountByte, writeCount);
    putU32(writer.at(12), quint32(writer.position()));

    const SourceDocument &parGen = sources.bankParGen();
    if (parGen.exists()) {
        const int root = parGen.root();
        static const char *const byteElements[] = {
            "DNET_DEV_ID",  "DNET_BAUD",  "MTCPs_IP1",  "MTCPs_IP2",  "MTCPs_IP3",
            "MTCPs_IP4",    "MTCPs_SUB1", "MTCPs_SUB2", "MTCPs_SUB3", "MTCPs_SUB4",
            "MTCPs_EN_GAT", "MTCPs_GAT1", "MTCPs_GAT2", "MTCPs_GAT3", "MTCPs_GAT4",
        };
        int values[15];
        for (int i = 0; i < 15; ++i)
            values[i] = elementAsInteger(parGen, root, QLatin1String(byteElements[i]));
        const int port = elementAsInteger(parGen, root, QStringLiteral("MTCPs_PORT"));
        int slaveState = 0;
        try {
            slaveState = elementAsInteger(parGen, root, QStringLiteral("MTCPs_DN_State"));
        } catch (const AppError &) {
            slaveState = 0; // the only parameter with a fallback
        }
        uchar *section = writer.reserve(BankImage::ParameterSectionSize, QStringLiteral("the parameter section"));
        for (int i = 0; i < 15; ++i)
            putU8(section + i, quint32(values[i]));
        putU16(section + 15, quint32(port));
        putU8(section + 17, quint32(slaveCountByte));
        putU16(section + 18, readCount);
        putU16(section + 20, writeCount);
        putU16(section + 22, quint32(slaveState));
    }
    image.length = writer.position();
}
