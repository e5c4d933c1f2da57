// The register map as CSV: the exact export, the import of an export, bad lines named and refused
// whole, both separators, and the file rules on both sides.
#include "TestFiles.h"
#include "base/AppError.h"
#include "documents/MapCsv.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"
#include "text/TextCatalog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Comment = "<!--SW_VERSION = 2.004-->";
// Slave 1: ID 5 "pump, left" with 2 bytes IN and 4 OUT; slave 2: ID 7 with 3 IN and 1 OUT; slave 3: no bytes.
const QByteArray Slaves = "<DNET_Net>"
                          "<row ID=\"5\" NB_IN=\"2\" NB_OUT=\"4\" Mnemonic=\"pump, left\"/>"
                          "<row ID=\"7\" NB_IN=\"3\" NB_OUT=\"1\" Mnemonic=\"say &quot;hi&quot;\"/>"
                          "<row ID=\"9\" NB_IN=\"0\" NB_OUT=\"0\" Mnemonic=\"\"/>"
                          "</DNET_Net>" +
                          Comment;
// As the editor writes it, with indexes in the forms a user may type, out of index order.
const QByteArray Registers = "<InfoMod><Modbus_Read>"
                             "<row Index=\"$20\" NrDNNode=\"1\" PosComp=\"262146\"/>"
                             "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                             "<row Index=\" 0011\" NrDNNode=\"2\" PosComp=\"1\"/>"
                             "</Modbus_Read><Modbus_Write>"
                             "<row Index=\"0x12D\" NrDNNode=\"1\" PosComp=\"0\"/>"
                             "<row Index=\"300\" NrDNNode=\"2\" PosComp=\"196610\"/>"
                             "</Modbus_Write></InfoMod>" +
                             Comment;

const QByteArray Exported = "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"
                            "32,read,1,5,\"pump, left\",4,2\r\n"
                            "10,read,1,5,\"pump, left\",1,\r\n"
                            "11,read,2,7,\"say \"\"hi\"\"\",,1\r\n"
                            "301,write,1,5,\"pump, left\",,\r\n"
                            "300,write,2,7,\"say \"\"hi\"\"\",3,2\r\n";

ModbusMap loadedMap()
{
    ModbusMap map;
    map.readSlaves(XmlTree::parse(Slaves, QStringLiteral("DNET_Net.xml")));
    map.readRegisters(XmlTree::parse(Registers, QStringLiteral("DefReg.xml")));
    return map;
}

TextCatalog english()
{
    TextCatalog c;
    c.LoadDefaultTexts();
    return c;
}

QByteArray documentBytes(const ModbusMap &map)
{
    return ProjectDocument::toBytes(map.toDocument());
}

QString problems(const MapCsv::ImportResult &r)
{
    return MapCsv::problemsText(r.problems, english());
}

} // namespace

class TestMapCsv : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void exportIsExact();
    void importOfExportGivesTheSameDocument_data();
    void importOfExportGivesTheSameDocument();
    void importReplacesTheRegisters();
    void oneBadLineRefusesAll_data();
    void oneBadLineRefusesAll();
    void everyBadLineNamed();
    void wholeFileRefusals_data();
    void wholeFileRefusals();
    void files();
};

void TestMapCsv::exportIsExact()
{
    QCOMPARE(MapCsv::toCsv(loadedMap()), Exported);
    ModbusMap none;
    none.appendSlave(QStringLiteral("1"), 2, 2);
    QCOMPARE(MapCsv::toCsv(none), QByteArray("Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"));
}

void TestMapCsv::importOfExportGivesTheSameDocument_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("as exported") << Exported;
    QByteArray semicolons = Exported;
    semicolons.replace("\"pump, left\"", "pump, left").replace(',', ';').replace("pump; left", "pump, left");
    QTest::newRow("semicolons, as a spreadsheet writes them") << semicolons;
    QTest::newRow("line feeds only, byte order mark")
        << QByteArray("\xEF\xBB\xBF") + QByteArray(Exported).replace("\r\n", "\n");
    QTest::newRow("no header, no final line end, blank lines")
        << QByteArray(Exported).mid(Exported.indexOf('\n') + 1).replace("\r\n301", "\r\n\r\n,,,,,,\r\n301").chopped(2);
}

