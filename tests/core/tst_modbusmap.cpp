#include "Portable.h"
#include "TestFiles.h"
#include "base/AppError.h"
#include "base/ParseIntOrDefault.h"
#include "documents/ModbusMap.h"
#include "documents/ProjectDocument.h"
#include "documents/SlaveListLimits.h"
#include "documents/XmlTree.h"
#include "text/TextCatalog.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray dnetNet(const QList<QByteArray> &rows)
{
    QByteArray xml = "<DNET_Net>";
    for (const QByteArray &row : rows)
        xml += row;
    return xml + "</DNET_Net><!--SW_VERSION = 2.004-->";
}

QByteArray slaveRow(const QByteArray &id, int in, int out)
{
    return "<row ID=\"" + id + "\" NB_IN=\"" + QByteArray::number(in) + "\" NB_OUT=\"" + QByteArray::number(out) +
           "\" Mnemonic=\"\"/>";
}

QByteArray defReg(const QByteArray &readRows, const QByteArray &writeRows)
{
    return "<InfoMod><Modbus_Read>" + readRows + "</Modbus_Read><Modbus_Write>" + writeRows +
           "</Modbus_Write></InfoMod><!--SW_VERSION = 2.004-->";
}

QByteArray regRow(const QByteArray &index, const QByteArray &node, const QByteArray &posComp)
{
    return "<row Index=\"" + index + "\" NrDNNode=\"" + node + "\" PosComp=\"" + posComp + "\"/>";
}

using TestFiles::readFile;
using TestFiles::writeFile;

ModbusMap mapOf(const QByteArray &slaves, const QByteArray &registers)
{
    ModbusMap map;
    map.readSlaves(XmlTree::parse(slaves, QStringLiteral("DNET_Net.xml")));
    map.readRegisters(XmlTree::parse(registers, QStringLiteral("DefReg.xml")));
    return map;
}

// What the in-use test must answer: a walk over every register, read page first.
bool inUseByWalk(const ModbusMap &map, int value, int slave, int position, int page)
{
    for (int p : {ModbusMap::Read, ModbusMap::Write})
        for (int s = 0; s < map.slaveCount(); ++s)
            for (int r = 0; r < map.registers(s, p).size(); ++r)
                if (ParseIntOrDefault(map.registers(s, p).at(r).Ind_Mod, -1) == value &&
                    !(s == slave && r == position && p == page))
                    return true;
    return false;
}

} // namespace

class TestModbusMap : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readsSlavesAsStored();
    void posCompLoads_data();
    void posCompLoads();
    void posCompSaves_data();
    void posCompSaves();
    void rowsNamingMissingSlavesAreDropped();
    void savedDocumentShape();
    void noSlavesWritesEmptySections();
    void registersFollowSlavePosition();
    void fileRoundTrip();
    void unreadableDocumentsThrowWithFileName();
    void inUse_data();
    void inUse();
    void inUseMatchesWalkAfterEdits();
    void checkRegister_data();
    void checkRegister();
    void slaveListLimits_data();
    void slaveListLimits();
    void slaveListLimitsInEveryEncoding_data();
    void slaveListLimitsInEveryEncoding();
};

void TestModbusMap::readsSlavesAsStored()
{
    const ModbusMap map = mapOf(
        dnetNet({slaveRow(" 7", 3, 4), "<row ID=\"9\" NB_IN=\"x\" NB_OUT=\"$10\" Mnemonic=\"\"/>"}), defReg("", ""));
    QCOMPARE(map.slaveCount(), 2);
    QCOMPARE(map.slave(0).ID, QStringLiteral(" 7"));
    QCOMPARE(map.slave(0).Num_Byte_IN, 3);
    QCOMPARE(map.slave(0).Num_Byte_OUT, 4);
    QCOMPARE(map.slave(1).Num_Byte_IN, 0); // not a number: 0
    QCOMPARE(map.slave(1).Num_Byte_OUT, 16);
    QCOMPARE(map.byteCount(0, ModbusMap::Read), 4);
    QCOMPARE(map.byteCount(0, ModbusMap::Write), 3);
}

