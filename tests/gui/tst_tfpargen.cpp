#include "TFParGen.h"
#include "TestWorkspace.h"
#include "documents/ParGenDocument.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

const QStringList AllFields = {"E_ID_DNET_Master",
                               "E_DNET_Master_Interscan_Delay",
                               "E_IP1",
                               "E_IP2",
                               "E_IP3",
                               "E_IP4",
                               "E_SM1",
                               "E_SM2",
                               "E_SM3",
                               "E_SM4",
                               "E_GAT1",
                               "E_GAT2",
                               "E_GAT3",
                               "E_GAT4",
                               "E_PORT",
                               "E_State_DN"};

} // namespace

class TestTFParGen : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void missingFileShowsDefaultsAndOkWritesThem();
    void typedValuesReadBackExactly();
    void check_data();
    void check();
    void missingElementsAndWordsInTheSwitch();
    void dotMovesAlongTheAddressFields();
    void cancelAsksOnlyAfterAChange_data();
    void cancelAsksOnlyAfterAChange();
    void foldingLaysOutTheWindow();
    void unreadableDocumentKeepsFields();
    void failedSaveKeepsDialogOpen();

private:
    QLineEdit *field(const QString &name) const { return m_dlg->findChild<QLineEdit *>(name); }
    QPushButton *button(const QString &name) const { return m_dlg->findChild<QPushButton *>(name); }
    void type(const QString &name, const QString &text)
    {
        QLineEdit *e = field(name);
        QVERIFY2(e, qPrintable(name));
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
        QCOMPARE(e->text(), text);
    }
    // A click on the box itself, as the user does it.
    void tickGateway()
    {
        auto *box = m_dlg->findChild<QCheckBox *>("CB_ModTCPs_EN_GAT");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void reopen()
    {
        m_dlg->hide();
        m_dlg->show();
    }
    QByteArray savedFile() const { return TestWorkspace::readFile(m_ws->context.paths.ParGenPath); }

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<TFParGen> m_dlg;
};

void TestTFParGen::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    m_ws->makeProject(QStringLiteral("Plant"));
    m_dlg = std::make_unique<TFParGen>(m_ws->context);
}

void TestTFParGen::cleanup()
{
    m_dlg.reset();
    m_ws.reset();
}

void TestTFParGen::missingFileShowsDefaultsAndOkWritesThem()
{
    m_dlg->show();
    QStringList shown;
    for (const QString &name : AllFields)
        shown << field(name)->text();
    QCOMPARE(shown, QStringList({"10", "0", "192", "168", "0", "10", "255", "255", "255", "0", "192", "168", "0", "1",
                                 "502", "0"}));
    QCOMPARE(m_dlg->findChild<QComboBox *>("CB_Baud_DNET_Master")->currentText(), QStringLiteral("500K"));
    QVERIFY(!m_dlg->findChild<QCheckBox *>("CB_ModTCPs_EN_GAT")->isChecked());
    QVERIFY(!m_dlg->Is_Change);

    button("Btn_OK")->click();
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    QCOMPARE(m_ws->messages.count(), 0);
    QCOMPARE(savedFile(),
             QByteArray("<Par_Gen><Device_Type>1</Device_Type><DNET_DEV_ID>10</DNET_DEV_ID><DNET_BAUD>2</DNET_BAUD>"
                        "<DNET_INTERSCAN_DELAY>0</DNET_INTERSCAN_DELAY><MTCPs_IP1>192</MTCPs_IP1>"
                        "<MTCPs_IP2>168</MTCPs_IP2><MTCPs_IP3>0</MTCPs_IP3><MTCPs_IP4>10</MTCPs_IP4>"
                        "<MTCPs_SUB1>255</MTCPs_SUB1><MTCPs_SUB2>255</MTCPs_SUB2><MTCPs_SUB3>255</MTCPs_SUB3>"
                        "<MTCPs_SUB4>0</MTCPs_SUB4><MTCPs_EN_GAT>0</MTCPs_EN_GAT><MTCPs_GAT1>192</MTCPs_GAT1>"
                        "<MTCPs_GAT2>168</MTCPs_GAT2><MTCPs_GAT3>0</MTCPs_GAT3><MTCPs_GAT4>1</MTCPs_GAT4>"
                        "<MTCPs_PORT>502</MTCPs_PORT><MTCPs_DN_State>0</MTCPs_DN_State></Par_Gen>"
                        "<!--SW_VERSION = 2.004-->"));
}

