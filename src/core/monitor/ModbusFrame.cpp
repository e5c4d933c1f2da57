#include "ModbusFrame.h"

namespace {

quint16 word(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes.at(at)) << 8) | quint8(bytes.at(at + 1)));
}

void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

ModbusFrame::Reply malformed(const QString &problem)
{
    ModbusFrame::Reply reply;
    reply.status = ModbusFrame::ReplyStatus::Malformed;
    reply.problem = problem;
    return reply;
}

} // namespace

namespace ModbusFrame {

QByteArray encode(const ReadRequest &request)
{
    QByteArray frame;
    frame.reserve(12);
    appendWord(frame, request.transaction);
    appendWord(frame, 0); // protocol: Modbus
    appendWord(frame, 6); // unit, function, start, count
    frame.append(char(request.unit));
    frame.append(char(request.function));
    appendWord(frame, request.start);
    appendWord(frame, request.count);
    return frame;
}

Reply parse(const QByteArray &buffer, const ReadRequest &request)
{
    if (buffer.size() < HeaderSize)
        return {};
    const quint16 transaction = word(buffer, 0);
    if (transaction != request.transaction)
        return malformed(QStringLiteral("transaction %1 instead of %2").arg(transaction).arg(request.transaction));
    const quint16 protocol = word(buffer, 2);
    if (protocol != 0)
        return malformed(QStringLiteral("protocol %1 instead of 0").arg(protocol));
    // The length counts the unit and the PDU; a PDU holds at least the function code.
    const int length = word(buffer, 4);
    if (length < 2 || HeaderSize - 1 + length > MaxFrameSize)
        return malformed(QStringLiteral("length %1 out of range").arg(length));
    const quint8 unit = quint8(buffer.at(6));
    if (unit != request.unit)
        return malformed(QStringLiteral("unit %1 instead of %2").arg(unit).arg(request.unit));
    const int frameSize = HeaderSize - 1 + length;
    // The function code and what it announces can be judged before the whole frame is in.
    if (buffer.size() < HeaderSize + 1)
        return {};
    const quint8 function = quint8(buffer.at(HeaderSize));
    if (function == (request.function | 0x80)) {
        if (length != 3)
            return malformed(QStringLiteral("exception answer of length %1 instead of 3").arg(length));
        if (buffer.size() < frameSize)
            return {};
        Reply reply;
        reply.status = ReplyStatus::Exception;
        reply.size = frameSize;
        reply.exceptionCode = quint8(buffer.at(HeaderSize + 1));
        return reply;
    }
    if (function != request.function)
        return malformed(QStringLiteral("function %1 instead of %2").arg(function).arg(request.function));
    if (buffer.size() < HeaderSize + 2)
        return {};
    const int byteCount = quint8(buffer.at(HeaderSize + 1));
    if (byteCount != 2 * request.count)
        return malformed(QStringLiteral("%1 data bytes instead of %2").arg(byteCount).arg(2 * request.count));
    if (length != 3 + byteCount)
        return malformed(QStringLiteral("length %1 instead of %2").arg(length).arg(3 + byteCount));
    if (buffer.size() < frameSize)
        return {};
    Reply reply;
    reply.status = ReplyStatus::Values;
    reply.size = frameSize;
    reply.values.reserve(request.count);
    for (int i = 0; i < request.count; ++i)
        reply.values.append(word(buffer, HeaderSize + 2 + 2 * i));
    return reply;
}

QString exceptionName(int code)
{
    switch (code) {
    case 0x01:
        return QStringLiteral("ILLEGAL FUNCTION");
    case 0x02:
        return QStringLiteral("ILLEGAL DATA ADDRESS");
    case 0x03:
        return QStringLiteral("ILLEGAL DATA VALUE");
    case 0x04:
        return QStringLiteral("SERVER DEVICE FAILURE");
    case 0x05:
        return QStringLiteral("ACKNOWLEDGE");
    case 0x06:
        return QStringLiteral("SERVER DEVICE BUSY");
    case 0x08:
        return QStringLiteral("MEMORY PARITY ERROR");
    case 0x0A:
        return QStringLiteral("GATEWAY PATH UNAVAILABLE");
    case 0x0B:
        return QStringLiteral("GATEWAY TARGET DEVICE FAILED TO RESPOND");
    default:
        return QString();
    }
}

} // namespace ModbusFrame