void TestModbusMap::posCompLoads_data()
{
    QTest::addColumn<QByteArray>("posComp");
    QTest::addColumn<int>("hi");
    QTest::addColumn<int>("lo");
    QTest::newRow("byte 1 / byte 2") << QByteArray("65538") << 1 << 2;
    QTest::newRow("none / none") << QByteArray("0") << 0 << 0;
    QTest::newRow("high only") << QByteArray("196608") << 3 << 0;
    QTest::newRow("not a number") << QByteArray("abc") << 0 << 0;
    QTest::newRow("all bits") << QByteArray("-1") << 0xFFFF << 0xFFFF;
}

void TestModbusMap::posCompLoads()
{
    QFETCH(QByteArray, posComp);
    QFETCH(int, hi);
    QFETCH(int, lo);
    const ModbusMap map = mapOf(dnetNet({slaveRow("1", 8, 8)}), defReg(regRow("5", "1", posComp), ""));
    QCOMPARE(map.registers(0, ModbusMap::Read).size(), 1);
    QCOMPARE(map.registers(0, ModbusMap::Read).at(0).HiPart, hi);
    QCOMPARE(map.registers(0, ModbusMap::Read).at(0).LoPart, lo);
}

void TestModbusMap::posCompSaves_data()
{
    QTest::addColumn<int>("hi");
    QTest::addColumn<int>("lo");
    QTest::addColumn<QString>("posComp");
    QTest::newRow("high 3 low 0") << 3 << 0 << QStringLiteral("196608");
    QTest::newRow("high 1 low 2") << 1 << 2 << QStringLiteral("65538");
    QTest::newRow("low only") << 0 << 455 << QStringLiteral("455");
    // A value loaded from a file saves back in the form it was read from.
    QTest::newRow("all bits") << 0xFFFF << 0xFFFF << QStringLiteral("-1");
}

void TestModbusMap::posCompSaves()
{
    QFETCH(int, hi);
    QFETCH(int, lo);
    QFETCH(QString, posComp);
    ModbusMap map;
    map.appendSlave(QStringLiteral("1"), 455, 455);
    map.appendRegister(0, ModbusMap::Write, TMod_Reg{QStringLiteral("9"), hi, lo});
    const QDomElement row = map.toDocument().documentElement().firstChildElement("Modbus_Write").firstChildElement();
    QCOMPARE(row.attribute("PosComp"), posComp);
}

void TestModbusMap::rowsNamingMissingSlavesAreDropped()
{
    const QByteArray rows = regRow("1", "0", "0") + regRow("2", "1", "0") + regRow("3", "3", "0") +
                            regRow("4", "x", "0") + "<row Index=\"5\" PosComp=\"0\"/>" + regRow("6", "2", "0") +
                            regRow("7", "1", "0") + regRow("8", "-2147483648", "0") + regRow("9", "2147483647", "0");
    const ModbusMap map = mapOf(dnetNet({slaveRow("10", 1, 1), slaveRow("11", 1, 1)}), defReg(rows, ""));
    QCOMPARE(map.registerCount(), 3);
    QCOMPARE(map.registers(0, ModbusMap::Read).size(), 2);
    QCOMPARE(map.registers(0, ModbusMap::Read).at(0).Ind_Mod, QStringLiteral("2"));
    QCOMPARE(map.registers(0, ModbusMap::Read).at(1).Ind_Mod, QStringLiteral("7"));
    QCOMPARE(map.registers(1, ModbusMap::Read).at(0).Ind_Mod, QStringLiteral("6"));
}

void TestModbusMap::savedDocumentShape()
{
    // Rows come out grouped by slave in slave order, read section first, indexes as typed.
    const ModbusMap map = mapOf(dnetNet({slaveRow("10", 2, 2), slaveRow("11", 2, 2)}),
                                defReg(regRow("$14", "2", "1") + regRow("010", "1", "65536"), regRow(" 3", "1", "2")));
    QCOMPARE(ProjectDocument::toBytes(map.toDocument()),
             QByteArray("<InfoMod><Modbus_Read>"
                        "<row Index=\"010\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                        "<row Index=\"$14\" NrDNNode=\"2\" PosComp=\"1\"/>"
                        "</Modbus_Read><Modbus_Write>"
                        "<row Index=\" 3\" NrDNNode=\"1\" PosComp=\"2\"/>"
                        "</Modbus_Write></InfoMod><!--SW_VERSION = 2.004-->"));
}

