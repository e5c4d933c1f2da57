#include "ModalHelper.h"
#include "TFDefineModbusRegs.h"
#include "TestWorkspace.h"
#include "base/ConfigurationLock.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace {

const QByteArray Comment = "<!--SW_VERSION = 2.004-->";

// Slave 1: ID 5, 2 bytes IN, 4 bytes OUT; slave 2: ID 7, 3 bytes IN, 1 byte OUT; slave 3: ID 9, no bytes.
const QByteArray TwoSlaves = "<DNET_Net>"
                             "<row ID=\"5\" NB_IN=\"2\" NB_OUT=\"4\" Mnemonic=\"a\"/>"
                             "<row ID=\"7\" NB_IN=\"3\" NB_OUT=\"1\" Mnemonic=\"\"/>"
                             "<row ID=\"9\" NB_IN=\"0\" NB_OUT=\"0\" Mnemonic=\"\"/>"
                             "</DNET_Net>" +
                             Comment;
// Read page of slave 1: 10 (Byte 1 / None) and $20 (Byte 4 / Byte 2); write page of slave 2: 300.
const QByteArray SomeRegisters = "<InfoMod><Modbus_Read>"
                                 "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                                 "<row Index=\"$20\" NrDNNode=\"1\" PosComp=\"262146\"/>"
                                 "</Modbus_Read><Modbus_Write>"
                                 "<row Index=\"300\" NrDNNode=\"2\" PosComp=\"1\"/>"
                                 "</Modbus_Write></InfoMod>" +
                                 Comment;

// A project with the two documents (an empty text: no file) and the dialog, shown as the main window shows it.
struct Fixture
{
    TestWorkspace ws;
    std::unique_ptr<TFDefineModbusRegs> dlg;

    Fixture(const QByteArray &dnetNet = TwoSlaves, const QByteArray &defReg = SomeRegisters)
    {
        ws.makeProject(QStringLiteral("P"));
        if (!dnetNet.isEmpty())
            TestWorkspace::writeFile(ws.context.paths.DnetNetPath, dnetNet);
        if (!defReg.isEmpty())
            TestWorkspace::writeFile(ws.context.paths.DefRegPath, defReg);
        dlg = std::make_unique<TFDefineModbusRegs>(ws.context);
        dlg->show();
    }

    static QString side(int page) { return page == 1 ? QStringLiteral("Read") : QStringLiteral("Write"); }
    template <typename T> T *find(const QString &name) const
    {
        T *w = dlg->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QListWidget *slaves(int page) const { return find<QListWidget>("LB_DeviceNet_Slave_" + side(page) + "_Frames"); }
    QListWidget *regs(int page) const { return find<QListWidget>("LB_Modbus_" + side(page) + "_Regs"); }
    QLineEdit *index(int page) const { return find<QLineEdit>("E_Index_Modbus_" + side(page)); }
    QComboBox *high(int page) const { return find<QComboBox>("CB_Byte_High_Part_" + side(page)); }
    QComboBox *low(int page) const { return find<QComboBox>("CB_Byte_Low_Part_" + side(page)); }
    void click(const QString &button) const { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void click(const char *stem, int page) const { click(QString::fromLatin1(stem) + side(page)); }

    void selectSlave(int page, int row) const { slaves(page)->setCurrentRow(row); }
    void selectRegister(int page, int row) const { regs(page)->setCurrentRow(row); }
    void fillEditor(int page, const QString &text, int hi, int lo) const
    {
        index(page)->clear();
        QTest::keyClicks(index(page), text);
        high(page)->setCurrentIndex(hi);
        low(page)->setCurrentIndex(lo);
    }
    static QStringList lines(const QListWidget *list)
    {
        QStringList l;
        for (int i = 0; i < list->count(); ++i)
            l.append(list->item(i)->text());
        return l;
    }
    static QStringList entries(const QComboBox *box)
    {
        QStringList l;
        for (int i = 0; i < box->count(); ++i)
            l.append(box->itemText(i));
        return l;
    }
    QByteArray defRegOnDisk() const { return TestWorkspace::readFile(ws.context.paths.DefRegPath); }
    FakeMessages &messages() { return ws.messages; }
};

} // namespace

// The register map dialog driven offscreen as a user drives it.
class TestDefineModbusRegs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensWithSlavesAndNoSelection();
    void slaveClickShowsRegistersAndBytes();
    void texts();
    void create_data();
    void create();
    void modify();
    void deleteRegister();
    void copyReadPasteWrite();
    void pasteOfMissingByteIsRefused();
    void copyBufferOutlivesClosing();
    void savedMapReopensAsSaved();
    void cancelWritesNothing();
    void registersPastTheSlavesBytes_data();
    void registersPastTheSlavesBytes();
    void emptySlaveListWritesEmptySections();
    void unreadableDocument_data();
    void unreadableDocument();
    void unwritableDefRegKeepsDialogAndFile();
    void opensOnlyOnSlaveListsTheNetworkStepWrites_data();
    void opensOnlyOnSlaveListsTheNetworkStepWrites();
};