void TestTFParGen::typedValuesReadBackExactly()
{
    // Blanks, hexadecimal forms and signs as typed; the gateway parts are free while it is off.
    const QStringList typed = {" 63", "$3E8", "0x0A", "+0", "  1", "X0FF", "255",   "0",
                               "$00", "0",    "   ",  "gw", "",    "1 2",  "65535", "0xFFFF"};
    m_dlg->show();
    for (int i = 0; i < AllFields.size(); ++i)
        type(AllFields.at(i), typed.at(i));
    QTest::keyClick(m_dlg->findChild<QComboBox *>("CB_Baud_DNET_Master"), Qt::Key_Up);
    QVERIFY(m_dlg->Is_Change);
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList());
    QVERIFY(!m_dlg->isVisible());
    QVERIFY(savedFile().startsWith("<Par_Gen><Device_Type>1</Device_Type>"));
    QVERIFY(savedFile().endsWith("</Par_Gen><!--SW_VERSION = 2.004-->"));

    reopen();
    for (int i = 0; i < AllFields.size(); ++i)
        QCOMPARE(field(AllFields.at(i))->text(), typed.at(i));
    QCOMPARE(m_dlg->findChild<QComboBox *>("CB_Baud_DNET_Master")->currentIndex(), 1);
    QVERIFY(!m_dlg->Is_Change);

    // The gateway switched on, with valid parts, survives as well.
    tickGateway();
    for (const char *name : {"E_GAT1", "E_GAT2", "E_GAT3", "E_GAT4"})
        type(QLatin1String(name), QStringLiteral(" 9"));
    button("Btn_OK")->click();
    reopen();
    QVERIFY(m_dlg->findChild<QCheckBox *>("CB_ModTCPs_EN_GAT")->isChecked());
    QCOMPARE(field("E_GAT4")->text(), QStringLiteral(" 9"));
}

