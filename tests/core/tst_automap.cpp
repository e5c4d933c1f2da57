// Auto-map: which bytes go into which registers at which indexes, the refusals that change nothing,
// and the images an auto-mapped configuration compiles to.
#include "base/WorkspacePaths.h"
#include "documents/AutoMap.h"
#include "documents/ProjectDocument.h"
#include "image/BankImage.h"
#include "image/CompileDriver.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A map from a compact description: per slave "ID:NB_IN:NB_OUT".
ModbusMap slaves(const QStringList &description)
{
    ModbusMap map;
    for (const QString &s : description) {
        const QStringList f = s.split(QLatin1Char(':'));
        map.appendSlave(f.at(0), f.at(1).toInt(), f.at(2).toInt());
    }
    return map;
}

// The registers of one slave and page as "index:high/low", in list order.
QStringList registersOf(const ModbusMap &map, int slave, int page)
{
    QStringList l;
    for (const TMod_Reg &r : map.registers(slave, page))
        l.append(QStringLiteral("%1:%2/%3").arg(r.Ind_Mod).arg(r.HiPart).arg(r.LoPart));
    return l;
}

// Every register of the map, page by page and slave by slave: "R1 index:high/low".
QStringList allRegisters(const ModbusMap &map)
{
    QStringList l;
    for (int page : {ModbusMap::Read, ModbusMap::Write})
        for (int s = 0; s < map.slaveCount(); ++s)
            for (const QString &r : registersOf(map, s, page))
                l.append(QStringLiteral("%1%2 %3").arg(page == ModbusMap::Read ? 'R' : 'W').arg(s + 1).arg(r));
    return l;
}

void addRegister(ModbusMap &map, int slave, int page, const QString &index, int hi, int lo)
{
    map.appendRegister(slave, page, TMod_Reg{index, hi, lo});
}

} // namespace

class TestAutoMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void oneSlave_data();
    void oneSlave();
    void allSlaves_data();
    void allSlaves();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void pageFilledToTheLimit();
    void lastIndexHandedOut();
    void compiledRegisterRecords_data();
    void compiledRegisterRecords();
};

void TestAutoMap::oneSlave_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("highFirst");
    QTest::addColumn<QStringList>("expected"); // registers of slave 1 on that page afterwards

    // Slave 1 has 5 bytes IN and 6 OUT; slave 2 already uses index 2 on its write page.
    // Index 2 is taken: the three registers go together to the first run of three after it.
    QTest::newRow("odd byte low, last byte alone")
        << int(ModbusMap::Write) << 0 << false << QStringList{"3:2/1", "4:4/3", "5:0/5"};
    QTest::newRow("high first") << int(ModbusMap::Write) << 0 << true << QStringList{"3:1/2", "4:3/4", "5:0/5"};
    QTest::newRow("from a start index") << int(ModbusMap::Read) << 40 << false
                                        << QStringList{"7:0/0", "$29:3/0", "42:2/1", "43:0/4", "44:6/5"};
    QTest::newRow("start index in use is skipped")
        << int(ModbusMap::Read) << 7 << true << QStringList{"7:0/0", "$29:3/0", "8:1/2", "9:0/4", "10:5/6"};
}

void TestAutoMap::oneSlave()
{
    QFETCH(int, page);
    QFETCH(int, start);
    QFETCH(bool, highFirst);
    QFETCH(QStringList, expected);
    ModbusMap map = slaves({"5:5:6", "6:4:4"});
    // Read page of slave 1: a register carrying nothing at 7, and byte 3 alone at $29 (41): bytes 1-2,
    // 4 alone (its partner is carried) and 5-6 are left.
    addRegister(map, 0, ModbusMap::Read, "7", 0, 0);
    addRegister(map, 0, ModbusMap::Read, "$29", 3, 0);
    addRegister(map, 1, ModbusMap::Write, "2", 1, 0);
    const QStringList otherBefore = registersOf(map, 1, ModbusMap::Write);

    const AutoMapResult result = AutoMap::mapSlave(map, 0, page, AutoMapOptions{start, 0, highFirst});
    QCOMPARE(result.failure, 0);
    QCOMPARE(registersOf(map, 0, page), expected);
    QCOMPARE(result.added, expected.size() - (page == ModbusMap::Read ? 2 : 0));
    QCOMPARE(registersOf(map, 1, ModbusMap::Write), otherBefore);
    QCOMPARE(map.registerCount(), 3 + result.added);

    // A second run finds nothing left to map.
    const AutoMapResult again = AutoMap::mapSlave(map, 0, page, AutoMapOptions{start, 0, highFirst});
    QCOMPARE(again.failure, 0);
    QCOMPARE(again.added, 0);
}