void TestDefineModbusRegs::opensWithSlavesAndNoSelection()
{
    Fixture f;
    QCOMPARE(f.find<QTabWidget>("PC_Modbus")->currentWidget()->objectName(), QStringLiteral("TS_Read"));
    QCOMPARE(Fixture::lines(f.slaves(1)), QStringList({"5\t4", "7\t1", "9\t0"}));
    QCOMPARE(Fixture::lines(f.slaves(2)), QStringList({"5\t2", "7\t3", "9\t0"}));
    for (int page : {1, 2}) {
        QCOMPARE(f.slaves(page)->currentRow(), -1);
        QCOMPARE(f.regs(page)->count(), 0);
        QCOMPARE(Fixture::entries(f.high(page)), QStringList({"None"}));
        QCOMPARE(f.low(page)->currentIndex(), 0);
    }
    QCOMPARE(f.messages().count(), 0);
    // Without a selected slave the buttons do nothing and say nothing.
    f.fillEditor(1, "44", 0, 0);
    for (const char *stem : {"Btn_Create_", "Btn_Modify_", "Btn_Delete_", "Btn_Copy_"})
        f.click(stem, 1);
    QCOMPARE(f.messages().count(), 0);
    QCOMPARE(f.dlg->map().registerCount(), 3);
}