void TestTFParGen::check_data()
{
    QTest::addColumn<bool>("gateway");
    QTest::addColumn<QStringList>("edits"); // name, text, name, text, ...
    QTest::addColumn<QString>("message");   // empty: accepted
    const auto row = [](const char *name, bool gateway, QStringList edits, const char *message) {
        QTest::newRow(name) << gateway << edits << QString::fromUtf8(message);
    };
    row("ID 0", false, {"E_ID_DNET_Master", "0"}, "");
    row("ID 63", false, {"E_ID_DNET_Master", "63"}, "");
    row("ID 64", false, {"E_ID_DNET_Master", "64"}, "Error DeviceNet Master!! ID Device must be between 0 and 63");
    row("ID -1", false, {"E_ID_DNET_Master", "-1"}, "Error DeviceNet Master!! ID Device must be between 0 and 63");
    row("ID empty", false, {"E_ID_DNET_Master", ""}, "Error DeviceNet Master!! ID Device must be between 0 and 63");
    row("delay 1000", false, {"E_DNET_Master_Interscan_Delay", "1000"}, "");
    row("delay 1001", false, {"E_DNET_Master_Interscan_Delay", "1001"},
        "Error DeviceNet Master!! Interscan Delay must be between 0 and 1000 milliseconds");
    row("IP1 256", false, {"E_IP1", "256"}, "Error Modbus TCP Slave!! IP Address 1 must be between 0 and 255");
    row("IP2 -1", false, {"E_IP2", "-1"}, "Error Modbus TCP Slave!! IP Address 2 must be between 0 and 255");
    row("IP3 letters", false, {"E_IP3", "a"}, "Error Modbus TCP Slave!! IP Address 3 must be between 0 and 255");
    row("IP4 trailing blank", false, {"E_IP4", "4 "},
        "Error Modbus TCP Slave!! IP Address 4 must be between 0 and 255");
    row("IP 255 hex", false, {"E_IP1", "$FF", "E_IP4", "0xff"}, "");
    row("mask1 256", false, {"E_SM1", "256"}, "Error Modbus TCP Slave!! SUBNET Mask 1 must be between 0 and 255");
    row("mask2 256", false, {"E_SM2", "256"}, "Error Modbus TCP Slave!! SUBNET Mask 2 must be between 0 and 255");
    row("mask3 256", false, {"E_SM3", "256"}, "Error Modbus TCP Slave!! SUBNET Mask 3 must be between 0 and 255");
    row("mask4 256", false, {"E_SM4", "256"}, "Error Modbus TCP Slave!! SUBNET Mask 4 must be between 0 and 255");
    row("gateway off, letters", false, {"E_GAT1", "a", "E_GAT2", "b", "E_GAT3", "c", "E_GAT4", "d"}, "");
    row("gateway on, 255", true, {"E_GAT1", "255", "E_GAT4", "0"}, "");
    row("gateway on, part 1", true, {"E_GAT1", "256"},
        "Error Modbus TCP Slave!! GATEWAY IP 1 must be between 0 and 255");
    row("gateway on, part 2", true, {"E_GAT2", "x"}, "Error Modbus TCP Slave!! GATEWAY IP 2 must be between 0 and 255");
    row("gateway on, part 3", true, {"E_GAT3", ""}, "Error Modbus TCP Slave!! GATEWAY IP 3 must be between 0 and 255");
    row("gateway on, part 4", true, {"E_GAT4", "-1"},
        "Error Modbus TCP Slave!! GATEWAY IP 4 must be between 0 and 255");
    row("port 0", false, {"E_PORT", "0"}, "");
    row("port 65535", false, {"E_PORT", "65535"}, "");
    row("port 65536", false, {"E_PORT", "65536"}, "Error Modbus TCP Slave!! PORT must be between 0 and 65535");
    row("state 65535", false, {"E_State_DN", "$FFFF"}, "");
    row("state 65536", false, {"E_State_DN", "65536"},
        "Error Modbus TCP Slave!! State of DeviceNet Slaves Register must be between 0 and 65535");
    // Only the first failure, in the fixed order, is reported.
    row("order: state and ID", false, {"E_State_DN", "-5", "E_ID_DNET_Master", "99"},
        "Error DeviceNet Master!! ID Device must be between 0 and 63");
    row("order: delay before IP", false, {"E_IP1", "999", "E_DNET_Master_Interscan_Delay", "-1"},
        "Error DeviceNet Master!! Interscan Delay must be between 0 and 1000 milliseconds");
    row("order: mask 4 before gateway", true, {"E_GAT1", "999", "E_SM4", "999"},
        "Error Modbus TCP Slave!! SUBNET Mask 4 must be between 0 and 255");
    row("order: gateway before port", true, {"E_PORT", "-1", "E_GAT4", "999"},
        "Error Modbus TCP Slave!! GATEWAY IP 4 must be between 0 and 255");
    row("order: port before state", false, {"E_State_DN", "x", "E_PORT", "x"},
        "Error Modbus TCP Slave!! PORT must be between 0 and 65535");
}

void TestTFParGen::check()
{
    QFETCH(bool, gateway);
    QFETCH(QStringList, edits);
    QFETCH(QString, message);
    m_dlg->show();
    if (gateway)
        tickGateway();
    for (int i = 0; i + 1 < edits.size(); i += 2)
        type(edits.at(i), edits.at(i + 1));
    button("Btn_OK")->click();
    if (message.isEmpty()) {
        QCOMPARE(m_ws->messages.texts(), QStringList());
        QVERIFY(!m_dlg->isVisible());
        const ParGenValues saved = ParGenDocument::load(m_ws->context.paths.ParGenPath);
        QVERIFY(saved == m_dlg->fieldValues());
        return;
    }
    QCOMPARE(m_ws->messages.texts(), QStringList{message});
    QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("error"));
    QVERIFY(m_dlg->isVisible());
    QVERIFY(!QFile::exists(m_ws->context.paths.ParGenPath));
    for (int i = 0; i + 1 < edits.size(); i += 2)
        QCOMPARE(field(edits.at(i))->text(), edits.at(i + 1));
}