void TestAutoMap::allSlaves_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("alsoTaken"); // one more index used by slave 2's read page

    // Slaves: 1 (3 IN, 2 OUT), 2 (no bytes), 3 (1 IN, 4 OUT); index 1 is taken by slave 2's read page.
    QTest::newRow("both pages, no rounding")
        << AutoMap::BothPages << 0 << 0
        << QStringList{"R1 0:2/1", "R2 1:0/0", "R3 2:2/1", "R3 3:4/3", "W1 4:2/1", "W1 5:0/3", "W3 6:0/1"} << QString();
    QTest::newRow("step 10: each slave at a round index")
        << AutoMap::BothPages << 0 << 10
        << QStringList{"R1 0:2/1", "R2 1:0/0", "R3 10:2/1", "R3 11:4/3", "W1 20:2/1", "W1 21:0/3", "W3 30:0/1"}
        << QString();
    // The step counts from the first index: the first slave starts there.
    QTest::newRow("step 100 from 150") << AutoMap::BothPages << 150 << 100
                                       << QStringList{"R1 150:2/1", "R2 1:0/0",   "R3 250:2/1", "R3 251:4/3",
                                                      "W1 350:2/1", "W1 351:0/3", "W3 450:0/1"}
                                       << QString();
    QTest::newRow("step 16 from 1000") << AutoMap::BothPages << 1000 << 16
                                       << QStringList{"R1 1000:2/1", "R2 1:0/0",    "R3 1016:2/1", "R3 1017:4/3",
                                                      "W1 1032:2/1", "W1 1033:0/3", "W3 1048:0/1"}
                                       << QString();
    QTest::newRow("step 16 from 1000, 1000 taken")
        << AutoMap::BothPages << 1000 << 16 << QStringList{"R1 1016:2/1", "R2 1:0/0",    "R2 1000:0/0", "R3 1032:2/1",
                                                           "R3 1033:4/3", "W1 1048:2/1", "W1 1049:0/3", "W3 1064:0/1"}
        << "1000";
    // Each slave takes the first run that holds it: slave 3's one register fits before index 1.
    QTest::newRow("write page only") << int(ModbusMap::Write) << 0 << 0
                                     << QStringList{"R2 1:0/0", "W1 2:2/1", "W1 3:0/3", "W3 0:0/1"} << QString();
    // A taken index inside a run moves the whole slave past it, and the slave after it fills the gap.
    QTest::newRow("a slave is not split around a taken index")
        << int(ModbusMap::Read) << 0 << 0 << QStringList{"R1 0:2/1", "R2 1:0/0", "R2 3:0/0", "R3 4:2/1", "R3 5:4/3"}
        << "3";
    QTest::newRow("a slave is not split, step 2")
        << int(ModbusMap::Read) << 0 << 2 << QStringList{"R1 0:2/1", "R2 1:0/0", "R2 2:0/0", "R3 4:2/1", "R3 5:4/3"}
        << "2";
    QTest::newRow("read page only") << int(ModbusMap::Read) << 65532 << 0
                                    << QStringList{"R1 65532:2/1", "R2 1:0/0", "R3 65533:2/1", "R3 65534:4/3"}
                                    << QString();
    QTest::newRow("step 10: a round index in use moves the slave to the next one")
        << AutoMap::BothPages << 0 << 10 << QStringList{"R1 0:2/1",  "R2 1:0/0",  "R2 20:0/0", "R3 10:2/1",
                                                        "R3 11:4/3", "W1 30:2/1", "W1 31:0/3", "W3 40:0/1"}
        << "20";
}

void TestAutoMap::allSlaves()
{
    QFETCH(int, pages);
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(QStringList, expected);
    QFETCH(QString, alsoTaken);
    ModbusMap map = slaves({"1:3:2", "2:0:0", "3:1:4"});
    addRegister(map, 1, ModbusMap::Read, "1", 0, 0);
    if (!alsoTaken.isEmpty())
        addRegister(map, 1, ModbusMap::Read, alsoTaken, 0, 0);
    const AutoMapResult result = AutoMap::mapAll(map, pages, AutoMapOptions{start, step, false});
    QCOMPARE(result.failure, 0);
    QCOMPARE(allRegisters(map), expected);
    QCOMPARE(result.added, expected.size() - (alsoTaken.isEmpty() ? 1 : 2));
    int blockTotal = 0;
    for (const AutoMapResult::Block &b : result.blocks) {
        QVERIFY(b.count > 0 && b.first <= b.last);
        blockTotal += b.count;
    }
    QCOMPARE(blockTotal, result.added);
}