void TestModbusMap::noSlavesWritesEmptySections()
{
    QTemporaryDir dir;
    const QString dnet = dir.filePath("DNET_Net.xml");
    const QString def = dir.filePath("DefReg.xml");
    writeFile(def, defReg(regRow("1", "1", "0"), regRow("2", "1", "0")));
    for (const QByteArray &slaves : {QByteArray(), dnetNet({})}) {
        QFile::remove(dnet);
        if (!slaves.isEmpty())
            writeFile(dnet, slaves);
        ModbusMap map;
        map.loadSlaves(dnet);
        map.loadRegisters(def);
        QCOMPARE(map.registerCount(), 0);
        map.saveRegisters(def);
        QCOMPARE(readFile(def),
                 QByteArray("<InfoMod><Modbus_Read/><Modbus_Write/></InfoMod><!--SW_VERSION = 2.004-->"));
        writeFile(def, defReg(regRow("1", "1", "0"), ""));
    }
}

void TestModbusMap::registersFollowSlavePosition()
{
    QTemporaryDir dir;
    const QString dnet = dir.filePath("DNET_Net.xml");
    const QString def = dir.filePath("DefReg.xml");
    writeFile(dnet, dnetNet({slaveRow("5", 2, 2), slaveRow("7", 2, 2)}));
    ModbusMap map;
    map.loadSlaves(dnet);
    map.appendRegister(0, ModbusMap::Read, TMod_Reg{QStringLiteral("100"), 1, 0});
    map.appendRegister(1, ModbusMap::Write, TMod_Reg{QStringLiteral("200"), 0, 2});
    map.saveRegisters(def);

    // A slave row inserted at the top: the registers stay with positions 1 and 2.
    writeFile(dnet, dnetNet({slaveRow("3", 2, 2), slaveRow("5", 2, 2), slaveRow("7", 2, 2)}));
    ModbusMap reloaded;
    reloaded.loadSlaves(dnet);
    reloaded.loadRegisters(def);
    QCOMPARE(reloaded.slave(0).ID, QStringLiteral("3"));
    QCOMPARE(reloaded.registers(0, ModbusMap::Read).size(), 1);
    QCOMPARE(reloaded.registers(0, ModbusMap::Read).at(0).Ind_Mod, QStringLiteral("100"));
    QCOMPARE(reloaded.registers(1, ModbusMap::Write).size(), 1);
    QCOMPARE(reloaded.registers(1, ModbusMap::Write).at(0).Ind_Mod, QStringLiteral("200"));
    QCOMPARE(reloaded.registers(2, ModbusMap::Read).size() + reloaded.registers(2, ModbusMap::Write).size(), 0);
}

void TestModbusMap::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString dnet = dir.filePath("DNET_Net.xml");
    const QString def = dir.filePath("DefReg.xml");
    writeFile(dnet, dnetNet({slaveRow("1", 4, 6), slaveRow("2", 1, 0)}));
    ModbusMap map;
    map.loadSlaves(dnet);
    map.appendRegister(0, ModbusMap::Read, TMod_Reg{QStringLiteral("0x10"), 6, 5});
    map.appendRegister(0, ModbusMap::Read, TMod_Reg{QStringLiteral(" 17"), 0, 0});
    map.appendRegister(1, ModbusMap::Write, TMod_Reg{QStringLiteral("65535"), 1, 1});
    map.saveRegisters(def);

    ModbusMap reloaded;
    reloaded.loadSlaves(dnet);
    reloaded.loadRegisters(def);
    for (int p : {ModbusMap::Read, ModbusMap::Write})
        for (int s = 0; s < 2; ++s) {
            const QVector<TMod_Reg> &a = map.registers(s, p);
            const QVector<TMod_Reg> &b = reloaded.registers(s, p);
            QCOMPARE(b.size(), a.size());
            for (int r = 0; r < a.size(); ++r) {
                QCOMPARE(b.at(r).Ind_Mod, a.at(r).Ind_Mod);
                QCOMPARE(b.at(r).HiPart, a.at(r).HiPart);
                QCOMPARE(b.at(r).LoPart, a.at(r).LoPart);
            }
        }
    QVERIFY(reloaded.Check_Mod_Reg_in_Use(16, -1, -1, ModbusMap::Read));
}

