// The slave list moves the registers of DefReg.xml with their slaves, when the user wants it: a
// register names its slave by position, so a deleted or inserted row would re-point it silently.
#include "GridWidget.h"
#include "TFDeviceNetNetwork.h"
#include "TestWorkspace.h"
#include "documents/DnetNetDocument.h"
#include "documents/ProjectDocument.h"

#include <QPushButton>
#include <QtTest>

namespace {

QByteArray documentOf(const QList<QStringList> &rows)
{
    QByteArray bytes("<DNET_Net>");
    for (const QStringList &row : rows)
        bytes += QStringLiteral("<row ID=\"%1\" NB_IN=\"%2\" NB_OUT=\"%3\" Mnemonic=\"%4\"/>")
                     .arg(row.at(0), row.at(1), row.at(2), row.at(3))
                     .toUtf8();
    return bytes + "</DNET_Net><!--SW_VERSION = 2.004-->";
}

} // namespace

class TestSlaveRegisters : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void registersFollowTheirSlaves_data();
    void registersFollowTheirSlaves();
    void failedRegisterSaveIsReported();
    void unreadableRegisterMap_data();
    void unreadableRegisterMap();

private:
    GridWidget *sga() const { return m_dlg->findChild<GridWidget *>("sga"); }
    QPushButton *button(const char *name) const { return m_dlg->findChild<QPushButton *>(name); }
    void setRows(const QList<QStringList> &rows, int first)
    {
        for (int i = 0; i < rows.size(); ++i)
            for (int c = 1; c <= 4; ++c)
                sga()->cells().setCell(first + i, c, rows.at(i).at(c - 1));
    }
    void selectRow(int r) { sga()->setCurrentCell(r - 1, 1); }
    QByteArray savedFile() const { return TestWorkspace::readFile(m_ws->context.paths.DnetNetPath); }

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<TFDeviceNetNetwork> m_dlg;
};

void TestSlaveRegisters::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    m_ws->makeProject(QStringLiteral("Plant"));
    m_dlg = std::make_unique<TFDeviceNetNetwork>(m_ws->context);
}

void TestSlaveRegisters::cleanup()
{
    m_dlg.reset();
    m_ws.reset();
}

namespace {

// Five slaves; registers on slaves 1 to 4 only. Each digit is one register's slave number.
const QByteArray FiveSlaves = documentOf({{"11", "2", "2", "a"},
                                          {"12", "2", "2", "b"},
                                          {"13", "2", "2", "c"},
                                          {"14", "2", "2", "d"},
                                          {"15", "2", "2", "e"}});

QByteArray defRegOf(const QByteArray &read, const QByteArray &write)
{
    const auto rows = [](const QByteArray &nodes, int first) {
        QByteArray xml;
        for (int i = 0; i < nodes.size(); ++i)
            xml += "<row Index=\"" + QByteArray::number(first + i) + "\" NrDNNode=\"" + QByteArray(1, nodes.at(i)) +
                   "\" PosComp=\"65537\"/>";
        return xml;
    };
    return "<InfoMod><Modbus_Read>" + rows(read, 0) + "</Modbus_Read><Modbus_Write>" + rows(write, 100) +
           "</Modbus_Write></InfoMod><!--SW_VERSION = 2.004-->";
}

// The slave numbers of DefReg.xml as defRegOf takes them, '-' for a register that is gone.
QByteArray nodesOf(const QByteArray &file, int first, int count)
{
    QByteArray nodes(count, '-');
    const QDomDocument doc = ProjectDocument::parse(file, "DefReg.xml");
    for (QDomElement section = doc.documentElement().firstChildElement(); !section.isNull();
         section = section.nextSiblingElement()) {
        for (QDomElement row = section.firstChildElement(); !row.isNull(); row = row.nextSiblingElement()) {
            const int at = row.attribute("Index").toInt() - first;
            if (at >= 0 && at < count)
                nodes[at] = row.attribute("NrDNNode").toLatin1().at(0);
        }
    }
    return nodes;
}

// Runs a step of its own when the three-way question comes, then answers as prepared.
class ActingMessages : public FakeMessages
{
public:
    std::function<void()> onChoice;
    Answer questionWithCancel(const QString &text) override
    {
        if (onChoice)
            onChoice();
        return FakeMessages::questionWithCancel(text);
    }
};

} // namespace

