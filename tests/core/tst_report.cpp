// The configuration report's content, read back from its HTML as a reader of XML sees it.
#include "Portable.h"
#include "ReportSupport.h"
#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "image/Bank2Image.h"
#include "image/CompileDriver.h"
#include "report/ConfigurationReport.h"
#include "report/ReportHtml.h"
#include "text/TextCatalog.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

using namespace ReportSupport;

namespace {

const QString kParGen = QStringLiteral(
    "<Par_Gen><Device_Type>1</Device_Type><DNET_DEV_ID>10</DNET_DEV_ID><DNET_BAUD>%1</DNET_BAUD>"
    "<DNET_INTERSCAN_DELAY>0</DNET_INTERSCAN_DELAY><MTCPs_IP1>192</MTCPs_IP1><MTCPs_IP2>168</MTCPs_IP2>"
    "<MTCPs_IP3>0</MTCPs_IP3><MTCPs_IP4>10</MTCPs_IP4><MTCPs_SUB1>255</MTCPs_SUB1><MTCPs_SUB2>255</MTCPs_SUB2>"
    "<MTCPs_SUB3>255</MTCPs_SUB3><MTCPs_SUB4>0</MTCPs_SUB4><MTCPs_EN_GAT>%2</MTCPs_EN_GAT>"
    "<MTCPs_GAT1>10</MTCPs_GAT1><MTCPs_GAT2>0</MTCPs_GAT2><MTCPs_GAT3>0</MTCPs_GAT3><MTCPs_GAT4>1</MTCPs_GAT4>"
    "<MTCPs_PORT>%3</MTCPs_PORT><MTCPs_DN_State>0</MTCPs_DN_State></Par_Gen>");

// "ID,in,out,mnemonic" per slave.
QVector<Slave> slavesOf(const QStringList &specs)
{
    QVector<Slave> slaves;
    for (const QString &spec : specs) {
        const QStringList f = spec.split(QLatin1Char(','));
        slaves.append({f.at(0), f.at(1).toInt(), f.at(2).toInt(), f.mid(3).join(QLatin1Char(','))});
    }
    return slaves;
}

// "page,index,slave,hi,lo" per register.
QVector<Register> registersOf(const QStringList &specs)
{
    QVector<Register> registers;
    for (const QString &spec : specs) {
        const QStringList f = spec.split(QLatin1Char(','));
        registers.append({f.at(0).toInt(), f.at(1), f.at(2).toInt(), f.at(3).toInt(), f.at(4).toInt()});
    }
    return registers;
}

// A table's body rows, each as its cells joined by '|'.
QStringList bodyRows(const QVector<QStringList> &table)
{
    QStringList rows;
    for (int r = 1; r < table.size(); ++r)
        rows.append(table.at(r).join(QLatin1Char('|')));
    return rows;
}

struct Project
{
    QTemporaryDir dir;
    WorkspacePaths paths;

    explicit Project(const QString &name = QStringLiteral("Plant A"))
    {
        paths = ConfigurationReport::pathsOf(dir.filePath(name));
        QDir().mkpath(dir.filePath(name + QStringLiteral("/bin")));
    }
    QString file(const QString &name) const { return joinPath(paths.ProjectFolder, name); }
    void parGen(int baud = 2, int gateway = 0, const QString &port = QStringLiteral("502")) const
    {
        write(file(QStringLiteral("ParGen.xml")), kParGen.arg(baud).arg(gateway).arg(port).toUtf8());
    }
    Html report(const TextCatalog &catalog = TextCatalog::english()) const
    {
        return readHtml(ReportHtml::render(ConfigurationReport::build(paths, catalog)));
    }
};

void setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void slaveAndRegisterRows_data();
    void slaveAndRegisterRows();
    void textsShowAsTyped_data();
    void textsShowAsTyped();
    void imageState_data();
    void imageState();
    void settingsAsTheWindowShowsThem_data();
    void settingsAsTheWindowShowsThem();
    void refusalsAreListedFirst_data();
    void refusalsAreListedFirst();
    void germanHeadings();
    void unreadableDocumentStopsTheReport();
    void largestConfigurationWhole();
};