void TestDefineModbusRegs::slaveClickShowsRegistersAndBytes()
{
    Fixture f;
    QListWidget *list = f.slaves(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; None;", "$20; Byte 4; Byte 2;"}));
    QCOMPARE(Fixture::entries(f.high(1)), QStringList({"None", "Byte 1", "Byte 2", "Byte 3", "Byte 4"}));
    QCOMPARE(Fixture::entries(f.low(1)).size(), 5);
    QCOMPARE(f.high(1)->currentIndex(), 0);
    // The other page has no selected slave: still only "None".
    QCOMPARE(Fixture::entries(f.high(2)), QStringList({"None"}));

    f.selectRegister(1, 1);
    QCOMPARE(f.index(1)->text(), QStringLiteral("$20"));
    QCOMPARE(f.high(1)->currentIndex(), 4);
    QCOMPARE(f.low(1)->currentIndex(), 2);

    // A slave without bytes offers only "None".
    f.selectSlave(1, 2);
    QCOMPARE(Fixture::entries(f.low(1)), QStringList({"None"}));
    QCOMPARE(f.regs(1)->count(), 0);
    QCOMPARE(f.index(1)->text(), QString());
}

void TestDefineModbusRegs::texts()
{
    Fixture f;
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Define DeviceNet Slaves"));
    QCOMPARE(f.dlg->size(), QSize(629, 530));
    auto *tabs = f.find<QTabWidget>("PC_Modbus");
    QCOMPARE(tabs->tabText(0), QStringLiteral("Modbus Registers in Read"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Modbus Registers in Write"));
    QCOMPARE(f.find<QPushButton>("Btn_OK")->toolTip(), QStringLiteral("Confirm and Save the current configuration"));
    QCOMPARE(f.find<QPushButton>("Btn_Paste_Write")->text(), QStringLiteral("Paste"));
    QCOMPARE(f.find<QPushButton>("Btn_Paste_Write")->toolTip(), QStringLiteral("Paste the copied configuration"));
    QCOMPARE(f.find<QLabel>("L_Slave_List_2_Write")->text(), QStringLiteral("ID               N Byte IN"));
    QCOMPARE(f.find<QLabel>("L_High_1_Read")->text(), QStringLiteral("Select the Byte to Put in the High "));

    // A language switch reaches every control.
    f.ws.context.catalog.setText(648, QStringLiteral("Indice"));
    f.ws.context.catalog.setText(661, QStringLiteral("Octet "));
    f.dlg->Set_Lang();
    QCOMPARE(f.index(2)->toolTip(), QStringLiteral("Indice"));
    f.selectSlave(1, 0);
    QCOMPARE(f.regs(1)->item(0)->text(), QStringLiteral("10; Octet 1; None;"));
}

void TestDefineModbusRegs::create_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("error"); // empty: accepted
    const QString inUse = QStringLiteral("Error!! Index of Modbus Register is already used");
    const QString range = QStringLiteral("Error!! Index of Modbus Register must be between 0 and 65535");
    QTest::newRow("leading zero of 10") << 1 << 0 << "010" << inUse;
    QTest::newRow("hexadecimal 10 on another slave") << 1 << 1 << "$A" << inUse;
    QTest::newRow("10 on the write page") << 2 << 1 << "10" << inUse;
    QTest::newRow("300 of the write page from the read page") << 1 << 0 << "0x12C" << inUse;
    QTest::newRow("empty") << 1 << 0 << "" << range;
    QTest::newRow("65536") << 2 << 0 << "65536" << range;
    QTest::newRow("not a number") << 1 << 0 << "1a" << range;
    QTest::newRow("65535") << 2 << 0 << "65535" << QString();
    QTest::newRow("leading zeros kept") << 1 << 1 << "0011" << QString();
    QTest::newRow("hexadecimal kept") << 2 << 1 << "$FF" << QString();
}

void TestDefineModbusRegs::create()
{
    QFETCH(int, page);
    QFETCH(int, slave);
    QFETCH(QString, index);
    QFETCH(QString, error);
    Fixture f;
    f.selectSlave(page, slave);
    const QStringList before = Fixture::lines(f.regs(page));
    f.fillEditor(page, index, 1, 0);
    f.click("Btn_Create_", page);
    if (error.isEmpty()) {
        QCOMPARE(f.messages().count(), 0);
        QCOMPARE(Fixture::lines(f.regs(page)), before + QStringList{index + "; Byte 1; None;"});
        QCOMPARE(f.index(page)->text(), index); // the editor keeps its contents
    } else {
        QCOMPARE(f.messages().texts(), QStringList{error});
        QCOMPARE(f.messages().lastKind(), QStringLiteral("error"));
        QCOMPARE(Fixture::lines(f.regs(page)), before);
        QCOMPARE(f.dlg->map().registerCount(), 3);
    }
}

void TestDefineModbusRegs::modify()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 0);
    QCOMPARE(f.index(1)->text(), QStringLiteral("10"));
    f.low(1)->setCurrentIndex(2);
    f.click("Btn_Modify_", 1); // its own index
    QCOMPARE(f.messages().count(), 0);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; Byte 2;", "$20; Byte 4; Byte 2;"}));
    QCOMPARE(f.regs(1)->currentRow(), -1);

    f.click("Btn_Modify_", 1); // no register selected: nothing
    QCOMPARE(f.messages().count(), 0);

    f.selectRegister(1, 1);
    f.fillEditor(1, "0xA", 0, 0); // the other register's index
    f.click("Btn_Modify_", 1);
    QCOMPARE(f.messages().texts(), QStringList{"Error!! Index of Modbus Register is already used"});
    f.fillEditor(1, "33", 3, 0);
    f.click("Btn_Modify_", 1);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; Byte 2;", "33; Byte 3; None;"}));
    // The old index is free again.
    f.selectSlave(2, 1);
    f.fillEditor(2, "32", 0, 0);
    f.click("Btn_Create_", 2);
    QCOMPARE(f.messages().count(), 1);
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"300; None; Byte 1;", "32; None; None;"}));
}