void TestTFParGen::missingElementsAndWordsInTheSwitch()
{
    // No Device_Type, and a word where the switch expects 1 or 0.
    TestWorkspace::writeFile(m_ws->context.paths.ParGenPath,
                             "<Par_Gen><DNET_DEV_ID>5</DNET_DEV_ID><DNET_BAUD>0</DNET_BAUD>"
                             "<MTCPs_EN_GAT>true</MTCPs_EN_GAT><MTCPs_GAT1>7</MTCPs_GAT1></Par_Gen>");
    m_dlg->show();
    QCOMPARE(field("E_ID_DNET_Master")->text(), QStringLiteral("5"));
    QCOMPARE(m_dlg->findChild<QComboBox *>("CB_Baud_DNET_Master")->currentText(), QStringLiteral("125K"));
    QCOMPARE(field("E_DNET_Master_Interscan_Delay")->text(), QStringLiteral("0"));
    QCOMPARE(field("E_IP4")->text(), QStringLiteral("10"));
    QCOMPARE(field("E_GAT1")->text(), QStringLiteral("7"));
    QCOMPARE(field("E_GAT4")->text(), QStringLiteral("1"));
    QCOMPARE(field("E_PORT")->text(), QStringLiteral("502"));
    QVERIFY(!m_dlg->findChild<QCheckBox *>("CB_ModTCPs_EN_GAT")->isChecked());
    QVERIFY(!m_dlg->Is_Change);
    button("Btn_OK")->click();
    const QByteArray saved = savedFile();
    QVERIFY2(saved.startsWith("<Par_Gen><Device_Type>0</Device_Type><DNET_DEV_ID>5</DNET_DEV_ID>"), saved);
    QVERIFY(saved.contains("<MTCPs_EN_GAT>0</MTCPs_EN_GAT>"));
}

void TestTFParGen::dotMovesAlongTheAddressFields()
{
    m_dlg->show();
    m_dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    type("E_IP1", QString());
    field("E_IP1")->setFocus();
    // The other fields still hold their defaults: entering one by "." selects its whole text.
    const QString keys = QStringLiteral("192.168.7.10.255.255.0.0.1.2.3.4.5.");
    for (const QChar ch : keys)
        QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QStringList texts;
    for (const QString &name : AllFields.mid(2, 12))
        texts << field(name)->text();
    QCOMPARE(texts, QStringList({"192", "168", "7", "10", "255", "255", "0", "0", "1", "2", "3", "45"}));
    QCOMPARE(QApplication::focusWidget(), field("E_GAT4"));
    // Outside the address fields a point is an ordinary character.
    type("E_PORT", QStringLiteral("5.0"));
}

void TestTFParGen::cancelAsksOnlyAfterAChange_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no change") << false << true << true;
    QTest::newRow("change, yes") << true << true << true;
    QTest::newRow("change, no") << true << false << false;
}

void TestTFParGen::cancelAsksOnlyAfterAChange()
{
    QFETCH(bool, change);
    QFETCH(bool, answer);
    QFETCH(bool, closed);
    m_dlg->show();
    if (change)
        type("E_PORT", QStringLiteral("503"));
    m_ws->messages.setNextAnswer(answer);
    button("Btn_Cancel")->click();
    QCOMPARE(m_ws->messages.texts(),
             change ? QStringList{"Do you want to exit without saving changes?"} : QStringList());
    QCOMPARE(!m_dlg->isVisible(), closed);
    if (closed)
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(m_ws->context.paths.ParGenPath));
}