void TestReport::slaveAndRegisterRows_data()
{
    QTest::addColumn<QStringList>("slaves");
    QTest::addColumn<QStringList>("registers");
    QTest::addColumn<QStringList>("slaveRows");
    QTest::addColumn<QStringList>("readRows");
    QTest::addColumn<QStringList>("writeRows");
    QTest::addColumn<QStringList>("pastRows");
    QTest::addColumn<QStringList>("totalRows");

    QTest::newRow("example") << QStringList{"1,4,2,Slave 1", "2,6,8,Slave 2"}
                             << QStringList{"1,100,1,1,2", "2,200,2,0,3"}
                             << QStringList{"1|1|Slave 1|4|2|4|", "2|2|Slave 2|6|8|5|8"}
                             << QStringList{"100|400101|300101|1: 1|1|2|Slave 1"}
                             << QStringList{"200|400201|300201|2: 2|None|3|Slave 2"} << QStringList()
                             << QStringList{"1|1|2|0|0|4", "2|2|0|8|1|5", "Total||2|8|1|9"};
    // By address, whatever the order of the document; the lowest and the highest index, and an index
    // typed with leading zeros, as the register map shows it.
    QTest::newRow("by address, ends of the range")
        << QStringList{"7,2,4,Pump"} << QStringList{"1,65535,1,3,4", "1,0,1,1,2", "2,007,1,2,1"}
        << QStringList{"1|7|Pump|2|4||"}
        << QStringList{"0|400001|300001|1: 7|1|2|Pump", "65535|465536|365536|1: 7|3|4|Pump"}
        << QStringList{"7|400008|300008|1: 7|2|1|Pump"} << QStringList() << QStringList{"1|7|4|0|2|0", "Total||4|0|2|0"};
    // A register past its slave's bytes is marked in its page and listed again at the end.
    QTest::newRow("past the slave's bytes")
        << QStringList{"3,2,2,Valve"} << QStringList{"1,10,1,3,1", "1,11,1,2,0"} << QStringList{"1|3|Valve|2|2|2|"}
        << QStringList{"10|400011|300011|1: 3|3|1 (past the slave's bytes)|Valve", "11|400012|300012|1: 3|2|None|Valve"}
        << QStringList() << QStringList{"Read|10|400011|300011|1: 3|3|1 (past the slave's bytes)|Valve"}
        << QStringList{"1|3|2|0|0|2", "Total||2|0|0|2"};
    QTest::newRow("no slaves") << QStringList() << QStringList() << QStringList() << QStringList() << QStringList()
                               << QStringList() << QStringList();
}

void TestReport::slaveAndRegisterRows()
{
    QFETCH(QStringList, slaves);
    QFETCH(QStringList, registers);
    QFETCH(QStringList, slaveRows);
    QFETCH(QStringList, readRows);
    QFETCH(QStringList, writeRows);
    QFETCH(QStringList, pastRows);
    QFETCH(QStringList, totalRows);
    Project project;
    project.parGen();
    writeDocuments(project.paths.ProjectFolder, slavesOf(slaves), registersOf(registers));
    const Html html = project.report();
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));

    QCOMPARE(bodyRows(html.table(QStringLiteral("slaves"), 0)), slaveRows);
    if (slaves.isEmpty())
        QVERIFY(html.texts.value(QStringLiteral("slaves")).contains(QStringLiteral("No slaves.")));
    else
        QCOMPARE(html.table(QStringLiteral("slaves"), 0).value(0),
                 (QStringList{"Row", "Node address", "Mnemonic", "N Byte IN", "N Byte OUT", "Unmapped bytes IN",
                              "Unmapped bytes OUT"}));

    // The map's tables in order: read page, write page (each only when it has registers), then the
    // registers past their slave's bytes.
    int next = 0;
    const QString map = QStringLiteral("map");
    for (const QStringList *expected : {&readRows, &writeRows, &pastRows}) {
        if (expected->isEmpty())
            continue;
        QCOMPARE(bodyRows(html.table(map, next)), *expected);
        // Marked as the register map window marks them, in the page as in the list at the end.
        const QStringList classes = html.rowClasses.value(map).value(next).mid(1);
        for (int r = 0; r < expected->size(); ++r)
            QCOMPARE(classes.value(r) == QLatin1String("past"), expected->at(r).contains(QLatin1String("past the")));
        ++next;
    }
    QCOMPARE(html.tables.value(map).size(), next);
    QCOMPARE(html.texts.value(map).contains(QStringLiteral("None: every register carries bytes its slave has.")),
             pastRows.isEmpty());
    QCOMPARE(html.problems.join(QLatin1Char('\n')).contains(QLatin1String("DeviceNet Slave does not have")), !pastRows.isEmpty());

    QCOMPARE(bodyRows(html.table(QStringLiteral("totals"), 0)),
             (QStringList{QStringLiteral("Slaves|%1").arg(slaves.size()),
                          QStringLiteral("Registers on the read page|%1").arg(readRows.size()),
                          QStringLiteral("Registers on the write page|%1").arg(writeRows.size())}));
    QCOMPARE(bodyRows(html.table(QStringLiteral("totals"), 1)), totalRows);
}