void TestSlaveRegisters::registersFollowTheirSlaves_data()
{
    // d<row>: Delete Row, i<row>: Insert Row, n<row>: type a new slave, b<row>: blank the row's cells,
    // c<row>:<column>=<text>: type into one cell.
    QTest::addColumn<QString>("edits");
    QTest::addColumn<int>("choice"); // Messages::Answer; -1: no question expected
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QStringList>("slaveIds"); // in DNET_Net.xml afterwards; empty: not saved
    QTest::addColumn<QStringList>("what");     // the question's lines on the registers, before the answers
    QTest::addColumn<int>("removed");          // registers the Yes line says are removed

    const int yes = int(Messages::Answer::Yes);
    const int no = int(Messages::Answer::No);
    const int cancel = int(Messages::Answer::Cancel);
    const QStringList without2{"11", "13", "14", "15"};
    const QStringList delete2{"Slave 2 (ID 12) is deleted: its 2 Registers go with it",
                              "Slave 3 (ID 13) is now slave 2: its 1 Register follows it",
                              "Slave 4 (ID 14) is now slave 3: its 1 Register follows it"};
    QTest::newRow("delete 2, yes") << "d2" << yes << QByteArray("1-23") << QByteArray("-") << without2 << delete2 << 2;
    QTest::newRow("delete 2, no") << "d2" << no << QByteArray("1234") << QByteArray("2") << without2 << delete2 << 2;
    QTest::newRow("delete 2, cancel") << "d2" << cancel << QByteArray("1234") << QByteArray("2") << QStringList()
                                      << delete2 << 2;
    QTest::newRow("insert at 1, yes") << "i1 n1" << yes << QByteArray("2345") << QByteArray("3")
                                      << QStringList{"0", "11", "12", "13", "14", "15"}
                                      << QStringList{"Slave 1 (ID 11) is now slave 2: its 1 Register follows it",
                                                     "Slave 2 (ID 12) is now slave 3: its 2 Registers follow it",
                                                     "Slave 3 (ID 13) is now slave 4: its 1 Register follows it",
                                                     "Slave 4 (ID 14) is now slave 5: its 1 Register follows it"}
                                      << 0;
    // A new slave in the place of a deleted one does not take over its registers.
    QTest::newRow("delete 2, new slave there, yes")
        << "d2 i2 n2" << yes << QByteArray("1-34") << QByteArray("-") << QStringList{"11", "0", "13", "14", "15"}
        << QStringList{"Slave 2 (ID 12) is deleted: its 2 Registers go with it"} << 2;
    // A slave whose row is blanked is gone like a deleted one, and so are its registers.
    QTest::newRow("last two rows blanked, yes")
        << "b4 b5" << yes << QByteArray("123-") << QByteArray("2") << QStringList{"11", "12", "13"}
        << QStringList{"Slave 4 (ID 14) is deleted: its 1 Register goes with it"} << 1;
    // A byte count below the bytes that registers carry: Yes drops those registers, No keeps them as
    // they are, Cancel saves nothing.
    const QStringList fiveSlaves{"11", "12", "13", "14", "15"};
    const QStringList shrunk3{"Slave 3 (ID 13), Read: 1 Register carries bytes beyond its new count of 0"};
    QTest::newRow("slave 3 OUT to 0, yes")
        << "c3:3=0" << yes << QByteArray("12-4") << QByteArray("2") << fiveSlaves << shrunk3 << 1;
    QTest::newRow("slave 3 OUT to 0, no")
        << "c3:3=0" << no << QByteArray("1234") << QByteArray("2") << fiveSlaves << shrunk3 << 1;
    QTest::newRow("slave 3 OUT to 0, cancel")
        << "c3:3=0" << cancel << QByteArray("1234") << QByteArray("2") << QStringList() << shrunk3 << 1;
    QTest::newRow("slave 2 IN to 0, yes")
        << "c2:2=0" << yes << QByteArray("1234") << QByteArray("-") << fiveSlaves
        << QStringList{"Slave 2 (ID 12), Write: 1 Register carries bytes beyond its new count of 0"} << 1;
    // The registers carry bytes 1 and 1: one byte is enough.
    QTest::newRow("slave 3 OUT to 1") << "c3:3=1" << -1 << QByteArray("1234") << QByteArray("2") << fiveSlaves
                                      << QStringList() << 0;
    // Moved and shrunk at once: the slave is named by its new place.
    QTest::newRow("delete 1, slave 3 OUT to 0, yes")
        << "d1 c2:3=0" << yes << QByteArray("-1-3") << QByteArray("1") << QStringList{"12", "13", "14", "15"}
        << QStringList{"Slave 1 (ID 11) is deleted: its 1 Register goes with it",
                       "Slave 2 (ID 12) is now slave 1: its 2 Registers follow it",
                       "Slave 4 (ID 14) is now slave 3: its 1 Register follows it",
                       "Slave 2 (ID 13), Read: 1 Register carries bytes beyond its new count of 0"}
        << 2;
    // Nothing with registers moved: no question.
    QTest::newRow("delete 5") << "d5" << -1 << QByteArray("1234") << QByteArray("2")
                              << QStringList{"11", "12", "13", "14"} << QStringList() << 0;
    QTest::newRow("new slave at the end") << "n6" << -1 << QByteArray("1234") << QByteArray("2")
                                          << QStringList{"11", "12", "13", "14", "15", "0"} << QStringList() << 0;
}

