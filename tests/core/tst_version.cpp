// Reading version numbers and deciding on the service's reply.
#include "text/VersionCheck.h"

#include <QTest>

class TestVersion : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void convVersion_data();
    void convVersion();
    void reply_data();
    void reply();
};

void TestVersion::convVersion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("local version") << QStringLiteral("2.004") << 2004;
    QTest::newRow("reply") << QStringLiteral("VER. 2.005") << 2005;
    QTest::newRow("blanks around") << QStringLiteral("VER.   2.005 \r\n") << 2005;
    QTest::newRow("two-digit major") << QStringLiteral("VER. 12.000") << -1;
    QTest::newRow("too short") << QStringLiteral("VER. 2.00") << -1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("hexadecimal is no version") << QStringLiteral("VER. $.FFF") << -1;
    QTest::newRow("sign is no version") << QStringLiteral("VER. +.999") << -1;
    QTest::newRow("web page") << QStringLiteral("<html><body>Not here</body></html>") << -1;
}

void TestVersion::convVersion()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(Conv_Version(text), expected);
}

void TestVersion::reply_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("newer");
    QTest::newRow("newer") << QByteArray("VER. 2.005") << true;
    QTest::newRow("newer with line end") << QByteArray("VER. 3.000\r\n") << true;
    QTest::newRow("equal, any case") << QByteArray("Ver. 2.004") << false;
    QTest::newRow("older") << QByteArray("VER. 1.999") << false;
    QTest::newRow("no version known") << QByteArray("ver. 0.000") << false;
    QTest::newRow("two-digit major") << QByteArray("VER. 12.000") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("binary") << QByteArrayLiteral(
                                   "\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x00 \x00\x00\x00 \x08\x06")
                            << false;
}

void TestVersion::reply()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, newer);
    QCOMPARE(isNewerVersionReply(body), newer);
}

QTEST_GUILESS_MAIN(TestVersion)
#include "tst_version.moc"
