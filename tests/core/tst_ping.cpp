#include "update/EchoTest.h"

#include <QtTest>

namespace {

// A device on a fake clock: attempt n is answered when script[n] is 'y', silent for 'n', cannot be
// resolved for 'x'; beyond the script it stays silent. An answer takes replyDelayMs, silence the
// whole time-out.
class ScriptedEcho : public IcmpEcho
{
public:
    ScriptedEcho(QByteArray script, int replyDelayMs, qint64 &now)
        : m_script(std::move(script))
        , m_replyDelayMs(replyDelayMs)
        , m_now(now)
    {}
    QStringList requests;

    Reply echo(const QString &host, const QByteArray &data, int timeoutMs) override
    {
        requests.append(host + QLatin1Char('|') + QString::fromUtf8(data) + QLatin1Char('|') +
                        QString::number(timeoutMs));
        const char what = m_attempt < m_script.size() ? m_script.at(m_attempt) : 'n';
        ++m_attempt;
        Reply reply;
        if (what == 'x') {
            reply.error = QStringLiteral("not a valid host");
            return reply;
        }
        reply.sent = true;
        if (what == 'y') {
            m_now += m_replyDelayMs;
            reply.bytesReceived = 8 + int(data.size());
        } else {
            m_now += timeoutMs;
        }
        return reply;
    }

private:
    QByteArray m_script;
    int m_replyDelayMs;
    int m_attempt = 0;
    qint64 &m_now;
};

} // namespace

class TestPing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pingReply();
    void attempts_data();
    void attempts();
};

void TestPing::pingReply()
{
    IcmpEcho::Reply reply;
    reply.sent = true;
    QCOMPARE(EchoTest::PingReply(reply), int(EchoTest::NotAnswered));
    reply.bytesReceived = 1;
    QCOMPARE(EchoTest::PingReply(reply), int(EchoTest::Answered));
}

void TestPing::attempts_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("replyDelayMs");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<int>("pingRes");
    QTest::addColumn<int>("attempts");

    // Each silent attempt costs 400 ms plus the 10 ms pause: the thirteenth ends past 5000 ms.
    QTest::newRow("answers twice") << QByteArray("yy") << 5 << true << 1 << 2;
    QTest::newRow("answers every other time") << QByteArray("ynny") << 5 << true << 1 << 4;
    QTest::newRow("never answers") << QByteArray() << 5 << false << 2 << 13;
    QTest::newRow("answers only at the end") << QByteArray("nnnnnnnnnnnny") << 100 << true << 1 << 13;
    // One answer, then a silent attempt still starts before the limit: the silence decides.
    QTest::newRow("answers once, then silent") << QByteArray("nnnnnnnnnnnny") << 5 << false << 2 << 14;
    // Twelve silent attempts and an answer of 70 ms end exactly at 5000 ms: not more than the limit,
    // so one more attempt starts, and its silence decides.
    QTest::newRow("exactly 5000 ms, then silent") << QByteArray("nnnnnnnnnnnny") << 70 << false << 2 << 14;
    QTest::newRow("cannot resolve") << QByteArray("x") << 5 << false << 0 << 1;
    // A later failure to send ends the test; the earlier silence stays in ping_res.
    QTest::newRow("silent, then cannot send") << QByteArray("nx") << 5 << false << 2 << 2;
}

void TestPing::attempts()
{
    QFETCH(QByteArray, script);
    QFETCH(int, replyDelayMs);
    QFETCH(bool, answered);
    QFETCH(int, pingRes);
    QFETCH(int, attempts);

    qint64 now = 1000000;
    ScriptedEcho echo(script, replyDelayMs, now);
    EchoTest::Clock clock;
    clock.nowMs = [&now] { return now; };
    int pauses = 0;
    clock.pause = [&](int ms) {
        ++pauses;
        now += ms;
    };

    int ping_res = 77;
    const EchoTest::Outcome outcome = EchoTest::run(echo, QStringLiteral("192.168.2.205"), ping_res, clock);
    QCOMPARE(outcome.answered, answered);
    QCOMPARE(ping_res, pingRes);
    QCOMPARE(outcome.attempts, attempts);
    QCOMPARE(echo.requests.size(), attempts);
    // The address text is both the host and the data of every request; replies wait 400 ms at most.
    QCOMPARE(echo.requests.first(), QStringLiteral("192.168.2.205|192.168.2.205|400"));
    QCOMPARE(outcome.error.isEmpty(), !script.contains('x'));
    // One pause after every request that went out.
    QCOMPARE(pauses, script.contains('x') ? attempts - 1 : attempts);
}

QTEST_GUILESS_MAIN(TestPing)
#include "tst_ping.moc"