void TestModbusMap::unreadableDocumentsThrowWithFileName()
{
    QTemporaryDir dir;
    const QString dnet = dir.filePath("DNET_Net.xml");
    const QString def = dir.filePath("DefReg.xml");
    writeFile(dnet, dnetNet({slaveRow("1", 2, 2)}));
    writeFile(def, "<InfoMod><Modbus_Read>");
    ModbusMap map;
    map.loadSlaves(dnet);
    try {
        map.loadRegisters(def);
        QFAIL("no error for a broken DefReg.xml");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(def), qPrintable(e.message()));
    }
    QCOMPARE(map.slaveCount(), 1);

    writeFile(dnet, "<DNET_Net><row");
    try {
        map.loadSlaves(dnet);
        QFAIL("no error for a broken DNET_Net.xml");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(dnet), qPrintable(e.message()));
    }
}

void TestModbusMap::inUse_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("slave");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("used");
    // Map: read page slave 0: "10", "0x14"; write page slave 1: "007".
    QTest::newRow("free") << 11 << -1 << -1 << 1 << false;
    QTest::newRow("used on the same page") << 10 << -1 << -1 << 1 << true;
    QTest::newRow("used on the other page") << 7 << -1 << -1 << 1 << true;
    QTest::newRow("stored in hexadecimal") << 20 << -1 << -1 << 2 << true;
    QTest::newRow("the register itself") << 10 << 0 << 0 << 1 << false;
    QTest::newRow("same position on the other page") << 10 << 0 << 0 << 2 << true;
    QTest::newRow("another register of the slave") << 10 << 0 << 1 << 1 << true;
    QTest::newRow("excluded register holds another value") << 20 << 0 << 0 << 1 << true;
}

void TestModbusMap::inUse()
{
    QFETCH(int, value);
    QFETCH(int, slave);
    QFETCH(int, position);
    QFETCH(int, page);
    QFETCH(bool, used);
    const ModbusMap map = mapOf(dnetNet({slaveRow("1", 2, 2), slaveRow("2", 2, 2)}),
                                defReg(regRow("10", "1", "0") + regRow("0x14", "1", "0"), regRow("007", "2", "0")));
    QCOMPARE(map.Check_Mod_Reg_in_Use(value, slave, position, page), used);
    QCOMPARE(inUseByWalk(map, value, slave, position, page), used);
}

void TestModbusMap::inUseMatchesWalkAfterEdits()
{
    // The kept counts must answer as a walk over the map does, duplicates from a file included.
    QRandomGenerator random(4711);
    ModbusMap map;
    for (int s = 0; s < 4; ++s)
        map.appendSlave(QString::number(s), 3, 3);
    const QStringList forms = {QStringLiteral("%1"), QStringLiteral("0%1"), QStringLiteral(" %1")};
    const auto someIndex = [&] { return forms.at(random.bounded(3)).arg(random.bounded(12)); };
    for (int step = 0; step < 600; ++step) {
        const int s = random.bounded(4);
        const int p = random.bounded(1, 3);
        const int n = int(map.registers(s, p).size());
        const int action = random.bounded(3);
        if (action == 0 || n == 0)
            map.appendRegister(s, p, TMod_Reg{someIndex(), 0, 0});
        else if (action == 1)
            map.replaceRegister(s, p, random.bounded(n), TMod_Reg{someIndex(), 1, 1});
        else
            map.removeRegister(s, p, random.bounded(n));

        const int value = random.bounded(-1, 13);
        const int es = random.bounded(-1, 4);
        const int ep = random.bounded(1, 3);
        const int er =
            es >= 0 && !map.registers(es, ep).isEmpty() ? random.bounded(int(map.registers(es, ep).size())) : -1;
        QCOMPARE(map.Check_Mod_Reg_in_Use(value, es, er, ep), inUseByWalk(map, value, es, er, ep));
    }
}