void TestReport::textsShowAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("script") << QStringLiteral("<script>alert(1)</script>");
    QTest::newRow("entity") << QStringLiteral("&amp;");
    QTest::newRow("attribute break") << QStringLiteral("\"><img src=x onerror=alert(1)>");
    QTest::newRow("quotes") << QStringLiteral("it's \"quoted\"");
    QTest::newRow("right to left") << QStringLiteral("משאבה ראשית 3");
    QTest::newRow("long") << QStringLiteral("Förderband-").repeated(40);
}

// A description, a node address and a configuration name are text, never markup: each reads back as
// typed, and no element of theirs appears.
void TestReport::textsShowAsTyped()
{
    QFETCH(QString, typed);
    // Windows allows no "<", ">" or '"' in a folder's name: there the name carries "&" and "'" alone.
    const QString name = Portable::IsWindows ? QStringLiteral("R&D 'plant' 1") : QStringLiteral("R&D <plant> \"1\"");
    Project project(name);
    project.parGen();
    writeDocuments(project.paths.ProjectFolder, {{typed.left(30), 2, 2, typed}}, {{1, QStringLiteral("5"), 1, 1, 2}});
    const Html html = project.report();
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));
    const QStringList slave = html.table(QStringLiteral("slaves"), 0).value(1);
    QCOMPARE(slave.value(1), typed.left(30));
    QCOMPARE(slave.value(2), typed);
    QCOMPARE(html.table(QStringLiteral("map"), 0).value(1).value(6), typed);
    QCOMPARE(html.table(QStringLiteral("configuration"), 0).value(1), (QStringList{"Name", name}));
    QCOMPARE(html.title, QStringLiteral("Configuration report: ") + name);
    for (const char *element : {"script", "img", "b", "plant"})
        QVERIFY2(!html.elements.contains(QLatin1String(element)), element);
    // Characters XML cannot carry are shown as the replacement character, not dropped or passed on.
    QCOMPARE(ReportHtml::escaped(QStringLiteral("a\x01<b")), QStringLiteral("a\uFFFD&lt;b"));
}

void TestReport::imageState_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("shown");
    QTest::newRow("none") << "none" << "Not compiled: the bin folder holds no bank.bin and bank2.bin.";
    QTest::newRow("one image") << "bank.bin only" << "Not compiled: the bin folder holds no bank.bin and bank2.bin.";
    QTest::newRow("current") << "current" << "Compiled: the images hold the documents as saved.";
    QTest::newRow("older") << "older"
                           << "Older than the documents: a document was saved after the images were compiled.";
    QTest::newRow("checksum") << "checksum" << "Compiled: the images hold the documents as saved.";
}