void TestTFParGen::foldingLaysOutTheWindow()
{
    m_dlg->show();
    auto *dnet = m_dlg->findChild<QGroupBox *>("GB_DeviceNet_Master");
    auto *modbus = m_dlg->findChild<QGroupBox *>("GB_Modbus_TCP_Slave");
    QPushButton *ok = button("Btn_OK");
    QCOMPARE(dnet->geometry(), QRect(8, 70, 296, 125));
    QCOMPARE(modbus->geometry(), QRect(8, 201, 296, 258));
    QCOMPARE(ok->y(), 472);
    QCOMPARE(m_dlg->size(), QSize(312, 513));

    auto *collapse1 = m_dlg->findChild<QToolButton *>("Btn_GB_DeviceNet_Master_Collapse");
    auto *expand1 = m_dlg->findChild<QToolButton *>("Btn_GB_DeviceNet_Master_Expand");
    auto *collapse2 = m_dlg->findChild<QToolButton *>("Btn_GB_Modbus_TCP_Slave_Collapse");
    QVERIFY(collapse1->isVisible() && !expand1->isVisible());
    QCOMPARE(collapse1->geometry(), QRect(280, 10, 11, 11));
    QTest::mouseClick(collapse1, Qt::LeftButton);
    QTest::mouseClick(collapse2, Qt::LeftButton);
    QVERIFY(!collapse1->isVisible() && expand1->isVisible());
    QVERIFY(!field("E_ID_DNET_Master")->isVisible());
    QCOMPARE(dnet->geometry(), QRect(8, 70, 296, 26));
    QCOMPARE(modbus->geometry(), QRect(8, 102, 296, 26));
    QCOMPARE(ok->y(), 128 + 13);
    QCOMPARE(button("Btn_Cancel")->y(), 128 + 13);
    QCOMPARE(m_dlg->height(), 128 + 54);
    QVERIFY(!m_dlg->Is_Change);

    // The folding lasts from one opening to the next.
    m_dlg->hide();
    m_dlg->show();
    QCOMPARE(m_dlg->height(), 182);
    QVERIFY(!m_dlg->GB_DeviceNet_Master_Visible && !m_dlg->GB_Modbus_TCP_Slave_Visible);

    QTest::mouseClick(expand1, Qt::LeftButton);
    QVERIFY(field("E_ID_DNET_Master")->isVisible());
    QCOMPARE(dnet->geometry(), QRect(8, 70, 296, 125));
    QCOMPARE(modbus->geometry(), QRect(8, 201, 296, 26));
    QCOMPARE(m_dlg->height(), 227 + 54);
}

void TestTFParGen::unreadableDocumentKeepsFields()
{
    m_dlg->show();
    type("E_PORT", QStringLiteral("1234"));
    m_dlg->hide();
    TestWorkspace::writeFile(m_ws->context.paths.ParGenPath, "<Par_Gen><MTCPs_PORT>1</Par_Gen>");
    m_dlg->show();
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_ws->messages.count(), 1);
    QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("error"));
    QVERIFY(m_ws->messages.last().contains(m_ws->context.paths.ParGenPath));
    QCOMPARE(field("E_PORT")->text(), QStringLiteral("1234"));
    QVERIFY(m_dlg->Is_Change);
    QCOMPARE(savedFile(), QByteArray("<Par_Gen><MTCPs_PORT>1</Par_Gen>"));
}

void TestTFParGen::failedSaveKeepsDialogOpen()
{
    m_dlg->show();
    type("E_PORT", QStringLiteral("1234"));
    QVERIFY(QDir(m_ws->context.paths.ProjectFolder).removeRecursively());
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.count(), 1);
    QVERIFY(m_ws->messages.last().contains(m_ws->context.paths.ParGenPath));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(field("E_PORT")->text(), QStringLiteral("1234"));
}

QTEST_MAIN(TestTFParGen)
#include "tst_tfpargen.moc"