void TestModbusMap::checkRegister_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<int>("hi");
    QTest::addColumn<int>("lo");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("failure");
    // Map: read page of slave 0 (4 bytes OUT) holds "10" and "11".
    QTest::newRow("accepted") << "12" << 4 << 1 << -1 << 0;
    QTest::newRow("highest index") << "65535" << 0 << 0 << -1 << 0;
    QTest::newRow("empty") << "" << 0 << 0 << -1 << 658;
    QTest::newRow("above range") << "65536" << 0 << 0 << -1 << 658;
    QTest::newRow("negative") << "-1" << 0 << 0 << -1 << 658;
    QTest::newRow("trailing blank") << "12 " << 0 << 0 << -1 << 658;
    QTest::newRow("leading zero duplicate") << "010" << 0 << 0 << -1 << 659;
    QTest::newRow("hexadecimal duplicate") << "$A" << 0 << 0 << -1 << 659;
    QTest::newRow("own index on modify") << "10" << 1 << 1 << 0 << 0;
    QTest::newRow("other register's index on modify") << "11" << 1 << 1 << 0 << 659;
    QTest::newRow("no high choice") << "12" << -1 << 0 << -1 << 662;
    QTest::newRow("no low choice") << "12" << 0 << -1 << -1 << 662;
    QTest::newRow("byte beyond the slave") << "12" << 5 << 0 << -1 << 662;
    QTest::newRow("range before choice") << "" << -1 << -1 << -1 << 658;
    QTest::newRow("choice before duplicate") << "10" << -1 << 0 << -1 << 662;
}

void TestModbusMap::checkRegister()
{
    QFETCH(QString, index);
    QFETCH(int, hi);
    QFETCH(int, lo);
    QFETCH(int, position);
    QFETCH(int, failure);
    const ModbusMap map =
        mapOf(dnetNet({slaveRow("1", 2, 4)}), defReg(regRow("10", "1", "0") + regRow("11", "1", "0"), ""));
    QCOMPARE(map.checkRegister(0, ModbusMap::Read, position, index, hi, lo), failure);
}

void TestModbusMap::slaveListLimits_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("badRow"); // 0: none; else the row with in/out below
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    QTest::addColumn<QByteArray>("layout"); // between rows
    QTest::addColumn<int>("row");           // expected: 0 accepted
    QTest::addColumn<int>("textIndex");
    QTest::newRow("64 rows of 455 bytes") << 64 << 0 << 0 << 0 << QByteArray() << 0 << 0;
    QTest::newRow("65 rows") << 65 << 0 << 0 << 0 << QByteArray() << 65 << 1202;
    QTest::newRow("no rows") << 0 << 0 << 0 << 0 << QByteArray() << 0 << 0;
    QTest::newRow("0 bytes each way") << 3 << 2 << 0 << 0 << QByteArray() << 0 << 0;
    QTest::newRow("456 input bytes") << 3 << 2 << 456 << 0 << QByteArray() << 2 << 1201;
    QTest::newRow("456 output bytes") << 3 << 3 << 0 << 456 << QByteArray() << 3 << 1201;
    QTest::newRow("negative input bytes") << 3 << 1 << -1 << 0 << QByteArray() << 1 << 1201;
    QTest::newRow("negative output bytes") << 3 << 1 << 0 << -1 << QByteArray() << 1 << 1201;
    QTest::newRow("a hundred million input bytes") << 3 << 1 << 100000000 << 0 << QByteArray() << 1 << 1201;
    // The first failure in row order counts.
    QTest::newRow("bad bytes before the 65th row") << 70 << 10 << 456 << 0 << QByteArray() << 10 << 1201;
    // A comment between rows is a row of its own; layout blanks are not.
    QTest::newRow("33 rows, each after a comment") << 33 << 0 << 0 << 0 << QByteArray("<!-- x -->") << 65 << 1202;
    QTest::newRow("64 rows laid out") << 64 << 0 << 0 << 0 << QByteArray("\r\n  ") << 0 << 0;
}

