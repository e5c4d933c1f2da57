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
    QTest::addColumn<QString>("edits"); // d<row>: Delete Row, i<row>: Insert Row, n<row>: type a new slave
    QTest::addColumn<int>("choice");    // Messages::Answer; -1: no question expected
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QStringList>("slaveIds"); // in DNET_Net.xml afterwards; empty: not saved
    QTest::addColumn<QString>("removedNote");

    const int yes = int(Messages::Answer::Yes);
    const int no = int(Messages::Answer::No);
    const int cancel = int(Messages::Answer::Cancel);
    const QString removed2 = QStringLiteral(" Registers of deleted Slaves that will be removed: 2");
    const QStringList without2{"11", "13", "14", "15"};
    QTest::newRow("delete 2, yes") << "d2" << yes << QByteArray("1-23") << QByteArray("-") << without2 << removed2;
    QTest::newRow("delete 2, no") << "d2" << no << QByteArray("1234") << QByteArray("2") << without2 << removed2;
    QTest::newRow("delete 2, cancel") << "d2" << cancel << QByteArray("1234") << QByteArray("2") << QStringList()
                                      << removed2;
    QTest::newRow("insert at 1, yes") << "i1 n1" << yes << QByteArray("2345") << QByteArray("3")
                                      << QStringList{"0", "11", "12", "13", "14", "15"} << QString();
    // A new slave in the place of a deleted one does not take over its registers.
    QTest::newRow("delete 2, new slave there, yes") << "d2 i2 n2" << yes << QByteArray("1-34") << QByteArray("-")
                                                    << QStringList{"11", "0", "13", "14", "15"} << removed2;
    // Nothing with registers moved: no question.
    QTest::newRow("delete 5") << "d5" << -1 << QByteArray("1234") << QByteArray("2")
                              << QStringList{"11", "12", "13", "14"} << QString();
    QTest::newRow("new slave at the end") << "n6" << -1 << QByteArray("1234") << QByteArray("2")
                                          << QStringList{"11", "12", "13", "14", "15", "0"} << QString();
}

void TestSlaveRegisters::registersFollowTheirSlaves()
{
    QFETCH(QString, edits);
    QFETCH(int, choice);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, write);
    QFETCH(QStringList, slaveIds);
    QFETCH(QString, removedNote);

    const QByteArray before = defRegOf("1234", "2");
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, FiveSlaves);
    TestWorkspace::writeFile(m_ws->context.paths.DefRegPath, before);
    m_dlg->show();
    for (const QString &edit : edits.split(QLatin1Char(' '))) {
        const int r = edit.mid(1).toInt();
        if (edit.startsWith(QLatin1Char('d'))) {
            selectRow(r);
            button("Btn_DelRow")->click(); // answered yes
        } else if (edit.startsWith(QLatin1Char('i'))) {
            selectRow(r);
            button("Btn_InsRow")->click();
        } else {
            setRows({{"0", "1", "1", "new"}}, r);
        }
    }
    m_ws->messages.clear();
    if (choice >= 0)
        m_ws->messages.setNextChoice(Messages::Answer(choice));
    button("Btn_OK")->click();

    if (choice < 0) {
        QCOMPARE(m_ws->messages.count(), 0);
    } else {
        QCOMPARE(m_ws->messages.count(), 1);
        QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("choice"));
        QCOMPARE(
            m_ws->messages.last(),
            "DeviceNet Slaves that have Modbus Registers were moved or deleted. Should their Registers follow "
            "them? Yes: update the Modbus Registers too. No: save only the Slaves List. Cancel: back to the list." +
                removedNote);
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

QTEST_MAIN(TestSlaveRegisters)
#include "tst_slaveregisters.moc"