void TestAutoMap::refusalsChangeNothing_data()
{
    QTest::addColumn<QStringList>("slaveList");
    QTest::addColumn<int>("slave");          // the slave mapped alone; -1 all slaves
    QTest::addColumn<int>("existingOnRead"); // registers already on slave 1's read page at 0.., carrying nothing
    QTest::addColumn<QString>("taken");      // "all": every index 0..65535, "all but 0 2": every other one
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("message");

    const auto noRun = [](const char *slave, int count, int from) {
        return QStringLiteral("Error!! Slave %1, Read page: no run of %2 free register indexes from %3 to 65535 holds "
                              "all its registers: nothing was changed")
            .arg(QLatin1String(slave))
            .arg(count)
            .arg(from);
    };
    const QString full = QStringLiteral("Error!! After auto-map the Read page would hold 6145 registers, more than "
                                        "the 6144 the device takes: nothing was changed");
    QTest::newRow("one slave: last register would be 65536")
        << QStringList{"1:0:5"} << 0 << 0 << "" << 65534 << 0 << noRun("1 (ID 1)", 3, 65534);
    QTest::newRow("all: second slave past 65535")
        << QStringList{"1:0:2", "2:0:2"} << -1 << 0 << "" << 65535 << 0 << noRun("2 (ID 2)", 1, 65535);
    QTest::newRow("all: rounding up past 65535")
        << QStringList{"1:0:2", "4:0:1"} << -1 << 0 << "" << 65001 << 1000 << noRun("2 (ID 4)", 1, 65001);
    // Room for slave 1's two registers only apart: 0 and 2 are free, 1 is not.
    QTest::newRow("one slave: free indexes only apart")
        << QStringList{"1:0:4"} << 0 << 0 << "all but 0 2" << 0 << 0 << noRun("1 (ID 1)", 2, 0);
    QTest::newRow("all: every index used")
        << QStringList{"1:0:2", "9:0:0"} << -1 << 0 << "all" << 0 << 0 << noRun("1 (ID 1)", 1, 0);
    QTest::newRow("all: 6145 registers on the read page")
        << QStringList{"1:0:2", "2:0:4"} << -1 << 6142 << "" << 0 << 0 << full;
    QTest::newRow("one slave: 6145 registers on the read page")
        << QStringList{"1:0:0", "2:0:4"} << 1 << 6143 << "" << 0 << 0 << full;
}

