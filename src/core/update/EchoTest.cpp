#include "EchoTest.h"

namespace EchoTest {

int PingReply(const IcmpEcho::Reply &reply)
{
    return reply.bytesReceived > 0 ? Answered : NotAnswered;
}

Outcome run(IcmpEcho &echo, const QString &host, int &ping_res, const Clock &clock, const Limits &limits)
{
    Outcome outcome;
    ping_res = NoReplyYet;
    const qint64 start = clock.nowMs();
    const QByteArray data = host.toUtf8();
    int successes = 0;
    for (;;) {
        const qint64 attemptStart = clock.nowMs();
        ++outcome.attempts;
        const IcmpEcho::Reply reply = echo.echo(host, data, limits.replyMs);
        if (!reply.sent) {
            outcome.error = reply.error;
            outcome.answered = false;
            return outcome;
        }
        ping_res = PingReply(reply);
        // The echo facility answers synchronously, so ping_res is known here and this is a single
        // pause in which the window repaints and takes clicks between two requests.
        do {
            clock.pause(limits.pauseMs);
        } while (ping_res == NoReplyYet && clock.nowMs() - attemptStart <= limits.replyMs);
        if (ping_res == Answered)
            ++successes;
        if (successes >= limits.successes || clock.nowMs() - start > limits.overallMs)
            break;
    }
    outcome.answered = ping_res == Answered;
    return outcome;
}

} // namespace EchoTest
