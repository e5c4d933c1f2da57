#include "ModbusFrame.h"

#include <initializer_list>

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

ModbusFrame::Reply malformed(int text, std::initializer_list<int> values)
{
    ModbusFrame::Reply reply;
    reply.status = ModbusFrame::ReplyStatus::Malformed;
    reply.problem.text = text;
    for (int v : values)
        reply.problem.values.append(QString::number(v));
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
        return malformed(1620, {transaction, request.transaction});
    const quint16 protocol = word(buffer, 2);
    if (protocol != 0)
        return malformed(1621, {protocol});
    // The length counts the unit and the PDU; a PDU holds at least the function code.
    const int length = word(buffer, 4);
    if (length < 2 || HeaderSize - 1 + length > MaxFrameSize)
        return malformed(1622, {length});
    const quint8 unit = quint8(buffer.at(6));
    if (unit != request.unit)
        return malformed(1623, {unit, request.unit});
    const int frameSize = HeaderSize - 1 + length;
    // The function code and what it announces can be judged before the whole frame is in.
    if (buffer.size() < HeaderSize + 1)
        return {};
    const quint8 function = quint8(buffer.at(HeaderSize));
    if (function == (request.function | 0x80)) {
        if (length != 3)
            return malformed(1624, {length});
        if (buffer.size() < frameSize)
            return {};
        Reply reply;
        reply.status = ReplyStatus::Exception;
        reply.size = frameSize;
        reply.exceptionCode = quint8(buffer.at(HeaderSize + 1));
        return reply;
    }
    if (function != request.function)
        return malformed(1625, {function, request.function});
    if (buffer.size() < HeaderSize + 2)
        return {};
    const int byteCount = quint8(buffer.at(HeaderSize + 1));
    if (byteCount != 2 * request.count)
        return malformed(1626, {byteCount, 2 * request.count});
    if (length != 3 + byteCount)
        return malformed(1627, {length, 3 + byteCount});
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

int exceptionNameText(int code)
{
    switch (code) {
    case 0x01:
        return 1631; // ILLEGAL FUNCTION
    case 0x02:
        return 1632; // ILLEGAL DATA ADDRESS
    case 0x03:
        return 1633; // ILLEGAL DATA VALUE
    case 0x04:
        return 1634; // SERVER DEVICE FAILURE
    case 0x05:
        return 1635; // ACKNOWLEDGE
    case 0x06:
        return 1636; // SERVER DEVICE BUSY
    case 0x08:
        return 1637; // MEMORY PARITY ERROR
    case 0x0A:
        return 1638; // GATEWAY PATH UNAVAILABLE
    case 0x0B:
        return 1639; // GATEWAY TARGET DEVICE FAILED TO RESPOND
    default:
        return 0;
    }
}

} // namespace ModbusFrame
