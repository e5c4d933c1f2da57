// The register map as CSV: the exact export, the import of an export, bad lines named and refused
// whole, both separators, and the file rules on both sides.
#include "FailingSteps.h"
#include "TestFiles.h"

#include "base/AppError.h"
#include "documents/MapCsv.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"
#include "text/TextCatalog.h"

#include <QDir>
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
    void windows1252();
    void fileSizeIsHeldToTheLargestExport();
    void fieldsNeedingQuotes_data();
    void fieldsNeedingQuotes();
    void problemsTextLimit_data();
    void problemsTextLimit();
    void files();
    void saveFailureKeepsTheOldFile_data();
    void saveFailureKeepsTheOldFile();
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
    QTest::addColumn<QString>("language"); // the language file in force, empty for English
    QTest::newRow("as exported") << Exported << QString();
    // The word the program shows for none stands for none, in any letter case.
    QTest::newRow("None in the byte columns") << QByteArray(Exported)
                                                     .replace(",1,\r\n", ",1,None\r\n")
                                                     .replace(",,1\r\n", ",none ,1\r\n")
                                                     .replace(",,\r\n", ",NONE,None\r\n")
                                              << QString();
    QTest::newRow("Keines in German")
        << QByteArray(Exported).replace(",1,\r\n", ",1,Keines\r\n").replace(",,\r\n", ",keines,None\r\n")
        << "Deutsch.lng";
    QByteArray semicolons = Exported;
    semicolons.replace("\"pump, left\"", "pump, left").replace(',', ';').replace("pump; left", "pump, left");
    QTest::newRow("semicolons, as a spreadsheet writes them") << semicolons << QString();
    // A spreadsheet that saw a wider sheet adds empty columns to the header and to some lines.
    QByteArray widened = semicolons;
    widened.replace("Low byte\r\n", "Low byte;;\r\n").replace(";1;\r\n", ";1;;;\r\n").replace(";;1\r\n", ";;1; \r\n");
    QTest::newRow("empty columns after the last, as a spreadsheet writes them") << widened << QString();
    QTest::newRow("line feeds only, byte order mark")
        << QByteArray("\xEF\xBB\xBF") + QByteArray(Exported).replace("\r\n", "\n") << QString();
    QTest::newRow("blank lines before the header and between lines, no final line end")
        << "\r\n \r\n" + QByteArray(Exported).replace("\r\n301", "\r\n\r\n,,,,,,\r\n301").chopped(2) << QString();
    // A tool that adds a byte order mark to a file that has one: both marks are read as marks.
    QTest::newRow("two byte order marks") << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF") + Exported << QString();
    QTest::newRow("columns reordered, names in other case and with blanks")
        << QByteArray("Low Byte, page ,HIGH BYTE,Mnemonic,Slave,ID,address (0-BASED)\r\n"
                      "2,read,4,\"pump, left\",1,5,32\r\n"
                      ",read,1,\"pump, left\",1,5,10\r\n"
                      "1,read,,x,2,7,11\r\n"
                      ",write,,,1,5,301\r\n"
                      "2,write,3,,2,7,300\r\n")
        << QString();
    QTest::newRow("without ID and mnemonic") << QByteArray("Address (0-based);Page;Slave;High byte;Low byte\n"
                                                           "32;read;1;4;2\n10;read;1;1;\n11;read;2;;1\n"
                                                           "301;write;1;;\n300;write;2;3;2\n")
                                             << QString();
}

