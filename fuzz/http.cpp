// The reply parser of the version check. The first byte sets the size of the pieces in which the rest
// arrives, as a server's reply comes in several reads; the body found is judged as the version check does.
#include "FuzzSupport.h"

#include "HttpReplyReader.h"
#include "text/VersionCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype piece = qsizetype(data[0]) + 1;
    const QByteArray reply = FuzzSupport::bytes(data + 1, size - 1);
    ReplyReader reader(VersionCheck::MaxReplyBytes);
    ReplyReader::State state = ReplyReader::State::Reading;
    for (qsizetype at = 0; at < reply.size() && state == ReplyReader::State::Reading; at += piece)
        state = reader.add(reply.mid(at, piece));
    if (state == ReplyReader::State::Failed)
        return 0;
    const std::optional<QByteArray> body = reader.finish();
    if (state == ReplyReader::State::Complete && !body)
        std::abort(); // a complete reply must give its body
    if (body) {
        if (body->size() > VersionCheck::MaxReplyBytes)
            std::abort();
        isNewerVersionReply(*body);
        Conv_Version(QString::fromLatin1(*body));
    }
    return 0;
}
