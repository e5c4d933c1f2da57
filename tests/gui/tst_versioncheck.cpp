// The version check against a real HTTP server on 127.0.0.1, and the main window's check timer.
#include "PlatformServices.h"
#include "TFFabricoreFirmWare.h"
#include "TestWorkspace.h"
#include "base/ProductIdentity.h"
#include "text/VersionCheck.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {

// Answers every request with one canned reply, then closes; records what it received.
class LocalHttpServer : public QTcpServer
{
public:
    QByteArray reply;
    bool answer = true; // false: accept, then say nothing
    QList<QByteArray> requests;

    LocalHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                auto *received = new QByteArray;
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                    *received += socket->readAll();
                    if (!received->contains("\r\n\r\n"))
                        return;
                    requests.append(*received);
                    if (!answer)
                        return;
                    socket->write(reply);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, [socket, received] {
                    delete received;
                    socket->deleteLater();
                });
            }
        });
    }
};

class FakeHttp : public HttpClient
{
public:
    std::optional<QByteArray> body;
    int calls = 0;
    std::optional<QByteArray> get(const QString &, quint16, const QString &, const Headers &, int, qint64) override
    {
        ++calls;
        return body;
    }
};

QByteArray ok(const QByteArray &body)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

} // namespace

class TestVersionCheck : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void reply_data();
    void reply();
    void requestAsSent();
    void noServerListening();
    void silentServerTimesOut();
    void timerRunsOnlyWithBothOptions_data();
    void timerRunsOnlyWithBothOptions();
    void timerTickShowsOrHidesLink();
    void timerRepeatsAfterEachTick();
};

void TestVersionCheck::reply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("newer");

    QTest::newRow("newer") << ok("VER. 2.005") << true;
    QTest::newRow("equal, any case") << ok("Ver. 2.004") << false;
    QTest::newRow("no version known") << ok("ver. 0.000") << false;
    QTest::newRow("two-digit major does not convert") << ok("VER. 12.000") << false;
    QTest::newRow("HTTP/1.1 reply with length")
        << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nVER. 2.005") << true;
    QTest::newRow("length shorter than sent")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nVER. 2.005 and more") << true;
    QTest::newRow("cut short of its length")
        << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nVER. 2.005") << false;
    QTest::newRow("error status") << QByteArray("HTTP/1.0 500 Internal Server Error\r\n\r\nVER. 9.999") << false;
    QTest::newRow("not found") << QByteArray("HTTP/1.0 404 Not Found\r\n\r\nVER. 9.999") << false;
    QTest::newRow("redirect not followed")
        << QByteArray("HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\nVER. 9.999") << false;
    QTest::newRow("not HTTP at all") << QByteArray("VER. 9.999") << false;
    QTest::newRow("chunked") << QByteArray(
                                    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\nVER. 2.005\r\n0\r\n\r\n")
                             << false;
    // The blanks would be trimmed away: only the length makes it no version.
    QTest::newRow("body one byte over 64 KiB") << ok("VER. 9.999" + QByteArray(64 * 1024 - 9, ' ')) << false;
    QTest::newRow("body of exactly 64 KiB") << ok("VER. 9.999" + QByteArray(64 * 1024 - 10, ' ')) << true;
    QTest::newRow("huge body") << ok(QByteArray(2 * 1024 * 1024, 'x')) << false;
    QTest::newRow("binary body") << ok(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x30", 20)) << false;
}

void TestVersionCheck::reply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, newer);
    LocalHttpServer server;
    server.reply = reply;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto http = createHttpClient();
    QCOMPARE(Check_Version(*http, VersionService{QStringLiteral("127.0.0.1"), server.serverPort()}), newer);
    QCOMPARE(server.requests.size(), 1); // one request, no follow-up
}