void TestAutoMap::refusalsChangeNothing()
{
    QFETCH(QStringList, slaveList);
    QFETCH(int, slave);
    QFETCH(int, existingOnRead);
    QFETCH(QString, taken);
    QFETCH(int, start);
    QFETCH(int, step);
    QFETCH(QString, message);
    ModbusMap map = slaves(slaveList);
    for (int i = 0; i < existingOnRead; ++i)
        addRegister(map, 0, ModbusMap::Read, QString::number(i), 0, 0);
    // Indexes from 0 to 65535 taken, over both pages of the last slave.
    QList<int> leftFree;
    for (const QString &i : taken.mid(8).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        leftFree.append(i.toInt());
    for (int i = 0; taken.startsWith(QLatin1String("all")) && i <= ModbusMap::MaxIndex; ++i)
        if (!leftFree.contains(i))
            addRegister(map, map.slaveCount() - 1, i % 2 ? ModbusMap::Write : ModbusMap::Read, QString::number(i), 0,
                        0);
    const QStringList before = allRegisters(map);

    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    const AutoMapOptions options{start, step, false};
    const AutoMapResult result = slave < 0 ? AutoMap::mapAll(map, AutoMap::BothPages, options)
                                           : AutoMap::mapSlave(map, slave, ModbusMap::Read, options);
    QVERIFY(result.failure != 0);
    QCOMPARE(result.message(catalog), message);
    QCOMPARE(result.added, 0);
    QVERIFY(result.blocks.isEmpty());
    QCOMPARE(allRegisters(map), before);
}

void TestAutoMap::pageFilledToTheLimit()
{
    // 6142 registers and 4 bytes more: exactly 6144 registers on the page is what the device takes.
    ModbusMap map = slaves({"1:0:0", "2:0:4"});
    for (int i = 0; i < 6142; ++i)
        addRegister(map, 0, ModbusMap::Read, QString::number(i), 0, 0);
    const AutoMapResult result = AutoMap::mapSlave(map, 1, ModbusMap::Read, AutoMapOptions{});
    QCOMPARE(result.failure, 0);
    QCOMPARE(registersOf(map, 1, ModbusMap::Read), QStringList({"6142:2/1", "6143:4/3"}));
    QCOMPARE(map.registerCount(), AutoMap::MaxRegistersPerPage);
}

void TestAutoMap::lastIndexHandedOut()
{
    // From 65535 on, and from 65000 on with 65000 to 65534 taken: 65535 itself is free and holds one register.
    for (const int start : {65535, 65000}) {
        ModbusMap map = slaves({"1:0:2", "2:0:0"});
        for (int i = start; i < ModbusMap::MaxIndex; ++i)
            addRegister(map, 1, ModbusMap::Write, QString::number(i), 0, 0);
        const AutoMapResult one = AutoMap::mapSlave(map, 0, ModbusMap::Read, AutoMapOptions{start, 0, false});
        QCOMPARE(one.failure, 0);
        QCOMPARE(registersOf(map, 0, ModbusMap::Read), QStringList{"65535:2/1"});
    }
}

void TestAutoMap::compiledRegisterRecords_data()
{
    QTest::addColumn<bool>("highFirst");
    // bank.bin register records: index (2), PosComp (4: low part, then high part), slave position (1).
    QTest::addColumn<QByteArray>("readRecords");
    QTest::addColumn<QByteArray>("writeRecords");
    QTest::newRow("low first") << false << QByteArray("6400 0100 0200 00  6500 0300 0400 00")
                               << QByteArray("6e00 0100 0200 00  6f00 0300 0000 00  7800 0100 0000 01");
    QTest::newRow("high first") << true << QByteArray("6400 0200 0100 00  6500 0400 0300 00")
                                << QByteArray("6e00 0200 0100 00  6f00 0300 0000 00  7800 0100 0000 01");
}

void TestAutoMap::compiledRegisterRecords()
{
    QFETCH(bool, highFirst);
    QFETCH(QByteArray, readRecords);
    QFETCH(QByteArray, writeRecords);
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Case/bin"));
    WorkspacePaths paths;
    paths.ProjectFolder = QDir::toNativeSeparators(dir.path() + QStringLiteral("/Case"));
    paths.Set_Files();
    {
        QFile f(paths.DnetNetPath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<DNET_Net><row ID=\"3\" NB_IN=\"3\" NB_OUT=\"4\" Mnemonic=\"pump\"/>"
                "<row ID=\"8\" NB_IN=\"1\" NB_OUT=\"0\" Mnemonic=\"\"/></DNET_Net><!--SW_VERSION = 2.004-->");
    }
    ModbusMap map;
    map.loadSlaves(paths.DnetNetPath);
    map.loadRegisters(paths.DefRegPath);
    const AutoMapResult result = AutoMap::mapAll(map, AutoMap::BothPages, AutoMapOptions{100, 10, highFirst});
    QCOMPARE(result.failure, 0);
    map.saveRegisters(paths.DefRegPath);

    const DeviceImages images = BuildDeviceImages(paths);
    const QByteArray read = QByteArray::fromHex(readRecords.replace(' ', ""));
    const QByteArray write = QByteArray::fromHex(writeRecords.replace(' ', ""));
    const int readAt = 16 + 2 * BankImage::SlaveRecordSize;
    QCOMPARE(images.bank.size(), readAt + read.size() + write.size());
    QCOMPARE(images.bank.mid(readAt, read.size()).toHex(' '), read.toHex(' '));
    QCOMPARE(images.bank.mid(readAt + read.size()).toHex(' '), write.toHex(' '));

    // bank2.bin holds the same registers in its tables of 8-byte entries: index, low part, high part
    // (two bytes each), slave position, a zero byte.
    const auto entries = [](const QByteArray &records) {
        QByteArray e;
        for (int i = 0; i < records.size(); i += 7)
            e += records.mid(i, 2) + records.mid(i + 2, 2) + records.mid(i + 4, 2) + records.mid(i + 6, 1) + '\0';
        return e;
    };
    QCOMPARE(images.bank2.mid(0, 8 * 2).toHex(' '), entries(read).toHex(' '));
    QCOMPARE(images.bank2.mid(6144 * 8, 8 * 3).toHex(' '), entries(write).toHex(' '));
}

QTEST_GUILESS_MAIN(TestAutoMap)
#include "tst_automap.moc"