void TestModbusMap::slaveListLimits()
{
    QFETCH(int, rows);
    QFETCH(int, badRow);
    QFETCH(int, in);
    QFETCH(int, out);
    QFETCH(QByteArray, layout);
    QFETCH(int, row);
    QFETCH(int, textIndex);
    QList<QByteArray> slaves;
    for (int r = 1; r <= rows; ++r)
        slaves.append(layout + (r == badRow ? slaveRow("1", in, out) : slaveRow("1", 455, 455)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    writeFile(path, dnetNet(slaves));

    const SlaveListLimitFailure failure = checkSlaveListLimits(path);
    QCOMPARE(failure.row, row);
    QCOMPARE(failure.textIndex, textIndex);
    // The streamed check and the check of the map as read agree (layout apart, which the map's
    // reader may still count).
    if (layout.isEmpty()) {
        ModbusMap map;
        map.loadSlaves(path);
        QCOMPARE(checkSlaveListLimits(map).row, row);
        QCOMPARE(checkSlaveListLimits(map).textIndex, textIndex);
    }
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    if (textIndex != 0) {
        QVERIFY2(failure.message(catalog).contains(QStringLiteral("row %1 ").arg(row), Qt::CaseInsensitive) &&
                     failure.message(catalog).contains(QStringLiteral("DeviceNet Network step")),
                 qPrintable(failure.message(catalog)));
    }
}

// The check reads the list in each encoding the document readers accept, the way they read it: a list it
// cannot decode would pass unchecked and be refused later with another message.
void TestModbusMap::slaveListLimitsInEveryEncoding_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QByteArray>("declared"); // the declaration's name, empty for none
    QTest::addColumn<bool>("bom");
    QTest::newRow("windows-1252") << QByteArray("windows-1252") << QByteArray("windows-1252") << false;
    QTest::newRow("cp1252") << QByteArray("windows-1252") << QByteArray("cp1252") << false;
    QTest::newRow("Latin-1") << QByteArray("ISO-8859-1") << QByteArray("Latin-1") << false;
    QTest::newRow("UTF-16LE with BOM") << QByteArray("UTF-16LE") << QByteArray() << true;
    QTest::newRow("UTF-32BE with BOM") << QByteArray("UTF-32BE") << QByteArray() << true;
}

void TestModbusMap::slaveListLimitsInEveryEncoding()
{
    QFETCH(QByteArray, encoding);
    QFETCH(QByteArray, declared);
    QFETCH(bool, bom);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    for (const int rows : {64, 65}) {
        QString xml = declared.isEmpty() ? QString()
                                         : QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>")
                                               .arg(QString::fromLatin1(declared));
        xml += QStringLiteral("<DNET_Net>");
        for (int r = 1; r <= rows; ++r)
            xml += QStringLiteral("<row ID=\"%1\" NB_IN=\"455\" NB_OUT=\"455\" Mnemonic=\"F\u00f6rderband %1\"/>").arg(r);
        xml += QStringLiteral("</DNET_Net><!--SW_VERSION = 2.004-->");
        writeFile(path, Portable::encoded(xml, encoding.constData(), bom));

        const SlaveListLimitFailure failure = checkSlaveListLimits(path);
        QCOMPARE(failure.row, rows == 65 ? 65 : 0);
        QCOMPARE(failure.textIndex, rows == 65 ? 1202 : 0);
        ModbusMap map;
        map.loadSlaves(path);
        QCOMPARE(map.slaveCount(), rows);
    }
}

QTEST_GUILESS_MAIN(TestModbusMap)
#include "tst_modbusmap.moc"
