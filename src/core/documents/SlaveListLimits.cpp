#include "SlaveListLimits.h"

#include "DocumentSchema.h"
#include "XmlInput.h"

#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "base/ParseIntOrDefault.h"
#include "documents/ModbusMap.h"
#include "text/TextCatalog.h"

#include <QXmlStreamReader>

namespace {

// What the device takes and what the DeviceNet Network step accepts for one slave.
constexpr int MaxRows = 64; // the slots of the device's slave table (DeviceSlaveSlots of the image)
constexpr int MaxBytesPerSlave = 455;

bool byteCountFits(int count)
{
    return count >= 0 && count <= MaxBytesPerSlave;
}

// The rule for one row (1 for the first slave).
SlaveListLimitFailure checkRow(int row, int numByteIn, int numByteOut)
{
    if (row > MaxRows)
        return {row, 1202};
    if (!byteCountFits(numByteIn) || !byteCountFits(numByteOut))
        return {row, 1201};
    return {};
}

SlaveListLimitFailure countRows(XmlInput &input);

} // namespace

QString SlaveListLimitFailure::message(const TextCatalog &catalog) const
{
    return ok() ? QString() : catalog.text(textIndex).arg(row);
}

SlaveListLimitFailure checkSlaveListLimits(const ModbusMap &map)
{
    for (int i = 0; i < map.slaveCount(); ++i) {
        const SlaveListLimitFailure failure = checkRow(i + 1, map.slave(i).Num_Byte_IN, map.slave(i).Num_Byte_OUT);
        if (!failure.ok())
            return failure;
    }
    return {};
}

SlaveListLimitFailure checkSlaveListLimits(const QString &dnetNetPath)
{
    // Streamed and stopped at the first row past the limit, so a list of a million rows is refused
    // as quickly as one of 65. Rows are counted as the register map counts them: every element,
    // comment, processing instruction or text other than layout blanks under the root; a row that
    // is no element has no byte counts, which the map reads as 0.
    // What cannot be read (no regular file, too large) is left to the document reader, which refuses it
    // with its own message.
    QString unreadable;
    const std::optional<QByteArray> bytes = BoundedFile::read(dnetNetPath, &unreadable);
    if (!bytes)
        return {};
    // Decoded as the document readers decode it (a Windows-1252 list is read by the program's own table,
    // not by whatever the platform's Qt knows), so that the check counts the rows the map will hold.
    try {
        XmlInput input(*bytes, dnetNetPath);
        return countRows(input);
    } catch (const AppError &) {
        // What the readers refuse, they refuse with their own message.
        return {};
    }
}

namespace {

SlaveListLimitFailure countRows(XmlInput &input)
{
    QXmlStreamReader &reader = input.reader();
    int depth = 0;
    int row = 0;
    while (!input.atEnd()) {
        SlaveListLimitFailure failure;
        switch (input.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth == 2) {
                const QXmlStreamAttributes attributes = reader.attributes();
                failure = checkRow(
                    ++row,
                    ParseIntOrDefault(attributes.value(QLatin1String(Schema::DnetNet::InputBytes)).toString(), 0),
                    ParseIntOrDefault(attributes.value(QLatin1String(Schema::DnetNet::OutputBytes)).toString(), 0));
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        case QXmlStreamReader::Characters:
            if (depth == 1 && !reader.isWhitespace())
                failure = checkRow(++row, 0, 0);
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            if (depth == 1)
                failure = checkRow(++row, 0, 0);
            break;
        default:
            break;
        }
        if (!failure.ok())
            return failure;
    }
    // A document that is not well-formed: reading it for the map reports that.
    return {};
}

} // namespace