void TestMapCsv::importOfExportGivesTheSameDocument()
{
    QFETCH(QByteArray, csv);
    const ModbusMap map = loadedMap();
    const MapCsv::ImportResult result = MapCsv::parse(csv, map, english());
    QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
    QCOMPARE(result.registers, 5);
    // Index texts typed as $20, " 0011" and 0x12D come back as typed: the registers are unchanged.
    QCOMPARE(documentBytes(result.map), Registers);
}

void TestMapCsv::importReplacesTheRegisters()
{
    const ModbusMap map = loadedMap();
    // A new index, a changed byte and a register moved to another slave take the text of the file.
    const QByteArray csv = "Address (0-based);Page;Slave;ID;Mnemonic;High byte;Low byte\n"
                           "0x20;write;2;7;;1;0\n"
                           "12;read;1;5;whatever;0;4\n"
                           "10;read;1; 5 ;;1;2\n";
    const MapCsv::ImportResult result = MapCsv::parse(csv, map, english());
    QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
    QCOMPARE(documentBytes(result.map), QByteArray("<InfoMod><Modbus_Read>"
                                                   "<row Index=\"12\" NrDNNode=\"1\" PosComp=\"4\"/>"
                                                   "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                                                   "</Modbus_Read><Modbus_Write>"
                                                   "<row Index=\"0x20\" NrDNNode=\"2\" PosComp=\"65536\"/>"
                                                   "</Modbus_Write></InfoMod>") +
                                            Comment);
    // The map handed in is left as it was.
    QCOMPARE(documentBytes(map), Registers);
}

void TestMapCsv::oneBadLineRefusesAll_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::addColumn<QString>("reason");
    QTest::newRow("six fields") << QByteArray("40,read,1,5,,1") << "6 fields instead of 7";
    QTest::newRow("eight fields") << QByteArray("40,read,1,5,,1,2,") << "8 fields instead of 7";
    QTest::newRow("page") << QByteArray("40,input,1,5,,1,2") << "the page must be read or write, not \"input\"";
    QTest::newRow("slave 0") << QByteArray("40,read,0,5,,1,2") << "there is no slave \"0\" (the configuration has 3)";
    QTest::newRow("slave 4") << QByteArray("40,read,4,5,,1,2") << "there is no slave \"4\" (the configuration has 3)";
    QTest::newRow("ID of another slave") << QByteArray("40,read,1,7,,1,2")
                                         << "the ID \"7\" is not the ID of slave 1 (\"5\")";
    QTest::newRow("ID holding a placeholder")
        << QByteArray("40,read,1,%3,,1,2") << "the ID \"%3\" is not the ID of slave 1 (\"5\")";
    QTest::newRow("index 65536") << QByteArray("65536,read,1,5,,1,2")
                                 << "the index \"65536\" is not between 0 and 65535";
    QTest::newRow("index empty") << QByteArray(",read,1,5,,1,2") << "the index \"\" is not between 0 and 65535";
    QTest::newRow("index 1.5") << QByteArray("1.5,write,1,5,,1,2") << "the index \"1.5\" is not between 0 and 65535";
    QTest::newRow("index of line 2 as 010")
        << QByteArray("010,write,1,5,,1,0") << "the index 10 is already used in line 2";
    QTest::newRow("high byte beyond the slave")
        << QByteArray("40,read,1,5,,5,2")
        << "the high byte \"5\" is not a byte of the slave (1 to 4, or empty for None)";
    QTest::newRow("low byte beyond the write page")
        << QByteArray("40,write,1,5,,1,3")
        << "the low byte \"3\" is not a byte of the slave (1 to 2, or empty for None)";
    QTest::newRow("low byte not a number")
        << QByteArray("40,read,3,9,,,x") << "the low byte \"x\" is not a byte of the slave (1 to 0, or empty for None)";
    QTest::newRow("negative byte") << QByteArray("40,read,1,5,,-1,")
                                   << "the high byte \"-1\" is not a byte of the slave (1 to 4, or empty for None)";
    QTest::newRow("text after a quote") << QByteArray("40,read,1,\"5\"x,,1,2") << "text follows a closing quote";
}