void TestDefineModbusRegs::deleteRegister()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 0);
    f.click("Btn_Delete_", 1);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"$20; Byte 4; Byte 2;"}));
    QCOMPARE(f.messages().count(), 0);
    f.click("Btn_Delete_", 1); // nothing selected now
    QCOMPARE(f.regs(1)->count(), 1);
    // Its index can be used again.
    f.fillEditor(1, "10", 0, 0);
    f.click("Btn_Create_", 1);
    QCOMPARE(f.regs(1)->count(), 2);
}

void TestDefineModbusRegs::copyReadPasteWrite()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 0);
    f.fillEditor(1, "77", 3, 3); // Copy takes the stored register, not the editor
    f.click("Btn_Copy_", 1);
    f.find<QTabWidget>("PC_Modbus")->setCurrentIndex(1);
    f.selectSlave(2, 1);
    f.click("Btn_Paste_", 2);
    QCOMPARE(f.index(2)->text(), QStringLiteral("10"));
    QCOMPARE(f.high(2)->currentIndex(), 1);
    QCOMPARE(f.low(2)->currentIndex(), 0);
    QCOMPARE(f.dlg->map().registerCount(), 3); // Paste creates nothing
    f.index(2)->setText(QStringLiteral("11"));
    f.click("Btn_Create_", 2);
    QCOMPARE(f.messages().count(), 0);
    QCOMPARE(f.regs(2)->item(1)->text(), QStringLiteral("11; Byte 1; None;"));
}

void TestDefineModbusRegs::pasteOfMissingByteIsRefused()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 1); // $20: Byte 4 / Byte 2
    f.click("Btn_Copy_", 1);
    f.selectSlave(2, 1); // 3 bytes IN: no byte 4
    f.click("Btn_Paste_", 2);
    QCOMPARE(f.high(2)->currentIndex(), -1);
    QCOMPARE(f.low(2)->currentIndex(), 2);
    const QString noByte =
        QStringLiteral("Error!! Select the Byte for the High and the Low Part of the Modbus Register");
    f.index(2)->setText(QStringLiteral("50"));
    f.click("Btn_Create_", 2);
    QCOMPARE(f.messages().texts(), QStringList{noByte});
    f.selectRegister(2, 0);
    f.click("Btn_Paste_", 2);
    f.index(2)->setText(QStringLiteral("50"));
    f.click("Btn_Modify_", 2);
    QCOMPARE(f.messages().texts(), QStringList({noByte, noByte}));
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"300; None; Byte 1;"}));

    f.high(2)->setCurrentIndex(3);
    f.click("Btn_Create_", 2);
    QCOMPARE(f.messages().count(), 2);
    QCOMPARE(f.regs(2)->item(1)->text(), QStringLiteral("50; Byte 3; Byte 2;"));
}

void TestDefineModbusRegs::copyBufferOutlivesClosing()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 1);
    f.click("Btn_Copy_", 1);
    f.click("Btn_Cancel");
    QVERIFY(!f.dlg->isVisible());
    f.dlg->show();
    QCOMPARE(f.index(1)->text(), QString());
    f.selectSlave(1, 0);
    f.click("Btn_Paste_", 1);
    QCOMPARE(f.index(1)->text(), QStringLiteral("$20"));
    QCOMPARE(f.high(1)->currentIndex(), 4);
    QCOMPARE(f.low(1)->currentIndex(), 2);
}