void TestReport::imageState()
{
    QFETCH(QString, state);
    QFETCH(QString, shown);
    Project project;
    project.parGen();
    writeDocuments(project.paths.ProjectFolder, {{QStringLiteral("1"), 2, 2, QStringLiteral("A")}},
                   {{1, QStringLiteral("0"), 1, 1, 2}});
    const QString bank = joinPath(project.paths.binFolder(), QStringLiteral("bank.bin"));
    const QString bank2 = joinPath(project.paths.binFolder(), QStringLiteral("bank2.bin"));
    const QDateTime saved = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString &document : {project.paths.ParGenPath, project.paths.DnetNetPath, project.paths.DefRegPath})
        setModified(document, saved);
    if (state != QLatin1String("none"))
        CompileDeviceImages(project.paths);
    if (state == QLatin1String("bank.bin only"))
        QVERIFY(QFile::remove(bank2));
    if (state == QLatin1String("older"))
        setModified(project.paths.DefRegPath, QDateTime::currentDateTime().addSecs(60));
    if (state == QLatin1String("checksum")) {
        QFile f(bank2);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(Bank2Image::ParameterBlockOffset + 100));
        const char byte = f.read(1).at(0);
        QVERIFY(f.seek(Bank2Image::ParameterBlockOffset + 100));
        f.write(QByteArray(1, char(byte ^ 0x5a)));
    }

    const Html html = project.report();
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));
    QVERIFY2(html.texts.value(QStringLiteral("configuration")).contains(shown),
             qPrintable(html.texts.value(QStringLiteral("configuration")).join(QLatin1Char('\n'))));
    const QVector<QStringList> files = html.table(QStringLiteral("configuration"), 1);
    if (shown.startsWith(QLatin1String("Not compiled"))) {
        QCOMPARE(files.size(), 0);
        return;
    }
    // Each image by its path, its size and its SHA-256; then the checksum bank2.bin holds.
    QCOMPARE(files.size(), 3);
    int row = 1;
    for (const QString &path : {bank, bank2}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(files.at(row).value(0), QDir::toNativeSeparators(QStringLiteral("bin/") + QFileInfo(path).fileName()));
        QCOMPARE(files.at(row).value(1), QString::number(bytes.size()));
        QCOMPARE(files.at(row).value(3),
                 QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
        ++row;
    }
    QFile f(bank2);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray image = f.readAll();
    const auto *stored = reinterpret_cast<const uchar *>(image.constData()) + Bank2Image::ParameterBlockOffset +
                         Bank2Image::ChecksumOffset;
    const quint32 checksum = stored[0] | stored[1] << 8 | stored[2] << 16 | quint32(stored[3]) << 24;
    const QString checksumCell = html.table(QStringLiteral("configuration"), 2).value(1).value(1);
    QVERIFY2(checksumCell.startsWith(QStringLiteral("0x%1 (%2)")
                                         .arg(QString::number(checksum, 16).toUpper().rightJustified(8, QLatin1Char('0')))
                                         .arg(checksum)),
             qPrintable(checksumCell));
    const bool mismatch = state == QLatin1String("checksum");
    QCOMPARE(checksumCell.contains(QLatin1String("differs")), mismatch);
    QCOMPARE(html.problems.join(QLatin1Char('\n')).contains(QLatin1String("differs")), mismatch);
}

void TestReport::settingsAsTheWindowShowsThem_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("gateway");
    QTest::addColumn<QString>("baudShown");
    QTest::addColumn<QString>("gatewayShown");
    QTest::newRow("125K, no gateway") << 0 << 0 << "125K" << "Off: 10.0.0.1";
    QTest::newRow("500K, gateway") << 2 << 1 << "500K" << "On: 10.0.0.1";
    // A position the window's list lacks shows as stored rather than as a neighbour's text.
    QTest::newRow("unknown baud") << 7 << 0 << "7" << "Off: 10.0.0.1";
}

void TestReport::settingsAsTheWindowShowsThem()
{
    QFETCH(int, baud);
    QFETCH(int, gateway);
    QFETCH(QString, baudShown);
    QFETCH(QString, gatewayShown);
    Project project;
    project.parGen(baud, gateway);
    const Html html = project.report();
    QCOMPARE(bodyRows(html.table(QStringLiteral("settings"), 0)),
             (QStringList{"ID Device|10", "Baudrate|" + baudShown, "Interscan Dalay [ms]|0"}));
    QCOMPARE(bodyRows(html.table(QStringLiteral("settings"), 1)),
             (QStringList{"IP ADDRESS|192.168.0.10", "SUBNET Mask|255.255.255.0", "GATEWAY|" + gatewayShown, "Port|502",
                          "State of DeviceNet Slaves Reg.|0"}));
    QCOMPARE(html.texts.value(QStringLiteral("settings")).mid(1),
             (QStringList{"DeviceNet Master", "Modbus TCP Slave"}));
}

void TestReport::refusalsAreListedFirst_data()
{
    QTest::addColumn<QString>("defect");
    QTest::addColumn<QString>("problem");
    QTest::newRow("none") << "" << "";
    QTest::newRow("index no number") << "index" << "DefReg.xml";
    QTest::newRow("setting out of range") << "port" << "The communication settings window would refuse a value: ";
    QTest::newRow("past bytes") << "past" << "DeviceNet Slave does not have";
    QTest::newRow("slave list beyond limits") << "limits" << "DNET_Net.xml";
}

