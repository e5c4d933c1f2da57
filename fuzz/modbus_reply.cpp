// The answer parser of the register monitor. The first six bytes make the request (transaction,
// unit, function 3 or 4, register count 1 to 125); the rest is what came back, parsed as it grows
// piece by piece the way a socket hands it over. Whatever it says must agree with the bytes.
#include "FuzzSupport.h"

#include "monitor/ModbusFrame.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    ModbusFrame::ReadRequest request;
    request.transaction = quint16((data[0] << 8) | data[1]);
    request.unit = data[2];
    request.function = (data[3] & 1) ? ModbusFrame::ReadInputRegisters : ModbusFrame::ReadHoldingRegisters;
    request.count = quint16(data[4] % ModbusFrame::MaxRegistersPerRead + 1);
    const qsizetype piece = qsizetype(data[5] % 16) + 1;
    const QByteArray reply = FuzzSupport::bytes(data + 6, size - 6);
    if (ModbusFrame::encode(request).size() != 12)
        std::abort();
    for (qsizetype have = piece;; have += piece) {
        have = std::min(have, reply.size());
        const QByteArray buffer = reply.left(have);
        const ModbusFrame::Reply r = ModbusFrame::parse(buffer, request);
        switch (r.status) {
        case ModbusFrame::ReplyStatus::Incomplete:
            break;
        case ModbusFrame::ReplyStatus::Malformed:
            if (r.problem.text == 0)
                std::abort();
            return 0;
        case ModbusFrame::ReplyStatus::Values:
            if (r.values.size() != request.count || r.size != 9 + 2 * request.count || r.size > buffer.size() ||
                quint8(buffer.at(7)) != request.function)
                std::abort();
            return 0;
        case ModbusFrame::ReplyStatus::Exception:
            if (r.size != 9 || r.size > buffer.size() || quint8(buffer.at(7)) != (request.function | 0x80))
                std::abort();
            return 0;
        }
        if (have == reply.size())
            break;
    }
    return 0;
}
