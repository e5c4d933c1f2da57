#include "base/SplitIpAddress.h"

#include <QtTest>

class TestSplitIp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void split_data();
    void split();
};

void TestSplitIp::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("parts"); // checked only when valid
    QTest::newRow("default address") << "192.168.2.205" << true << QStringList{"192", "168", "2", "205"};
    QTest::newRow("blanks around points") << "  10 . 0 .\t1 . 2 " << true << QStringList{"10", "0", "1", "2"};
    QTest::newRow("bounds") << "0.0.0.255" << true << QStringList{"0", "0", "0", "255"};
    QTest::newRow("hexadecimal parts") << "$C0.0xA8.x2.205" << true << QStringList{"$C0", "0xA8", "x2", "205"};
    QTest::newRow("only two points") << "192.168.2" << false << QStringList();
    QTest::newRow("no point") << "192168" << false << QStringList();
    QTest::newRow("part of 256") << "192.168.256.1" << false << QStringList();
    QTest::newRow("negative part") << "192.-1.2.1" << false << QStringList();
    QTest::newRow("empty part") << "192..2.1" << false << QStringList();
    QTest::newRow("letters") << "a.b.c.d" << false << QStringList();
    QTest::newRow("fourth part holds a point") << "1.2.3.4.5" << false << QStringList();
    QTest::newRow("empty") << "" << false << QStringList();
}

void TestSplitIp::split()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QStringList, parts);
    QString p1, p2, p3, p4;
    QCOMPARE(SplitIpAddress(text, p1, p2, p3, p4), valid);
    if (valid)
        QCOMPARE(QStringList({p1, p2, p3, p4}), parts);
}

QTEST_GUILESS_MAIN(TestSplitIp)
#include "tst_splitip.moc"