// What the compile (or the settings window) would refuse is listed in the box at the top, and every
// section is still there.
void TestReport::refusalsAreListedFirst()
{
    QFETCH(QString, defect);
    QFETCH(QString, problem);
    Project project;
    project.parGen(2, 0, defect == QLatin1String("port") ? QStringLiteral("70000") : QStringLiteral("502"));
    const int bytes = defect == QLatin1String("limits") ? 999 : 4;
    const int hi = defect == QLatin1String("past") ? 9 : 1;
    writeDocuments(project.paths.ProjectFolder, {{QStringLiteral("1"), bytes, bytes, QStringLiteral("A")}},
                   {{1, defect == QLatin1String("index") ? QStringLiteral("twelve") : QStringLiteral("12"), 1, hi, 2}});
    QString error;
    try {
        CompileDeviceImages(project.paths);
    } catch (const AppError &e) {
        error = e.message();
    }
    const Html html = project.report();
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));
    // Every section, in its order; those of the map only as a note when the slave list is beyond limits.
    const QStringList sections{"configuration", "settings", "slaves", "map", "totals"};
    for (const QString &section : sections)
        QVERIFY2(!html.texts.value(section).isEmpty(), qPrintable(section));
    QCOMPARE(html.tables.contains(QStringLiteral("slaves")), defect != QLatin1String("limits"));
    if (problem.isEmpty()) {
        QCOMPARE(html.problems, QStringList());
        QVERIFY(!html.elements.contains(QStringLiteral("ul")));
        return;
    }
    QCOMPARE(html.problems.size(), 1);
    QVERIFY2(html.problems.first().contains(problem), qPrintable(html.problems.first()));
    // The compile's own message, word for word.
    if (defect == QLatin1String("index") || defect == QLatin1String("limits"))
        QCOMPARE(html.problems.first().contains(error.left(40)), true);
    if (defect == QLatin1String("limits"))
        QVERIFY(html.texts.value(QStringLiteral("map")).contains(
            QStringLiteral("Not shown: the slave list holds more than the DeviceNet Network step accepts.")));
}

void TestReport::germanHeadings()
{
    TextCatalog german;
    german.LoadDefaultTexts();
    german.LoadLanguageFile(QStringLiteral(SW_SOURCE_DIR "/lang/Deutsch.lng"));
    Project project;
    project.parGen();
    writeDocuments(project.paths.ProjectFolder, {{QStringLiteral("1"), 2, 2, QStringLiteral("A")}},
                   {{1, QStringLiteral("0"), 1, 1, 2}});
    const QString text = ReportHtml::render(ConfigurationReport::build(project.paths, german));
    QVERIFY(text.contains(QLatin1String("lang=\"de\"")));
    const Html html = readHtml(text);
    QCOMPARE(html.title, QStringLiteral("Konfigurationsbericht: Plant A"));
    const QStringList headings{"Konfiguration", "Kommunikationseinstellungen", "DeviceNet-Slave-Liste",
                               "Registertabelle", "Summen"};
    const QStringList sections{"configuration", "settings", "slaves", "map", "totals"};
    for (int i = 0; i < sections.size(); ++i)
        QCOMPARE(html.texts.value(sections.at(i)).value(0), headings.at(i));
    QCOMPARE(html.texts.value(QStringLiteral("map")).mid(1, 2), (QStringList{"Leseseite", "Schreibseite"}));
    QCOMPARE(html.table(QStringLiteral("slaves"), 0).value(0).value(1), QStringLiteral("Knotenadresse"));
}

void TestReport::unreadableDocumentStopsTheReport()
{
    Project project;
    project.parGen();
    write(project.paths.DnetNetPath, "<DNET_Net><row ID=");
    try {
        ConfigurationReport::build(project.paths, TextCatalog::english());
        QFAIL("a report of a document that cannot be read");
    } catch (const AppError &error) {
        QVERIFY2(error.message().contains(QLatin1String("DNET_Net.xml")), qPrintable(error.message()));
    }
}

// The largest configuration: every slave and every register with its reference numbers.
void TestReport::largestConfigurationWhole()
{
    Project project;
    project.parGen();
    writeLargest(project.paths.ProjectFolder);
    const Html html = project.report();
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));
    QCOMPARE(html.table(QStringLiteral("slaves"), 0).size(), 1 + 63);
    int expectedIndex = 0;
    for (int page = 0; page < 2; ++page) {
        const QVector<QStringList> table = html.table(QStringLiteral("map"), page);
        QCOMPARE(table.size(), 1 + 6144);
        for (int r = 1; r < table.size(); ++r, ++expectedIndex) {
            const QStringList &row = table.at(r);
            QCOMPARE(row.at(0).toInt(), expectedIndex);
            QCOMPARE(row.at(1).toInt(), 400001 + expectedIndex);
            QCOMPARE(row.at(2).toInt(), 300001 + expectedIndex);
        }
    }
    QCOMPARE(html.problems, QStringList());
}

QTEST_GUILESS_MAIN(TestReport)
#include "tst_report.moc"