void TestDefineModbusRegs::savedMapReopensAsSaved()
{
    Fixture f;
    f.selectSlave(1, 1);
    f.fillEditor(1, " 12", 1, 1);
    f.click("Btn_Create_", 1);
    f.selectSlave(2, 0);
    f.fillEditor(2, "0x0D", 2, 0);
    f.click("Btn_Create_", 2);
    f.fillEditor(2, "00014", 0, 1);
    f.click("Btn_Create_", 2);
    QCOMPARE(f.messages().count(), 0);
    f.click("Btn_OK");
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.defRegOnDisk(), QByteArray("<InfoMod><Modbus_Read>"
                                          "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                                          "<row Index=\"$20\" NrDNNode=\"1\" PosComp=\"262146\"/>"
                                          "<row Index=\" 12\" NrDNNode=\"2\" PosComp=\"65537\"/>"
                                          "</Modbus_Read><Modbus_Write>"
                                          "<row Index=\"0x0D\" NrDNNode=\"1\" PosComp=\"131072\"/>"
                                          "<row Index=\"00014\" NrDNNode=\"1\" PosComp=\"1\"/>"
                                          "<row Index=\"300\" NrDNNode=\"2\" PosComp=\"1\"/>"
                                          "</Modbus_Write></InfoMod>") +
                                   Comment);

    f.dlg->show();
    const QList<QStringList> expected[2] = {
        {{"10; Byte 1; None;", "$20; Byte 4; Byte 2;"}, {" 12; Byte 1; Byte 1;"}, {}},
        {{"0x0D; Byte 2; None;", "00014; None; Byte 1;"}, {"300; None; Byte 1;"}, {}}};
    for (int page : {1, 2})
        for (int slave = 0; slave < 3; ++slave) {
            f.selectSlave(page, slave);
            QCOMPARE(Fixture::lines(f.regs(page)), expected[page - 1].at(slave));
        }

    // A slave row inserted at the top of DNET_Net.xml: the registers stay with the positions.
    TestWorkspace::writeFile(f.ws.context.paths.DnetNetPath,
                             "<DNET_Net><row ID=\"3\" NB_IN=\"2\" NB_OUT=\"2\" Mnemonic=\"\"/>" + TwoSlaves.mid(10));
    f.click("Btn_Cancel");
    f.dlg->show();
    QCOMPARE(f.slaves(1)->item(0)->text(), QStringLiteral("3\t2"));
    f.selectSlave(1, 0);
    // The new slave 1 has 2 bytes OUT: byte 4 is not one of them.
    QCOMPARE(Fixture::lines(f.regs(1)),
             QStringList({"10; Byte 1; None;", "$20; Byte 4; Byte 2; (past the slave's bytes)"}));
    QCOMPARE(f.high(1)->count(), 3);
    f.selectSlave(2, 1);
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"300; None; Byte 1;"}));
}

void TestDefineModbusRegs::cancelWritesNothing()
{
    Fixture f;
    f.selectSlave(1, 0);
    f.selectRegister(1, 0);
    f.click("Btn_Delete_", 1);
    f.click("Btn_Cancel");
    QCOMPARE(f.dlg->result(), int(QDialog::Rejected));
    QCOMPARE(f.defRegOnDisk(), SomeRegisters);
    f.dlg->show();
    f.selectSlave(1, 0);
    QCOMPARE(f.regs(1)->count(), 2);
}

void TestDefineModbusRegs::registersPastTheSlavesBytes_data()
{
    QTest::addColumn<bool>("saveAnyway");
    QTest::newRow("yes saves") << true;
    QTest::newRow("no stays open") << false;
}

