#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// The few Modbus TCP frames the register monitor needs: a read request (function 3, read holding
// registers, or function 4, read input registers) behind its MBAP header, and the one parser of the
// answers. Nothing here writes to a device.
namespace ModbusFrame {

constexpr int ReadHoldingRegisters = 3;
constexpr int ReadInputRegisters = 4;
// The most registers one read may ask for: the answer's 250 data bytes fill the largest PDU.
constexpr int MaxRegistersPerRead = 125;
// MBAP header: transaction, protocol (0), length of what follows, unit.
constexpr int HeaderSize = 7;
// The largest frame on TCP: the header and a PDU of 253 bytes.
constexpr int MaxFrameSize = 260;

struct ReadRequest
{
    quint16 transaction = 0;
    quint8 unit = 1;
    quint8 function = ReadHoldingRegisters;
    quint16 start = 0;
    quint16 count = 1;
};

QByteArray encode(const ReadRequest &request);

// What does not fit in an answer, in the protocol's words: a catalog text ("transaction %1 instead of
// %2") and the values for its places, so that every language says it.
struct Problem
{
    int text = 0; // catalog index; 0 none
    QStringList values;

    bool operator==(const Problem &o) const { return text == o.text && values == o.values; }
};

enum class ReplyStatus {
    Incomplete, // more bytes must come before anything can be said
    Values,     // the registers asked for
    Exception,  // the device refused the request with an exception code
    Malformed,  // the bytes are no answer to this request: the stream cannot be trusted any more
};

struct Reply
{
    ReplyStatus status = ReplyStatus::Incomplete;
    int size = 0;                // bytes of the buffer that the answer takes (Values and Exception)
    QVector<quint16> values;     // Values: one per register asked for
    int exceptionCode = 0;       // Exception
    Problem problem;             // Malformed: what does not fit
};

// Reads the answer to the request from the start of the buffer. Checks the transaction identifier,
// the protocol identifier, the length, the unit, the function (or its exception form), the byte
// count and the number of registers. Bytes beyond the answer are left to the caller.
Reply parse(const QByteArray &buffer, const ReadRequest &request);

// The catalog text of the exception's name as the protocol names it ("ILLEGAL DATA ADDRESS"); 0 for a
// code the protocol does not name.
int exceptionNameText(int code);

} // namespace ModbusFrame