void TestSlaveRegisters::registersFollowTheirSlaves()
{
    QFETCH(QString, edits);
    QFETCH(int, choice);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, write);
    QFETCH(QStringList, slaveIds);
    QFETCH(QStringList, what);
    QFETCH(int, removed);

    const QByteArray before = defRegOf("1234", "2");
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, FiveSlaves);
    TestWorkspace::writeFile(m_ws->context.paths.DefRegPath, before);
    m_dlg->show();
    for (const QString &edit : edits.split(QLatin1Char(' '))) {
        const int r = edit.mid(1).section(QLatin1Char(':'), 0, 0).toInt();
        if (edit.startsWith(QLatin1Char('d'))) {
            selectRow(r);
            button("Btn_DelRow")->click(); // answered yes
        } else if (edit.startsWith(QLatin1Char('i'))) {
            selectRow(r);
            button("Btn_InsRow")->click();
        } else if (edit.startsWith(QLatin1Char('b'))) {
            setRows({{"", "", "", ""}}, r);
        } else if (edit.startsWith(QLatin1Char('c'))) {
            const QString cell = edit.section(QLatin1Char(':'), 1);
            sga()->cells().setCell(r, cell.section(QLatin1Char('='), 0, 0).toInt(), cell.section(QLatin1Char('='), 1));
        } else {
            setRows({{"0", "1", "1", "new"}}, r);
        }
    }
    m_ws->messages.clear();
    if (choice >= 0)
        m_ws->messages.setNextChoice(Messages::Answer(choice));
    button("Btn_OK")->click();

    if (choice < 0) {
        QCOMPARE(m_ws->messages.texts(), QStringList());
    } else {
        QCOMPARE(m_ws->messages.count(), 1);
        QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("choice"));
        const QString yesLine = removed == 1 ? QStringLiteral("Yes: the Registers follow their Slaves, and the 1 Register "
                                                              "listed is removed.")
                                : removed > 0 ? QStringLiteral("Yes: the Registers follow their Slaves, and the %1 "
                                                               "Registers listed are removed.")
                                                    .arg(removed)
                                            : QStringLiteral("Yes: the Registers follow their Slaves.");
        QCOMPARE(m_ws->messages.last(),
                 "The changes to the DeviceNet Slaves affect their Modbus Registers:\n" + what.join('\n') + "\n\n" +
                     yesLine +
                     "\nNo: the Modbus Registers stay as they are, so they then point at other Slaves' bytes.\n"
                     "Cancel: back to the list.");
    }
    const QByteArray defReg = TestWorkspace::readFile(m_ws->context.paths.DefRegPath);
    QCOMPARE(nodesOf(defReg, 0, 4), read);
    QCOMPARE(nodesOf(defReg, 100, 1), write);
    if (read == "1234" && write == "2")
        QCOMPARE(defReg, before); // not rewritten at all
    const DnetNetDocument::Loaded saved = DnetNetDocument::load(m_ws->context.paths.DnetNetPath);
    if (slaveIds.isEmpty()) {
        QCOMPARE(savedFile(), FiveSlaves);
        QVERIFY(m_dlg->isVisible());
        return;
    }
    QStringList ids;
    for (const DnetSlaveRow &s : saved.slaves)
        ids << s.ID;
    QCOMPARE(ids, slaveIds);
    QVERIFY(!m_dlg->isVisible());
}