void TestMapCsv::importOfExportGivesTheSameDocument()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, language);
    TextCatalog catalog = english();
    if (!language.isEmpty())
        catalog.LoadLanguageFile(QStringLiteral(SW_SOURCE_DIR "/lang/") + language);
    const ModbusMap map = loadedMap();
    const MapCsv::ImportResult result = MapCsv::parse(csv, map, catalog);
    QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
    QCOMPARE(result.registers, 5);
    // The summary says that the mnemonics of the file are not taken, when the file has them.
    QCOMPARE(result.hasMnemonic, !QByteArray(QTest::currentDataTag()).startsWith("without ID"));
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
    QTest::newRow("eight fields") << QByteArray("40,read,1,5,,1,2,x") << "8 fields instead of 7";
    QTest::newRow("page") << QByteArray("40,input,1,5,,1,2") << "the page must be read or write, not \"input\"";
    QTest::newRow("slave 0") << QByteArray("40,read,0,5,,1,2") << "there is no slave \"0\" (the configuration has 3)";
    QTest::newRow("slave 4") << QByteArray("40,read,4,5,,1,2") << "there is no slave \"4\" (the configuration has 3)";
    QTest::newRow("slave of the lowest integer")
        << QByteArray("40,read,-2147483648,5,,1,2") << "there is no slave \"-2147483648\" (the configuration has 3)";
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
    QByteArray csv = "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\n"
                     "10,read,1,5,\"two\nlines\",1,2\n"
                     "10,write,2,7,,1,1\n";
    for (int i = 0; i < 25; ++i)
        csv += "70000,read,1,5,,,\n";
    const MapCsv::ImportResult result = MapCsv::parse(csv, loadedMap(), english());
    QCOMPARE(result.problems.size(), 26);
    QCOMPARE(result.problemCount, 26);
    const QStringList lines = problems(result).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 21);
    QCOMPARE(lines.first(), QStringLiteral("Line 4: the index 10 is already used in line 2"));
    QCOMPARE(lines.at(1), QStringLiteral("Line 5: the index \"70000\" is not between 0 and 65535"));
    QCOMPARE(lines.last(), QStringLiteral("... and 6 more lines with errors"));

    // A file of nothing but bad lines keeps the first MaxProblems and counts the others.
    QByteArray many = "Address (0-based),Page,Slave,High byte,Low byte\n";
    for (int i = 0; i < MapCsv::MaxProblems + 500; ++i)
        many += "1,x,1,,\n";
    const MapCsv::ImportResult bounded = MapCsv::parse(many, loadedMap(), english());
    QCOMPARE(bounded.problems.size(), MapCsv::MaxProblems);
    QCOMPARE(bounded.problemCount, MapCsv::MaxProblems + 500);
    QCOMPARE(bounded.problems.last().line, MapCsv::MaxProblems + 1);
    QCOMPARE(MapCsv::problemsText(bounded.problems, english(), MapCsv::MaxProblems, bounded.problemCount)
                 .section(QLatin1Char('\n'), -1),
             QStringLiteral("... and 500 more lines with errors"));
}

