#pragma once

#include "platform/IcmpEcho.h"

#include <QString>
#include <functional>

// The echo test that decides whether the device is reachable before an update over Ethernet.
// Each attempt sends one echo request whose data is the address text itself; the test stops after
// two answered attempts or once more than the overall limit has passed. The outcome of the latest
// attempt decides, so a device that answered early and then fell silent is not accepted.
namespace EchoTest {

// Values of ping_res.
enum PingResult : int { NoReplyYet = 0, Answered = 1, NotAnswered = 2 };

struct Limits
{
    int overallMs = 5000; // no new attempt once more than this has passed since the start
    int replyMs = 400;    // reply time-out of one request
    int pauseMs = 10;     // pause (with pending events processed) after each request
    int successes = 2;    // answered attempts that end the test early
};

// The clock and the pause, replaceable so that tests run the loop without real waiting.
struct Clock
{
    std::function<qint64()> nowMs;     // monotonic milliseconds
    std::function<void(int ms)> pause; // waits and keeps the user interface alive
};

// ping_res for one reply: answered when it reports received bytes.
int PingReply(const IcmpEcho::Reply &reply);

struct Outcome
{
    bool answered = false;
    int attempts = 0;
    QString error; // set when a request could not be sent (address not usable)
};

// Runs the test against host. ping_res is set as replies come and keeps its value when a request
// cannot be sent (0 when nothing was answered before). answered is true when ping_res is 1 at the end.
Outcome run(IcmpEcho &echo, const QString &host, int &ping_res, const Clock &clock, const Limits &limits = {});

} // namespace EchoTest