void TestDefineModbusRegs::registersPastTheSlavesBytes()
{
    QFETCH(bool, saveAnyway);
    // Slave 2 has 1 byte OUT: its read register 40 carries bytes 2 and 1, 41 byte 3 alone. Slave 1's
    // write register 50 carries byte 3 of 2.
    const QByteArray past = "<InfoMod><Modbus_Read>"
                            "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                            "<row Index=\"40\" NrDNNode=\"2\" PosComp=\"131073\"/>"
                            "<row Index=\"41\" NrDNNode=\"2\" PosComp=\"3\"/>"
                            "</Modbus_Read><Modbus_Write>"
                            "<row Index=\"50\" NrDNNode=\"1\" PosComp=\"3\"/>"
                            "</Modbus_Write></InfoMod>" +
                            Comment;
    Fixture f(TwoSlaves, past);
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Define DeviceNet Slaves - 3 registers past their slave's bytes"));
    f.selectSlave(1, 1);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"40; Byte 2; Byte 1; (past the slave's bytes)",
                                                     "41; None; Byte 3; (past the slave's bytes)"}));
    QCOMPARE(f.regs(1)->item(0)->toolTip(),
             QStringLiteral("This register carries a byte that its slave does not have"));
    // The mark is read whole: the lines wrap in the list instead of running past its edge.
    QCoreApplication::processEvents();
    QCOMPARE(f.regs(1)->horizontalScrollBar()->maximum(), 0);
    for (int row = 0; row < f.regs(1)->count(); ++row) {
        const QRect box = f.regs(1)->visualItemRect(f.regs(1)->item(row));
        const QRect needed = f.regs(1)->fontMetrics().boundingRect(QRect(0, 0, box.width() - 6, 1000), Qt::TextWordWrap,
                                                                   f.regs(1)->item(row)->text());
        QVERIFY2(box.height() >= needed.height() && box.right() <= f.regs(1)->viewport()->width(),
                 qPrintable(QStringLiteral("%1x%2 for %3x%4").arg(box.width()).arg(box.height()).arg(needed.width())
                                .arg(needed.height())));
    }
    f.selectSlave(1, 0);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; None;"}));
    QCOMPARE(f.regs(1)->item(0)->toolTip(), QString());

    // Deleting one of them updates the count.
    f.selectSlave(2, 0);
    f.selectRegister(2, 0);
    f.click("Btn_Delete_", 2);
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("Define DeviceNet Slaves - 2 registers past their slave's bytes"));

    f.messages().setNextAnswer(saveAnyway);
    f.click("Btn_OK");
    QCOMPARE(f.messages().lastKind(), QStringLiteral("question"));
    QCOMPARE(f.messages().last(),
             QStringLiteral("2 Modbus Registers carry bytes that their DeviceNet Slave does not have, so the device "
                            "would serve other Slaves' bytes there:\n"
                            "Read, index 40: slave 2 (ID 7) has 1 byte, not byte 2\n"
                            "Read, index 41: slave 2 (ID 7) has 1 byte, not byte 3\n\n"
                            "Save the register map anyway?"));
    QCOMPARE(f.dlg->isVisible(), !saveAnyway);
    QCOMPARE(f.defRegOnDisk() == past, !saveAnyway);
}

void TestDefineModbusRegs::emptySlaveListWritesEmptySections()
{
    for (const QByteArray &dnetNet : {QByteArray(), QByteArray("<DNET_Net/>") + Comment}) {
        Fixture f(dnetNet, SomeRegisters);
        QCOMPARE(f.slaves(1)->count(), 0);
        QCOMPARE(f.slaves(2)->count(), 0);
        QCOMPARE(f.messages().count(), 0);
        f.click("Btn_OK");
        QCOMPARE(f.defRegOnDisk(), QByteArray("<InfoMod><Modbus_Read/><Modbus_Write/></InfoMod>") + Comment);
    }
}

void TestDefineModbusRegs::unreadableDocument_data()
{
    QTest::addColumn<bool>("brokenDnetNet");
    QTest::newRow("DNET_Net.xml") << true;
    QTest::newRow("DefReg.xml") << false;
}

void TestDefineModbusRegs::unreadableDocument()
{
    QFETCH(bool, brokenDnetNet);
    const QByteArray broken = "<InfoMod><Modbus_Read><row";
    Fixture f(brokenDnetNet ? broken : TwoSlaves, brokenDnetNet ? SomeRegisters : broken);
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.messages().count(), 1);
    QCOMPARE(f.messages().lastKind(), QStringLiteral("error"));
    const QString file = brokenDnetNet ? f.ws.context.paths.DnetNetPath : f.ws.context.paths.DefRegPath;
    QVERIFY2(f.messages().last().contains(file), qPrintable(f.messages().last()));
    QCOMPARE(f.slaves(1)->count(), brokenDnetNet ? 0 : 3);
    QCOMPARE(f.dlg->map().registerCount(), 0);
    // OK after a failed load would replace the register map with what little was read: it is refused.
    f.click("Btn_OK");
    QCOMPARE(f.messages().count(), 2);
    QCOMPARE(f.messages().last(), f.ws.context.text(663));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.defRegOnDisk(), brokenDnetNet ? SomeRegisters : broken);
}