void TestMapCsv::wholeFileRefusals_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("message");
    const QByteArray header = "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n";
    QTest::newRow("empty") << QByteArray() << "the file is empty";
    QTest::newRow("a byte order mark alone") << QByteArray("\xEF\xBB\xBF") << "the file is empty";
    const QString noFields =
        QStringLiteral("the file holds no fields: only empty lines, separators, blanks or control characters");
    QTest::newRow("only line ends") << QByteArray("\r\n\n\r\r\n") << noFields;
    QTest::newRow("only commas") << QByteArray(",,,\n,,,,,,\n,\n") << noFields;
    QTest::newRow("only semicolons") << QByteArray(";;;;\r\n;") << noFields;
    QTest::newRow("only NULs") << QByteArray("\0\0\n\0\n", 5) << noFields;
    QTest::newRow("quote left open") << header + "10,read,1,5,,1,2\r\n11,read,1,\"5,,1,2\r\n12,read,1,5,,,\r\n"
                                     << "Line 3: a quoted field is not closed";
    QTest::newRow("quote left open in the header") << QByteArray("Address (0-based),\"Page\n")
                                                   << "Line 1: a quoted field is not closed";
    // A file of registers without its header line: one sentence for the line, not one per column.
    const QString headerFirst = QStringLiteral("Line 1: the first line must be the header, naming the columns: "
                                               "Address (0-based), Page, Slave, ID, Mnemonic, High byte, Low byte");
    QTest::newRow("no header") << QByteArray("10,read,1,5,,1,2\r\n11,read,1,5,,2,\r\n") << headerFirst;
    // Empty lines before it do not count: the first line with text is the one named.
    QTest::newRow("no header, semicolons")
        << QByteArray("\r\n10;read;1;5;pump;1;2;;\r\n") << QString(headerFirst).replace("Line 1", "Line 2");
    QTest::newRow("a header in another language") << QByteArray("Adresse;Seite;Slave-Nr;Hoch;Tief\r\n") << headerFirst;
    // A cut-off export would empty the map.
    const QString noRegisters = QStringLiteral("the file holds no registers; nothing was changed");
    QTest::newRow("the header alone") << header << noRegisters;
    QTest::newRow("the header and empty lines") << header + "\r\n,,,,,,\r\n \r\n" << noRegisters;
    QTest::newRow("a required column missing") << QByteArray("Address (0-based),Page,Slave,ID,High byte\r\n")
                                               << "Line 1: the column \"Low byte\" is missing";
    QTest::newRow("an unknown column")
        << QByteArray("Address (0-based),Page,Slave,Colour,High byte,Low byte\r\n")
        << "Line 1: the column \"Colour\" is unknown (the columns are: Address (0-based), Page, Slave, ID, "
           "Mnemonic, High byte, Low byte)";
    QTest::newRow("a column twice") << QByteArray("Address (0-based);Page;Slave;High byte;Low byte; page \r\n")
                                    << "Line 1: the column \"Page\" appears more than once";
    QTest::newRow("line shorter than the header") << header + "10,read,1,5,,1\r\n"
                                                  << "Line 2: 6 fields instead of 7";
    QTest::newRow("line longer than a header without ID")
        << QByteArray("Address (0-based),Page,Slave,High byte,Low byte\r\n10,read,1,5,,1,2\r\n")
        << "Line 2: 7 fields instead of 5";
    // Text that is no UTF-8 is read as Windows-1252; what is still wrong is named with its line.
    QTest::newRow("Windows-1252, a fault named with its line")
        << header + "10,read,1,5,,1,2\r\n11,l\xE9sen,1,5,,1,2\r\n"
        << QString::fromUtf8("Line 3: the page must be read or write, not \"l\xC3\xA9sen\"");
}

void TestMapCsv::wholeFileRefusals()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, message);
    const MapCsv::ImportResult result = MapCsv::parse(csv, loadedMap(), english());
    QCOMPARE(MapCsv::problemsText(result.problems, english(), 100), message);
    QCOMPARE(result.map.registerCount(), 0);
}

void TestMapCsv::windows1252()
{
    // A spreadsheet on Windows writes the slave's ID and the mnemonic in Windows-1252 (e with acute, the euro
    // sign as 0x80).
    ModbusMap map;
    map.appendSlave(QString::fromUtf8("K\xC3\xBChler"), 2, 2, QString::fromUtf8("\xE2\x82\xAC"));
    const QByteArray csv = "Address (0-based);Page;Slave;ID;Mnemonic;High byte;Low byte\r\n"
                           "7;read;1;K\xFChler;\x80 caf\xE9;1;2\r\n";
    const MapCsv::ImportResult result = MapCsv::parse(csv, map, english());
    QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
    QCOMPARE(result.registers, 1);
    QCOMPARE(result.map.registers(0, ModbusMap::Read).first().HiPart, 1);
}

void TestMapCsv::fileSizeIsHeldToTheLargestExport()
{
    // The largest map: both pages full, every slave with a long ID and mnemonic that need quotes.
    ModbusMap map;
    for (int s = 0; s < 64; ++s)
        map.appendSlave(QStringLiteral("ID \"%1\", long").arg(s), 455, 455,
                        QString(60, QChar(0x20AC)) + QStringLiteral(",%1").arg(s));
    for (int i = 0; i < 2 * 6144; ++i) {
        TMod_Reg reg;
        reg.Ind_Mod = QString::number(60000 - i);
        reg.HiPart = 455;
        reg.LoPart = 454;
        map.appendRegister(63, i < 6144 ? ModbusMap::Read : ModbusMap::Write, reg);
    }
    const QByteArray exported = MapCsv::toCsv(map);
    QVERIFY(exported.size() <= MapCsv::largestImport(map));
    const MapCsv::ImportResult reread = MapCsv::parse(exported, map, english());
    QVERIFY2(reread.problems.isEmpty(), qPrintable(problems(reread)));
    QCOMPARE(reread.registers, 2 * 6144);

    // Short texts: the cap stays near the export of such a map, far below the reading limit.
    const ModbusMap small = loadedMap();
    QVERIFY(MapCsv::largestImport(small) < 2 * 1024 * 1024);
    const QByteArray lines(MapCsv::largestImport(small) + 1, '\n');
    const MapCsv::ImportResult refused = MapCsv::parse(lines, small, english());
    QCOMPARE(problems(refused), QStringLiteral("the file has %1 bytes, more than any register map of this "
                                               "configuration exports (at most %2)")
                                    .arg(lines.size())
                                    .arg(MapCsv::largestImport(small)));
    QCOMPARE(refused.problemCount, 1);
}