void TestMapCsv::oneBadLineRefusesAll()
{
    QFETCH(QByteArray, badLine);
    QFETCH(QString, reason);
    const QByteArray csv = "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"
                           "10,read,1,5,,1,2\r\n" +
                           badLine + "\r\n11,write,2,7,,,1\r\n";
    const MapCsv::ImportResult result = MapCsv::parse(csv, loadedMap(), english());
    QCOMPARE(problems(result), QStringLiteral("Line 3: ") + reason);
    QCOMPARE(result.registers, 0);
    QCOMPARE(result.map.registerCount(), 0);
}

void TestMapCsv::everyBadLineNamed()
{
    // A quoted line break counts as a line of the file; the line after it keeps its true number.
    QByteArray csv = "10,read,1,5,\"two\nlines\",1,2\n"
                     "10,write,2,7,,1,1\n";
    for (int i = 0; i < 25; ++i)
        csv += "70000,read,1,5,,,\n";
    const MapCsv::ImportResult result = MapCsv::parse(csv, loadedMap(), english());
    QCOMPARE(result.problems.size(), 26);
    const QStringList lines = problems(result).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 21);
    QCOMPARE(lines.first(), QStringLiteral("Line 3: the index 10 is already used in line 1"));
    QCOMPARE(lines.at(1), QStringLiteral("Line 4: the index \"70000\" is not between 0 and 65535"));
    QCOMPARE(lines.last(), QStringLiteral("... and 6 more lines with errors"));
}

void TestMapCsv::wholeFileRefusals_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << QByteArray() << "the file is empty";
    QTest::newRow("only blank lines") << QByteArray("\r\n\r\n") << "the file is empty";
    QTest::newRow("not UTF-8") << QByteArray("10,read,1,5,\xFF\xFE,1,2\r\n") << "the file is not UTF-8 text";
    QTest::newRow("quote left open") << QByteArray("10,read,1,5,,1,2\r\n11,read,1,\"5,,1,2\r\n12,read,1,5,,,\r\n")
                                     << "Line 2: a quoted field is not closed";
}

void TestMapCsv::wholeFileRefusals()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    const MapCsv::ImportResult result = MapCsv::parse(csv, loadedMap(), english());
    QCOMPARE(problems(result), message);
    QCOMPARE(result.map.registerCount(), 0);

    // A header alone is a map without registers, which is allowed.
    const MapCsv::ImportResult headerOnly =
        MapCsv::parse("Address,Page,Slave,ID,Mnemonic,High,Low\r\n", loadedMap(), english());
    QVERIFY(headerOnly.problems.isEmpty());
    QCOMPARE(headerOnly.map.slaveCount(), 3);
    QCOMPARE(headerOnly.map.registerCount(), 0);
}

void TestMapCsv::files()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("map.csv"));
    MapCsv::save(loadedMap(), path);
    QCOMPARE(MapCsv::readFile(path), Exported);

    // Never through a symbolic link: the file it points to stays as it was.
    const QString target = dir.filePath(QStringLiteral("target.txt"));
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    const QString link = dir.filePath(QStringLiteral("link.csv"));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(target, link));
    QVERIFY_THROWS_EXCEPTION(AppError, MapCsv::save(loadedMap(), link));
    try {
        MapCsv::save(loadedMap(), link);
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(link), qPrintable(e.message()));
    }
    QCOMPARE(MapCsv::readFile(target), QByteArray("keep"));
    QVERIFY_THROWS_EXCEPTION(AppError, MapCsv::save(loadedMap(), dir.filePath(QStringLiteral("no/such/map.csv"))));

    // Reading: a folder, a missing file and a file above the limit are refused naming the file.
    const QString big = dir.filePath(QStringLiteral("big.csv"));
    {
        QFile f(big);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(MapCsv::MaxFileSize + 1));
    }
    for (const QString &bad : {dir.path(), dir.filePath(QStringLiteral("missing.csv")), big}) {
        try {
            MapCsv::readFile(bad);
            QFAIL(qPrintable(bad));
        } catch (const AppError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Cannot read ") + bad), qPrintable(e.message()));
        }
    }
}

QTEST_GUILESS_MAIN(TestMapCsv)
#include "tst_mapcsv.moc"