void TestDefineModbusRegs::unwritableDefRegKeepsDialogAndFile()
{
    Fixture f;
    const QString path = f.ws.context.paths.DefRegPath;
    f.selectSlave(1, 1);
    f.fillEditor(1, "40", 1, 0);
    f.click("Btn_Create_", 1);
    f.ws.context.paths.DefRegPath = f.ws.path("no such folder/DefReg.xml");
    f.click("Btn_OK");
    QCOMPARE(f.messages().count(), 1);
    QVERIFY2(f.messages().last().contains("no such folder"), qPrintable(f.messages().last()));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.regs(1)->item(0)->text(), QStringLiteral("40; Byte 1; None;"));
    QCOMPARE(TestWorkspace::readFile(path), SomeRegisters);

    f.ws.context.paths.DefRegPath = path;
    {
        // A compile of the configuration holds its lock: the save waits for it, then gives up.
        const ConfigurationLock compiling(f.ws.context.paths.ProjectFolder, ConfigurationLock::Compile);
        f.click("Btn_OK");
        QCOMPARE(f.messages().count(), 2);
        QVERIFY2(f.messages().last().contains("another compile or change of this configuration's register map"),
                 qPrintable(f.messages().last()));
        QVERIFY(f.dlg->isVisible());
        QCOMPARE(TestWorkspace::readFile(path), SomeRegisters);
    }
    f.click("Btn_OK");
    QVERIFY(!f.dlg->isVisible());
    QVERIFY(f.defRegOnDisk().contains("<row Index=\"40\" NrDNNode=\"2\" PosComp=\"65536\"/>"));
}

void TestDefineModbusRegs::opensOnlyOnSlaveListsTheNetworkStepWrites_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QByteArray>("secondRowIn");
    QTest::addColumn<QString>("message"); // empty: the dialog opens
    QTest::newRow("455 bytes") << 2 << QByteArray("455") << QString();
    QTest::newRow("456 bytes") << 2 << QByteArray("456")
                               << "Error in row 2 of the DeviceNet slave list: the number of input or output bytes is "
                                  "outside 0 to 455. Correct the list in the DeviceNet Network step.";
    QTest::newRow("a hundred million bytes") << 2 << QByteArray("100000000") << "Error in row 2 of";
    QTest::newRow("64 rows") << 64 << QByteArray("1") << QString();
    QTest::newRow("65 rows") << 65 << QByteArray("1")
                             << "Row 65 of the DeviceNet slave list is more than the device takes (at most 64 "
                                "slaves). Correct the list in the DeviceNet Network step.";
}

void TestDefineModbusRegs::opensOnlyOnSlaveListsTheNetworkStepWrites()
{
    QFETCH(int, rows);
    QFETCH(QByteArray, secondRowIn);
    QFETCH(QString, message);
    TestWorkspace ws;
    ws.makeProject(QStringLiteral("P"));
    QByteArray xml = "<DNET_Net>";
    for (int r = 1; r <= rows; ++r)
        xml += "<row ID=\"1\" NB_IN=\"" + (r == 2 ? secondRowIn : QByteArray("1")) + "\" NB_OUT=\"1\" Mnemonic=\"\"/>";
    TestWorkspace::writeFile(ws.context.paths.DnetNetPath, xml + "</DNET_Net>" + Comment);
    TestWorkspace::writeFile(ws.context.paths.DefRegPath, SomeRegisters);

    TFDefineModbusRegs dlg(ws.context);
    bool opened = false;
    whenModal([&opened](QWidget *modal) { opened = modal != nullptr; });
    QCOMPARE(dlg.exec(), int(QDialog::Rejected));
    QCoreApplication::processEvents(); // the action above runs also when nothing opened
    QCOMPARE(opened, message.isEmpty());
    if (message.isEmpty()) {
        QCOMPARE(ws.messages.count(), 0);
    } else {
        QCOMPARE(ws.messages.count(), 1);
        QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
        QVERIFY2(ws.messages.last().startsWith(message), qPrintable(ws.messages.last()));
        QCOMPARE(dlg.map().slaveCount(), 0); // nothing was loaded into lists
    }
    QCOMPARE(TestWorkspace::readFile(ws.context.paths.DefRegPath), SomeRegisters);
}

QTEST_MAIN(TestDefineModbusRegs)
#include "tst_tfdefinemodbusregs.moc"