void TestMapCsv::fieldsNeedingQuotes_data()
{
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("plain") << "pump" << QByteArray("pump");
    QTest::newRow("comma") << "a,b" << QByteArray("\"a,b\"");
    QTest::newRow("semicolon") << "a;b" << QByteArray("\"a;b\"");
    QTest::newRow("quote") << "say \"hi\"" << QByteArray("\"say \"\"hi\"\"\"");
    QTest::newRow("line feed") << "a\nb" << QByteArray("\"a\nb\"");
    QTest::newRow("carriage return") << "a\rb" << QByteArray("\"a\rb\"");
    QTest::newRow("blank at an end") << " a" << QByteArray("\" a\"");
}

void TestMapCsv::fieldsNeedingQuotes()
{
    QFETCH(QString, mnemonic);
    QFETCH(QByteArray, field);
    ModbusMap map;
    map.appendSlave(QStringLiteral("3"), 1, 1, mnemonic);
    map.appendRegister(0, ModbusMap::Read, TMod_Reg{QStringLiteral("9"), 1, 0});
    const QByteArray csv = MapCsv::toCsv(map);
    QCOMPARE(csv.mid(csv.indexOf("\r\n") + 2), "9,read,1,3," + field + ",1,\r\n");
    // Read back by either separator, the field is the text.
    for (const char separator : {',', ';'}) {
        QByteArray other = csv;
        if (separator == ';')
            other.replace("Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte",
                          "Address (0-based);Page;Slave;ID;Mnemonic;High byte;Low byte")
                .replace(",read,1,3,", ";read;1;3;")
                .replace(",1,\r\n", ";1;\r\n");
        const MapCsv::ImportResult result = MapCsv::parse(other, map, english());
        QVERIFY2(result.problems.isEmpty(), qPrintable(problems(result)));
        QCOMPARE(result.registers, 1);
    }
}

void TestMapCsv::problemsTextLimit_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("last");
    QTest::newRow("one below the limit") << 2 << 2 << "Line 2: reason";
    QTest::newRow("at the limit") << 3 << 3 << "Line 3: reason";
    QTest::newRow("one above the limit") << 4 << 4 << "... and 1 more lines with errors";
}

void TestMapCsv::problemsTextLimit()
{
    QFETCH(int, count);
    QVector<MapCsv::Problem> list;
    for (int i = 1; i <= count; ++i)
        list.append({i, QStringLiteral("reason")});
    const QStringList text = MapCsv::problemsText(list, english(), 3).split(QLatin1Char('\n'));
    QTEST(int(text.size()), "lines");
    QTEST(text.last(), "last");
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

void TestMapCsv::saveFailureKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("write") << "write";
    QTest::newRow("sync") << "sync";
    QTest::newRow("commit") << "commit";
}

void TestMapCsv::saveFailureKeepsTheOldFile()
{
    QFETCH(QString, step);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tags.csv"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old tags");
    }
    FailingSteps steps(step, QStringLiteral("tags.csv"));
    try {
        MapCsv::save(loadedMap(), path, steps);
        QFAIL("the save reported success");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(path) && e.message().contains(FailingSteps::injected()), qPrintable(e.message()));
    }
    QCOMPARE(MapCsv::readFile(path), QByteArray("old tags"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("tags.csv")});
}

QTEST_GUILESS_MAIN(TestMapCsv)
#include "tst_mapcsv.moc"