void TestVersionCheck::requestAsSent()
{
    LocalHttpServer server;
    server.reply = ok("VER. 2.004");
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto http = createHttpClient();
    Check_Version(*http, VersionService{QStringLiteral("127.0.0.1"), server.serverPort()});
    QCOMPARE(server.requests.size(), 1);
    const QByteArray expected = "GET /home/download/GetversionSW.asp?nomesw=SW40917 HTTP/1.0\r\n"
                                "Host: 127.0.0.1:" +
                                QByteArray::number(server.serverPort()) +
                                "\r\n"
                                "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n"
                                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                                "\r\n";
    QCOMPARE(server.requests.first(), expected);
}

void TestVersionCheck::noServerListening()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    auto http = createHttpClient();
    QVERIFY(!Check_Version(*http, VersionService{QStringLiteral("127.0.0.1"), port}));
}

void TestVersionCheck::silentServerTimesOut()
{
    LocalHttpServer server;
    server.answer = false;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    auto http = createHttpClient();
    // Timers keep running while the client waits: the windows repaint meanwhile.
    bool timerRan = false;
    QTimer::singleShot(20, [&timerRan] { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    const auto body = http->get(QStringLiteral("127.0.0.1"), server.serverPort(), Product::versionQueryPath(), {}, 300,
                                VersionCheck::MaxReplyBytes);
    QVERIFY(!body);
    QVERIFY(clock.elapsed() >= 250);
    QVERIFY(timerRan);
    QCOMPARE(server.requests.size(), 1);
}

void TestVersionCheck::timerRunsOnlyWithBothOptions_data()
{
    QTest::addColumn<bool>("internet");
    QTest::addColumn<bool>("update");
    QTest::newRow("both on") << true << true;
    QTest::newRow("internet only") << true << false;
    QTest::newRow("update only") << false << true;
    QTest::newRow("both off") << false << false;
}

void TestVersionCheck::timerRunsOnlyWithBothOptions()
{
    QFETCH(bool, internet);
    QFETCH(bool, update);
    TestWorkspace ws;
    AppSettings stored;
    stored.enable_internet = internet;
    stored.enable_update = update;
    stored.write(ws.context.settingsPath());
    TFFabricoreFirmWare main(ws.context);
    QCOMPARE(main.timerUpdate()->isActive(), internet && update);
    QCOMPARE(main.timerUpdate()->interval(), 60000);

    // The options change: the timer follows at once.
    ws.context.settings.enable_internet = !internet;
    ws.context.settings.enable_update = true;
    main.applyTimerState();
    QCOMPARE(main.timerUpdate()->isActive(), !internet);
}

void TestVersionCheck::timerTickShowsOrHidesLink()
{
    TestWorkspace ws;
    FakeHttp http;
    ws.context.platform.http = &http;
    TFFabricoreFirmWare main(ws.context);
    main.show();
    auto *link = main.findChild<QLabel *>(QStringLiteral("LL_Update"));
    QVERIFY(link);

    http.body = QByteArray("VER. 2.005");
    main.Timer_UpdateTimer();
    QVERIFY(link->isVisible());
    QVERIFY(link->text().contains(Product::downloadPageUrl()));
    QVERIFY(link->text().contains(ws.context.text(19)));
    QCOMPARE(main.timerUpdate()->interval(), 7200000);
    QVERIFY(main.timerUpdate()->isActive());

    http.body.reset();
    main.Timer_UpdateTimer();
    QVERIFY(!link->isVisible());
    QCOMPARE(main.timerUpdate()->interval(), 7200000);
}

void TestVersionCheck::timerRepeatsAfterEachTick()
{
    TestWorkspace ws;
    AppSettings stored;
    stored.enable_internet = true;
    stored.enable_update = true;
    stored.write(ws.context.settingsPath());
    FakeHttp http;
    ws.context.platform.http = &http;
    TFFabricoreFirmWare main(ws.context);
    main.setTimerIntervals(30, 60);
    QTRY_VERIFY_WITH_TIMEOUT(http.calls >= 3, 5000);
    QCOMPARE(main.timerUpdate()->interval(), 60);
}

QTEST_MAIN(TestVersionCheck)
#include "tst_versioncheck.moc"
