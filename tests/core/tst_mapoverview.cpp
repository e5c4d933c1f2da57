// The overview of the whole map: registers by address over both pages, and the bytes left free.
#include "documents/MapOverview.h"
#include "text/TextCatalog.h"

#include <QtTest>

namespace {

// Slave 1 (ID 5, "pump"): 3 bytes IN, 6 OUT; slave 2 (ID 7): 2 IN, 0 OUT.
ModbusMap fixture()
{
    ModbusMap map;
    map.appendSlave(QStringLiteral("5"), 3, 6, QStringLiteral("pump"));
    map.appendSlave(QStringLiteral("7"), 2, 0);
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("$20"), 2, 1});
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("007"), 0, 5});
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("x"), 9, 0}); // edited elsewhere: no index, byte 9
    map.appendRegister(0, ModbusMap::Write, {QStringLiteral("8"), 0, 3});
    map.appendRegister(1, ModbusMap::Write, {QStringLiteral("7"), 1, 2}); // 7 twice, as a hand-edited file may hold
    // 8 on both pages as well, the read page's on the later slave.
    map.appendRegister(1, ModbusMap::Read, {QStringLiteral("8"), 0, 0});
    return map;
}

} // namespace

class TestMapOverview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rowsByAddress();
    void byteRanges_data();
    void byteRanges();
    void text();
};

void TestMapOverview::rowsByAddress()
{
    QStringList order;
    for (const OverviewRow &r : MapOverview::rows(fixture()))
        order.append(QStringLiteral("%1 p%2 s%3 r%4").arg(r.address).arg(r.page).arg(r.slave).arg(r.position));
    QCOMPARE(order,
             QStringList({"-1 p1 s0 r2", "7 p1 s0 r1", "7 p2 s1 r0", "8 p1 s1 r0", "8 p2 s0 r0", "32 p1 s0 r0"}));

    QStringList free;
    const ModbusMap map = fixture();
    for (const FreeBytes &f : MapOverview::freeBytes(map))
        free.append(QStringLiteral("s%1 p%2: %3").arg(f.slave).arg(f.page).arg(MapOverview::byteRanges(f.bytes)));
    // Byte 9 of the register edited elsewhere is beyond the slave and covers nothing.
    QCOMPARE(free, QStringList({"s0 p1: 3-4, 6", "s0 p2: 1-2"}));

    QStringList past;
    for (const FreeBytes &f : MapOverview::bytesPastCount(map))
        past.append(QStringLiteral("s%1 p%2: %3").arg(f.slave).arg(f.page).arg(MapOverview::byteRanges(f.bytes)));
    QCOMPARE(past, QStringList({"s0 p1: 9"}));
}

void TestMapOverview::byteRanges_data()
{
    QTest::addColumn<QVector<int>>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QVector<int>{} << "";
    QTest::newRow("one") << QVector<int>{4} << "4";
    QTest::newRow("runs and singles") << QVector<int>{1, 2, 3, 5, 7, 8} << "1-3, 5, 7-8";
}

void TestMapOverview::byteRanges()
{
    QFETCH(QVector<int>, bytes);
    QTEST(MapOverview::byteRanges(bytes), "text");
}

void TestMapOverview::text()
{
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    QCOMPARE(MapOverview::text(fixture(), catalog),
             QStringLiteral("Address (0-based)  Page   Slave  ID  Mnemonic  High byte  Low byte  Note\n"
                            "x                  Read   1      5   pump      9          None      past the slave's bytes\n"
                            "7                  Read   1      5   pump      None       5\n"
                            "7                  Write  2      7             1          2\n"
                            "8                  Read   2      7             None       None\n"
                            "8                  Write  1      5   pump      None       3\n"
                            "32                 Read   1      5   pump      2          1\n"
                            "\n"
                            "Bytes that no register carries:\n"
                            "  Slave 1 (ID 5), Read: bytes 3-4, 6\n"
                            "  Slave 1 (ID 5), Write: bytes 1-2\n"
                            "\n"
                            "Bytes that registers carry but their slave does not have:\n"
                            "  Slave 1 (ID 5), Read: byte 9\n"));
    ModbusMap full;
    full.appendSlave(QStringLiteral("1"), 0, 1);
    full.appendRegister(0, ModbusMap::Read, {QStringLiteral("0"), 0, 1});
    // Without such bytes their heading is left out.
    QVERIFY(MapOverview::text(full, catalog).endsWith(QStringLiteral(":\n  every byte has a register\n")));
}

QTEST_GUILESS_MAIN(TestMapOverview)
#include "tst_mapoverview.moc"