void TestSlaveRegisters::failedRegisterSaveIsReported()
{
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, FiveSlaves);
    TestWorkspace::writeFile(m_ws->context.paths.DefRegPath, defRegOf("1234", "2"));
    ActingMessages messages;
    m_ws->context.messages = &messages;
    // The register map cannot be written once the question is answered: a folder stands in its place.
    const QString defRegPath = m_ws->context.paths.DefRegPath;
    messages.onChoice = [defRegPath] { QVERIFY(QFile::remove(defRegPath) && QDir().mkdir(defRegPath)); };
    m_dlg->show();
    selectRow(2);
    button("Btn_DelRow")->click();
    button("Btn_OK")->click();

    QCOMPARE(messages.count(), 3); // delete, follow, the failure
    QCOMPARE(messages.lastKind(), QStringLiteral("error"));
    QVERIFY2(messages.last().startsWith("The DeviceNet Slaves List was saved, but the Modbus Registers could not be "
                                        "updated and still refer to the old positions of the Slaves: "),
             qPrintable(messages.last()));
    QVERIFY(messages.last().contains(defRegPath));
    // What the message says: the slave list is saved, and the dialog stays open for another try.
    QCOMPARE(savedFile(),
             documentOf({{"11", "2", "2", "a"}, {"13", "2", "2", "c"}, {"14", "2", "2", "d"}, {"15", "2", "2", "e"}}));
    QVERIFY(m_dlg->isVisible());
    m_ws->context.messages = &m_ws->messages;
}

void TestSlaveRegisters::unreadableRegisterMap_data()
{
    QTest::addColumn<bool>("deleteRow");
    // Nothing moved: the slave list is saved; the register map step reports the file when opened.
    QTest::newRow("count changed") << false;
    // A moved slave needs its registers renumbered: the error is shown and nothing is saved.
    QTest::newRow("slave deleted") << true;
}

void TestSlaveRegisters::unreadableRegisterMap()
{
    QFETCH(bool, deleteRow);
    const QByteArray broken = "<InfoMod><Modbus_Read><row";
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, FiveSlaves);
    TestWorkspace::writeFile(m_ws->context.paths.DefRegPath, broken);
    m_dlg->show();
    if (deleteRow) {
        selectRow(2);
        button("Btn_DelRow")->click();
    } else {
        sga()->cells().setCell(3, 3, QStringLiteral("0"));
    }
    m_ws->messages.clear();
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.count(), deleteRow ? 1 : 0);
    QCOMPARE(m_dlg->isVisible(), deleteRow);
    QCOMPARE(savedFile() == FiveSlaves, deleteRow);
    QCOMPARE(TestWorkspace::readFile(m_ws->context.paths.DefRegPath), broken);
}

QTEST_MAIN(TestSlaveRegisters)
#include "tst_slaveregisters.moc"
