// The register map dialog's tools driven offscreen: the menu on the lists and the small button,
// auto-map with its parameter dialog, the overview window, CSV export and import.
#include "MapOverviewModel.h"
#include "ModalHelper.h"
#include "RegisterMapTools.h"
#include "TFDefineModbusRegs.h"
#include "TFMapOverview.h"
#include "TestWorkspace.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <memory>

namespace {

const QByteArray Comment = "<!--SW_VERSION = 2.004-->";
// Slave 1: ID 5 "pump", 2 bytes IN, 4 OUT; slave 2: ID 7, 3 IN, 1 OUT.
const QByteArray Slaves = "<DNET_Net>"
                          "<row ID=\"5\" NB_IN=\"2\" NB_OUT=\"4\" Mnemonic=\"pump\"/>"
                          "<row ID=\"7\" NB_IN=\"3\" NB_OUT=\"1\" Mnemonic=\"\"/>"
                          "</DNET_Net>" +
                          Comment;
// One register: read page of slave 1, index 10, byte 1 high.
const QByteArray Registers = "<InfoMod><Modbus_Read>"
                             "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                             "</Modbus_Read><Modbus_Write/></InfoMod>" +
                             Comment;

struct Fixture
{
    TestWorkspace ws;
    std::unique_ptr<TFDefineModbusRegs> dlg;
    RegisterMapTools *tools = nullptr;

    explicit Fixture(const QByteArray &registers = Registers)
    {
        ws.makeProject(QStringLiteral("P"));
        TestWorkspace::writeFile(ws.context.paths.DnetNetPath, Slaves);
        TestWorkspace::writeFile(ws.context.paths.DefRegPath, registers);
        dlg = std::make_unique<TFDefineModbusRegs>(ws.context);
        tools = dlg->findChild<RegisterMapTools *>();
        dlg->show();
    }

    template <typename T> T *find(const QString &name) const
    {
        T *w = dlg->findChild<T *>(name);
        if (!w)
            qFatal("no %s", qPrintable(name));
        return w;
    }
    static QString side(int page) { return page == 1 ? QStringLiteral("Read") : QStringLiteral("Write"); }
    QListWidget *slaves(int page) const { return find<QListWidget>("LB_DeviceNet_Slave_" + side(page) + "_Frames"); }
    QListWidget *regs(int page) const { return find<QListWidget>("LB_Modbus_" + side(page) + "_Regs"); }
    QAction *action(const char *name) const
    {
        auto *a = tools->menu()->findChild<QAction *>(QLatin1String(name));
        if (!a)
            qFatal("no action %s", name);
        return a;
    }
    void showPage(int page) const { find<QTabWidget>("PC_Modbus")->setCurrentIndex(page - 1); }
    static QStringList lines(const QListWidget *list)
    {
        QStringList l;
        for (int i = 0; i < list->count(); ++i)
            l.append(list->item(i)->text());
        return l;
    }
    QByteArray defRegOnDisk() const { return TestWorkspace::readFile(ws.context.paths.DefRegPath); }
};

// Fills the auto-map dialog that is about to run and presses OK; pages: the page choice, -1 for one slave.
void answerAutoMap(const QString &start, const QString &step, bool highFirst, int pages)
{
    whenModal([=](QWidget *w) {
        QVERIFY(w && w->objectName() == QLatin1String("TFAutoMap"));
        w->findChild<QLineEdit *>(QStringLiteral("E_Start"))->setText(start);
        w->findChild<QLineEdit *>(QStringLiteral("E_Step"))->setText(step);
        w->findChild<QRadioButton *>(highFirst ? QStringLiteral("RB_High_First") : QStringLiteral("RB_Low_First"))
            ->setChecked(true);
        // The page choice is offered for all slaves only.
        auto *pageChoice = w->findChild<QComboBox *>(QStringLiteral("CB_Pages"));
        QCOMPARE(pageChoice->isVisible(), pages >= 0);
        if (pages >= 0)
            pageChoice->setCurrentIndex(pages);
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    });
}

} // namespace

class TestRegisterMapTools : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void menuOnListsAndButton();
    void autoMapOneSlave();
    void autoMapDialogRefusesBadValues();
    void autoMapAllSlaves();
    void autoMapRefusalChangesNothing();
    void overviewSelectsInTheEditor();
    void overviewMarksBytesPastTheCount();
    void overviewTableIsOneTabStop_data();
    void overviewTableIsOneTabStop();
    void overviewKeysChooseARegister_data();
    void overviewKeysChooseARegister();
    void overviewSizeIsKeptForTheRun();
    void overviewColumnsFitTheLanguage_data();
    void overviewColumnsFitTheLanguage();
    void exportAndImport();
    void bulkChangesAreShownAndKept_data();
    void bulkChangesAreShownAndKept();
    void importRefusalChangesNothing_data();
    void importRefusalChangesNothing();
    void exportFailureIsReported();
};

void TestRegisterMapTools::menuOnListsAndButton()
{
    Fixture f;
    auto *button = f.find<QPushButton>("Btn_Map_Tools");
    QCOMPARE(button->text(), QStringLiteral("Map Tools"));
    QMenu *menu = f.tools->menu();
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(menu->isVisible());
    QStringList captions;
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            captions.append(a->text());
    }
    QCOMPARE(captions, QStringList({"Auto-map this Slave...", "Auto-map all Slaves...", "Overview of the Map...",
                                    "Export CSV...", "Import CSV..."}));
    // "This slave" is the current one of the page shown: none in the offscreen tests, the first one where the
    // platform gives the list the focus when the window opens (Windows).
    QCOMPARE(f.action("A_AutoMap_Slave")->isEnabled(), f.slaves(1)->currentRow() >= 0);
    QVERIFY(f.action("A_AutoMap_All")->isEnabled());
    menu->hide();

    // A right click on a slave of the write page selects it and opens the same menu for that page.
    f.showPage(2);
    QListWidget *list = f.slaves(2);
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list->viewport(), &event);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(list->currentRow(), 1);
    QVERIFY(f.action("A_AutoMap_Slave")->isEnabled());
    menu->hide();
    // The register list of the read page, with no slave current there.
    f.showPage(1);
    f.slaves(1)->setCurrentRow(-1);
    QContextMenuEvent onRegisters(QContextMenuEvent::Mouse, QPoint(5, 5),
                                  f.regs(1)->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(f.regs(1)->viewport(), &onRegisters);
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(!f.action("A_AutoMap_Slave")->isEnabled());
    menu->hide();

    // A language chosen while the dialog was closed shows at its next opening.
    f.ws.context.catalog.setText(1355, QStringLiteral("Werkzeuge"));
    f.ws.context.catalog.setText(1352, QStringLiteral("Übersicht der Belegung..."));
    f.dlg->hide();
    f.dlg->show();
    QCOMPARE(button->text(), QStringLiteral("Werkzeuge"));
    QCOMPARE(f.action("A_Overview")->text(), QStringLiteral("Übersicht der Belegung..."));
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestRegisterMapTools::autoMapOneSlave()
{
    Fixture f;
    f.slaves(1)->setCurrentRow(0); // 4 bytes OUT, byte 1 carried by register 10
    // The window says which slave and page it maps (and is closed unanswered).
    QString description;
    whenModal(
        [&description](QWidget *w) { description = w->findChild<QLabel *>(QStringLiteral("L_SW_Desc"))->text(); });
    f.action("A_AutoMap_Slave")->trigger();
    QCOMPARE(description, QStringLiteral("Map slave 1 (ID 5) on the Read page"));
    answerAutoMap(QStringLiteral("20"), QStringLiteral("0"), true, -1);
    f.action("A_AutoMap_Slave")->trigger();
    QCOMPARE(f.ws.messages.count(), 0);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; None;", "20; None; Byte 2;", "21; Byte 3; Byte 4;"}));

    // The values accepted last come back; a Cancel changes nothing and keeps them.
    for (int round = 0; round < 2; ++round) {
        whenModal([](QWidget *w) {
            QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("E_Start"))->text(), QStringLiteral("20"));
            QCOMPARE(w->findChild<QLineEdit *>(QStringLiteral("E_Step"))->text(), QStringLiteral("0"));
            QVERIFY(w->findChild<QRadioButton *>(QStringLiteral("RB_High_First"))->isChecked());
            w->findChild<QLineEdit *>(QStringLiteral("E_Start"))->setText(QStringLiteral("30"));
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
        });
        f.action("A_AutoMap_Slave")->trigger();
    }
    QCOMPARE(f.dlg->map().registerCount(), 3);

    answerAutoMap(QStringLiteral("0"), QStringLiteral("0"), false, -1);
    f.action("A_AutoMap_Slave")->trigger();
    QCOMPARE(f.ws.messages.texts(), QStringList{"Nothing to map: every byte already has a register"});
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("warning"));

    f.showPage(2);
    f.slaves(2)->setCurrentRow(1); // 3 bytes IN
    answerAutoMap(QStringLiteral("0"), QStringLiteral("0"), false, -1);
    f.action("A_AutoMap_Slave")->trigger();
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"0; Byte 2; Byte 1;", "1; None; Byte 3;"}));
    QCOMPARE(f.defRegOnDisk(), Registers); // nothing saved before OK
    f.find<QPushButton>("Btn_OK")->click();
    QCOMPARE(f.defRegOnDisk(), QByteArray("<InfoMod><Modbus_Read>"
                                          "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
                                          "<row Index=\"20\" NrDNNode=\"1\" PosComp=\"2\"/>"
                                          "<row Index=\"21\" NrDNNode=\"1\" PosComp=\"196612\"/>"
                                          "</Modbus_Read><Modbus_Write>"
                                          "<row Index=\"0\" NrDNNode=\"2\" PosComp=\"131073\"/>"
                                          "<row Index=\"1\" NrDNNode=\"2\" PosComp=\"3\"/>"
                                          "</Modbus_Write></InfoMod>") +
                                   Comment);
}

void TestRegisterMapTools::autoMapDialogRefusesBadValues()
{
    const QString badStart = QStringLiteral("Error!! The first register index must be between 0 and 65535");
    const QString badStep = QStringLiteral("Error!! The step must be between 0 and 65535");
    // The last entry: the field that has the focus after the refusal.
    const QList<QStringList> cases = {{"65536", "0", badStart, "E_Start"},
                                      {"", "0", badStart, "E_Start"},
                                      {"-1", "10", badStart, "E_Start"},
                                      {"0", "x", badStep, "E_Step"},
                                      {"0", "70000", badStep, "E_Step"}};
    for (const QStringList &c : cases) {
        Fixture f;
        bool stayedOpen = false;
        QString shown;
        whenModal([&](QWidget *w) {
            auto *start = w->findChild<QLineEdit *>(QStringLiteral("E_Start"));
            start->setText(c.at(0));
            w->findChild<QLineEdit *>(QStringLiteral("E_Step"))->setText(c.at(1));
            // Enter in a field is OK (the window's default button); the refusal is said in the window.
            QTest::keyClick(start, Qt::Key_Return);
            stayedOpen = w->isVisible();
            shown = w->findChild<QLabel *>(QStringLiteral("L_Message"))->text();
            QCOMPARE(w->focusWidget() ? w->focusWidget()->objectName() : QString(), c.at(3));
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
        });
        f.action("A_AutoMap_All")->trigger();
        QVERIFY(stayedOpen);
        QCOMPARE(shown, c.at(2));
        QCOMPARE(f.ws.messages.count(), 0);
        QCOMPARE(f.dlg->map().registerCount(), 1);
    }

    // Corrected in the same window, Enter maps and the window closes.
    Fixture f;
    whenModal([&](QWidget *w) {
        auto *start = w->findChild<QLineEdit *>(QStringLiteral("E_Start"));
        start->setText(QStringLiteral("x"));
        QTest::keyClick(start, Qt::Key_Enter);
        QVERIFY(w->isVisible());
        start->setText(QStringLiteral("100"));
        QTest::keyClick(start, Qt::Key_Enter);
        QVERIFY(!w->isVisible());
    });
    f.action("A_AutoMap_All")->trigger();
    QCOMPARE(f.ws.messages.count(), 0);
    QVERIFY(f.dlg->map().registerCount() > 1);
}

void TestRegisterMapTools::autoMapAllSlaves()
{
    Fixture f;
    answerAutoMap(QStringLiteral("100"), QStringLiteral("10"), false, 2); // the write page only
    f.action("A_AutoMap_All")->trigger();
    QCOMPARE(f.ws.messages.count(), 0);
    QCOMPARE(f.dlg->map().registerCount(), 4);
    f.slaves(2)->setCurrentRow(0);
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"100; Byte 2; Byte 1;"}));
    f.slaves(2)->setCurrentRow(1);
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList({"110; Byte 2; Byte 1;", "111; None; Byte 3;"}));
}

void TestRegisterMapTools::autoMapRefusalChangesNothing()
{
    Fixture f;
    f.slaves(1)->setCurrentRow(0);
    answerAutoMap(QStringLiteral("65535"), QStringLiteral("0"), false, 0);
    f.action("A_AutoMap_All")->trigger();
    QCOMPARE(f.ws.messages.texts(),
             QStringList{"Error!! Slave 1 (ID 5), Read page: no run of 2 free register indexes from 65535 to 65535 "
                         "holds all its registers: nothing was changed"});
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(f.dlg->map().registerCount(), 1);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList({"10; Byte 1; None;"}));
}

void TestRegisterMapTools::overviewSelectsInTheEditor()
{
    Fixture f;
    // Before any auto-map: one register, and the free bytes of every slave and page.
    whenModal([](QWidget *w) {
        auto *list = w->findChild<QListWidget *>(QStringLiteral("LB_Free_Bytes"));
        QCOMPARE(Fixture::lines(list),
                 QStringList({"Slave 1 (ID 5), Read: bytes 2-4", "Slave 1 (ID 5), Write: bytes 1-2",
                              "Slave 2 (ID 7), Read: byte 1", "Slave 2 (ID 7), Write: bytes 1-3"}));
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
    });
    f.action("A_Overview")->trigger();

    answerAutoMap(QStringLiteral("0"), QStringLiteral("0"), false, 0);
    f.action("A_AutoMap_All")->trigger();
    QCOMPARE(f.dlg->map().registerCount(), 7);

    whenModal([](QWidget *w) {
        auto *overview = qobject_cast<TFMapOverview *>(w);
        QVERIFY(overview);
        MapOverviewModel *model = overview->model();
        QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Address (0-based)"));
        QCOMPARE(model->rowCount(), 7);
        QStringList first;
        for (int c = 0; c < model->columnCount(); ++c)
            first.append(model->index(0, c).data().toString());
        QCOMPARE(first, QStringList({"0", "Read", "1", "5", "pump", "None", "2", ""}));
        QCOMPARE(Fixture::lines(w->findChild<QListWidget *>(QStringLiteral("LB_Free_Bytes"))),
                 QStringList{"every byte has a register"});

        w->findChild<QComboBox *>(QStringLiteral("CB_Filter_Page"))->setCurrentIndex(2);
        QCOMPARE(model->rowCount(), 3);
        w->findChild<QComboBox *>(QStringLiteral("CB_Filter_Slave"))->setCurrentIndex(2);
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("L_Count"))->text(), QStringLiteral("2 registers"));
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("5"));

        auto *view = w->findChild<QTableView *>(QStringLiteral("TV_Registers"));
        const QPoint at = view->visualRect(model->index(1, 2)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    });
    f.action("A_Overview")->trigger();
    // Register 5 is the second one of slave 2 on the write page.
    QCOMPARE(f.find<QTabWidget>("PC_Modbus")->currentIndex(), 1);
    QCOMPARE(f.slaves(2)->currentRow(), 1);
    QCOMPARE(f.regs(2)->currentRow(), 1);
    QCOMPARE(f.find<QLineEdit>("E_Index_Modbus_Write")->text(), QStringLiteral("5"));
    QCOMPARE(f.find<QComboBox>("CB_Byte_Low_Part_Write")->currentIndex(), 3);
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestRegisterMapTools::overviewMarksBytesPastTheCount()
{
    // Slave 2 has 1 byte OUT: register 20 carries its bytes 3 and 1.
    Fixture f("<InfoMod><Modbus_Read><row Index=\"10\" NrDNNode=\"1\" PosComp=\"65536\"/>"
              "<row Index=\"20\" NrDNNode=\"2\" PosComp=\"196609\"/></Modbus_Read><Modbus_Write/></InfoMod>" +
              Comment);
    bool shown = false;
    whenModal([&shown](QWidget *w) {
        shown = true;
        QCOMPARE(w->windowTitle(), QStringLiteral("Register Map Overview - 1 register past its slave's bytes"));
        auto *overview = qobject_cast<TFMapOverview *>(w);
        MapOverviewModel *model = overview->model();
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(model->index(0, 0).data(MapOverviewModel::PastCountRole).toBool(), false);
        QCOMPARE(model->index(1, 0).data(MapOverviewModel::PastCountRole).toBool(), true);
        QCOMPARE(model->index(1, 5).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("This register carries a byte that its slave does not have"));
        QVERIFY(!model->index(0, 5).data(Qt::ToolTipRole).isValid());
        // The mark is a word in the row as well as its colour: what a screen reader reads of the cells.
        auto *view = w->findChild<QTableView *>(QStringLiteral("TV_Registers"));
        QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(view)->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 8);
        const auto cell = [table](int row, int column) { return table->cellAt(row, column)->text(QAccessible::Name); };
        QCOMPARE(cell(1, 7), QStringLiteral("past the slave's bytes"));
        QCOMPARE(cell(0, 7), QString());
        QCOMPARE(table->columnDescription(7), QStringLiteral("Note"));
        // A register carries those bytes: they are listed under their own heading, not as free bytes.
        QCOMPARE(Fixture::lines(w->findChild<QListWidget *>(QStringLiteral("LB_Free_Bytes"))),
                 QStringList({"Slave 1 (ID 5), Read: bytes 2-4", "Slave 1 (ID 5), Write: bytes 1-2",
                              "Slave 2 (ID 7), Write: bytes 1-3"}));
        auto *past = w->findChild<QListWidget *>(QStringLiteral("LB_Past_Bytes"));
        QVERIFY(past->isVisible());
        QCOMPARE(Fixture::lines(past), QStringList({"Slave 2 (ID 7), Read: byte 3"}));
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("L_Past_Bytes"))->text(),
                 QStringLiteral("Bytes that registers carry but their slave does not have"));
        QCOMPARE(past->accessibleName(), QStringLiteral("Bytes that registers carry but their slave does not have"));
        // The two lists side by side, neither over the other.
        const QRect freeBox = w->findChild<QListWidget *>(QStringLiteral("LB_Free_Bytes"))->geometry();
        QVERIFY(!freeBox.intersects(past->geometry()));
        QCOMPARE(freeBox.top(), past->geometry().top());
        // Filtered to slave 1, which carries no such byte.
        w->findChild<QComboBox *>(QStringLiteral("CB_Filter_Slave"))->setCurrentIndex(1);
        QCOMPARE(Fixture::lines(past), QStringList({"no register carries a byte that its slave does not have"}));
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("L_Count"))->text(), QStringLiteral("1 register"));
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
    });
    f.action("A_Overview")->trigger();
    QVERIFY(shown);

    // Without such registers the list of free bytes takes the whole row and the other is not shown.
    whenModal([](QWidget *w) {
        QVERIFY(!w->findChild<QListWidget *>(QStringLiteral("LB_Past_Bytes"))->isVisible());
        QCOMPARE(w->findChild<QListWidget *>(QStringLiteral("LB_Free_Bytes"))->width(), w->width() - 32);
        QCOMPARE(w->windowTitle(), QStringLiteral("Register Map Overview"));
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
    });
    Fixture plain;
    plain.action("A_Overview")->trigger();
}

// The overview's table is one stop of the Tab order, as the slave list's is: Tab, Shift+Tab and
// Ctrl+Tab lead out of it from any row, and the lists and buttons below it are reached.
void TestRegisterMapTools::overviewTableIsOneTabStop_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("focusTo");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("tab from the first row") << none << 0 << "LB_Free_Bytes";
    QTest::newRow("tab from the last row") << none << 2 << "LB_Free_Bytes";
    QTest::newRow("back from the last row") << shift << 2 << "CB_Filter_Page";
    QTest::newRow("back from the first row") << shift << 0 << "CB_Filter_Page";
    QTest::newRow("ctrl+tab") << ctrl << 1 << "LB_Free_Bytes";
    QTest::newRow("ctrl+shift+tab") << ctrl + shift << 1 << "CB_Filter_Page";
}

void TestRegisterMapTools::overviewTableIsOneTabStop()
{
    QFETCH(int, modifiers);
    QFETCH(int, row);
    QFETCH(QString, focusTo);
    TestWorkspace ws;
    ModbusMap map;
    map.appendSlave(QStringLiteral("1"), 2, 1);
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("1"), 0, 1});
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("2"), 2, 0}); // byte 2 past the slave's one byte OUT
    map.appendRegister(0, ModbusMap::Write, {QStringLiteral("3"), 0, 1});
    TFMapOverview overview(ws.context, map);
    overview.show();
    QApplication::setActiveWindow(&overview);
    auto *view = overview.findChild<QTableView *>(QStringLiteral("TV_Registers"));
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, 3));
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QTest::keyClick(view, (mods & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab, mods);
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focusTo);
    QVERIFY(overview.isVisible()); // Tab chose no register
    QCOMPARE(view->currentIndex().row(), row);

    // From the table on, Tab reaches every control below it in the order they are seen, and comes round.
    view->setFocus();
    QStringList walk;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(walk, QStringList({"LB_Free_Bytes", "LB_Past_Bytes", "Btn_Monitor", "Btn_Close", "CB_Filter_Slave",
                                "CB_Filter_Page", "TV_Registers"}));
}

void TestRegisterMapTools::overviewKeysChooseARegister_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("Down only moves") << int(Qt::Key_Down) << false;
}

void TestRegisterMapTools::overviewKeysChooseARegister()
{
    QFETCH(int, key);
    QFETCH(bool, chosen);
    Fixture f;
    answerAutoMap(QStringLiteral("0"), QStringLiteral("0"), false, 0);
    f.action("A_AutoMap_All")->trigger();
    whenModal([key, chosen](QWidget *w) {
        auto *view = w->findChild<QTableView *>(QStringLiteral("TV_Registers"));
        view->setFocus();
        view->setCurrentIndex(view->model()->index(5, 0)); // register 5: slave 2, write page
        QTest::keyClick(view, Qt::Key(key));
        QCOMPARE(w->isVisible(), !chosen);
        if (!chosen)
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
    });
    f.action("A_Overview")->trigger();
    QCOMPARE(f.find<QTabWidget>("PC_Modbus")->currentIndex(), chosen ? 1 : 0);
    QCOMPARE(f.regs(2)->currentRow(), chosen ? 1 : -1);
}

void TestRegisterMapTools::overviewSizeIsKeptForTheRun()
{
    Fixture f;
    QList<QSize> sizes;
    const auto closeAfter = [&sizes](const QSize &resizeTo) {
        whenModal([&sizes, resizeTo](QWidget *w) {
            sizes.append(w->size());
            // Not fixed: the user can make it larger, not smaller than its contents need.
            QVERIFY(w->maximumSize().width() > 2000);
            if (resizeTo.isValid())
                w->resize(resizeTo);
            QCoreApplication::processEvents();
            auto *view = w->findChild<QTableView *>(QStringLiteral("TV_Registers"));
            // The table takes the room the window gains.
            QCOMPARE(view->width(), w->width() - 32);
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("Btn_Close")), Qt::LeftButton);
        });
    };
    closeAfter(QSize(900, 700));
    f.action("A_Overview")->trigger();
    closeAfter(QSize());
    f.action("A_Overview")->trigger();
    QCOMPARE(sizes, QList<QSize>({QSize(680, 560), QSize(900, 700)}));
}

void TestRegisterMapTools::overviewColumnsFitTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &file : QDir(QStringLiteral(SW_SOURCE_DIR "/lang")).entryList({QStringLiteral("*.lng")}))
        QTest::newRow(qPrintable(file)) << file;
}

void TestRegisterMapTools::overviewColumnsFitTheLanguage()
{
    QFETCH(QString, language);
    TestWorkspace ws;
    ws.context.catalog.LoadLanguageFile(QStringLiteral(SW_SOURCE_DIR "/lang/") + language);
    ModbusMap map;
    map.appendSlave(QStringLiteral("1"), 2, 2);
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("1"), 0, 1});
    map.appendRegister(0, ModbusMap::Write, {QStringLiteral("2"), 0, 1});
    TFMapOverview overview(ws.context, map);
    overview.show();
    auto *view = overview.findChild<QTableView *>(QStringLiteral("TV_Registers"));
    // The page names and "None" are shown whole in their columns, in every language.
    for (const int row : {0, 1}) {
        for (const int column : {1, 5}) {
            const QString value = view->model()->index(row, column).data().toString();
            QVERIFY2(view->columnWidth(column) >= view->fontMetrics().horizontalAdvance(value) + 8,
                     qPrintable(QStringLiteral("%1 in %2").arg(value).arg(view->columnWidth(column))));
        }
    }
}

void TestRegisterMapTools::exportAndImport()
{
    Fixture f;
    const QString path = f.ws.path(QStringLiteral("tags.csv"));
    QList<bool> asked;
    QString answer = path;
    f.tools->chooseFile = [&](bool forSave) {
        asked.append(forSave);
        return answer;
    };
    f.action("A_Export_CSV")->trigger();
    QCOMPARE(TestWorkspace::readFile(path), QByteArray("Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n"
                                                       "10,read,1,5,pump,1,\r\n"));

    TestWorkspace::writeFile(path, "Address (0-based);Page;Slave;ID;Mnemonic;High byte;Low byte\n"
                                   "10;read;1;5;pump;1;2\n"
                                   "7;write;2;7;;3;\n");
    f.ws.messages.setNextAnswer(false);
    f.action("A_Import_CSV")->trigger();
    QCOMPARE(f.ws.messages.texts(), QStringList{"The import replaces all 1 registers of the map with the 2 registers "
                                                "of the file; nothing is saved before OK. Continue?"});
    QCOMPARE(f.dlg->map().registerCount(), 1);
    f.action("A_Import_CSV")->trigger(); // answered Yes
    QCOMPARE(f.dlg->map().registerCount(), 2);
    f.slaves(1)->setCurrentRow(0);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList{"10; Byte 1; Byte 2;"});
    f.slaves(2)->setCurrentRow(1);
    QCOMPARE(Fixture::lines(f.regs(2)), QStringList{"7; Byte 3; None;"});
    QCOMPARE(asked, QList<bool>({true, false, false}));

    // No file chosen: nothing happens.
    answer.clear();
    f.action("A_Import_CSV")->trigger();
    f.action("A_Export_CSV")->trigger();
    QCOMPARE(f.ws.messages.count(), 2);

    f.find<QPushButton>("Btn_OK")->click();
    QCOMPARE(f.defRegOnDisk(), QByteArray("<InfoMod><Modbus_Read>"
                                          "<row Index=\"10\" NrDNNode=\"1\" PosComp=\"65538\"/>"
                                          "</Modbus_Read><Modbus_Write>"
                                          "<row Index=\"7\" NrDNNode=\"2\" PosComp=\"196608\"/>"
                                          "</Modbus_Write></InfoMod>") +
                                   Comment);
}

void TestRegisterMapTools::bulkChangesAreShownAndKept_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QString>("status"); // the dialog's status line afterwards
    QTest::addColumn<int>("page");       // the page shown, with the first slave that changed selected
    QTest::addColumn<int>("slave");
    QTest::newRow("auto-map all") << "all"
                                  << "Auto-map added 6 registers: Read page 0 to 2; Write page 3 to 5" << 1 << 0;
    QTest::newRow("auto-map the write page") << "write"
                                             << "Auto-map added 3 registers: Write page 100 to 111" << 2 << 0;
    QTest::newRow("import") << "import"
                            << "Imported 3 registers: Read page 10 to 10; Write page 7 to 9. The Mnemonic column is not "
                               "imported: a slave's mnemonic belongs to the slave list."
                            << 2 << 1;
    // One register deleted by hand: Cancel throws it away without a question, as ever.
    QTest::newRow("delete one register") << "delete"
                                         << "" << 1 << 0;
}

void TestRegisterMapTools::bulkChangesAreShownAndKept()
{
    QFETCH(QString, tool);
    QFETCH(QString, status);
    QFETCH(int, page);
    QFETCH(int, slave);
    Fixture f;
    if (tool == QLatin1String("import")) {
        const QString path = f.ws.path(QStringLiteral("tags.csv"));
        TestWorkspace::writeFile(path, "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\n"
                                       "10,read,1,5,pump,1,\n9,write,2,7,,3,\n7,write,2,7,,1,2\n");
        f.tools->chooseFile = [path](bool) { return path; };
        f.action("A_Import_CSV")->trigger(); // the question answered Yes
    } else if (tool == QLatin1String("delete")) {
        f.slaves(1)->setCurrentRow(0);
        f.regs(1)->setCurrentRow(0);
        f.find<QPushButton>("Btn_Delete_Read")->click();
    } else {
        answerAutoMap(tool == QLatin1String("all") ? QStringLiteral("0") : QStringLiteral("100"),
                      tool == QLatin1String("all") ? QStringLiteral("0") : QStringLiteral("10"), false,
                      tool == QLatin1String("all") ? 0 : 2);
        f.action("A_AutoMap_All")->trigger();
    }
    // A screen reader reads the line that is shown, never an earlier one.
    const auto readStatus = [&f] {
        QAccessibleInterface *line = QAccessible::queryAccessibleInterface(f.find<QLabel>("L_Status"));
        return QStringList{line->text(QAccessible::Name), line->text(QAccessible::Description)};
    };
    QCOMPARE(f.find<QLabel>("L_Status")->text(), status);
    QCOMPARE(readStatus(), QStringList({status, status}));
    QCOMPARE(f.find<QTabWidget>("PC_Modbus")->currentIndex(), page - 1);
    QCOMPARE(f.slaves(page)->currentRow(), slave);
    QCOMPARE(f.regs(page)->count() > 0, !status.isEmpty()); // its registers in view
    f.ws.messages.clear();

    const QString question = QStringLiteral(
        "Auto-map or import changed the register map since it was opened. Close without saving these changes?");
    if (status.isEmpty()) {
        f.find<QPushButton>("Btn_Cancel")->click();
        QCOMPARE(f.ws.messages.texts(), QStringList());
        QVERIFY(!f.dlg->isVisible());
        return;
    }
    // Cancel and Escape ask; No keeps the dialog and the work, Yes closes without saving.
    const int registers = f.dlg->map().registerCount();
    f.ws.messages.setNextAnswer(false);
    f.find<QPushButton>("Btn_Cancel")->click();
    QCOMPARE(f.ws.messages.texts(), QStringList{question});
    QVERIFY(f.dlg->isVisible());
    f.ws.messages.setNextAnswer(false);
    QTest::keyClick(f.dlg.get(), Qt::Key_Escape);
    QCOMPARE(f.ws.messages.count(), 2);
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.dlg->map().registerCount(), registers);
    QTest::keyClick(f.dlg.get(), Qt::Key_Escape); // answered Yes
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.defRegOnDisk(), Registers);
    // Opened again: the map as saved, nothing to ask, and no line to read.
    f.dlg->show();
    QCOMPARE(f.find<QLabel>("L_Status")->text(), QString());
    QCOMPARE(readStatus(), QStringList({QString(), QString()}));
    // The next action's line is read as it is shown.
    const QString exported = f.ws.path(QStringLiteral("out.csv"));
    f.tools->chooseFile = [exported](bool) { return exported; };
    f.action("A_Export_CSV")->trigger();
    QCOMPARE(readStatus(), QStringList(2, QStringLiteral("Exported 1 register to out.csv")));
    f.ws.messages.clear();
    f.find<QPushButton>("Btn_Cancel")->click();
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestRegisterMapTools::importRefusalChangesNothing_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("reason");
    const QByteArray header = "Address (0-based),Page,Slave,ID,Mnemonic,High byte,Low byte\r\n";
    QTest::newRow("one bad line") << header + "11,read,1,5,pump,2,3\r\n12,read,1,5,pump,9,\r\n13,write,2,7,,1,2\r\n"
                                  << "Line 3: the high byte \"9\" is not a byte of the slave (1 to 4, or empty for None)";
    // A cut-off export would empty the map: the register map's own Delete does that, never an import.
    QTest::newRow("the header alone") << header << "the file holds no registers; nothing was changed";
    QTest::newRow("no header") << QByteArray("11;read;1;5;pump;2;3;;\r\n")
                               << "Line 1: the first line must be the header, naming the columns: Address (0-based), "
                                  "Page, Slave, ID, Mnemonic, High byte, Low byte";
}

void TestRegisterMapTools::importRefusalChangesNothing()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, reason);
    Fixture f;
    const QString path = f.ws.path(QStringLiteral("tags.csv"));
    TestWorkspace::writeFile(path, csv);
    f.tools->chooseFile = [&](bool) { return path; };
    f.action("A_Import_CSV")->trigger();
    QCOMPARE(f.ws.messages.texts(),
             QStringList{"Error!! The CSV file was not imported; the register map is unchanged.\n" + path + "\n\n" +
                         reason});
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("error"));
    f.slaves(1)->setCurrentRow(0);
    QCOMPARE(Fixture::lines(f.regs(1)), QStringList{"10; Byte 1; None;"});
    QCOMPARE(f.find<QLabel>("L_Status")->text(), QString());
    f.find<QPushButton>("Btn_OK")->click();
    QCOMPARE(f.defRegOnDisk(), Registers);
    if (QByteArray(QTest::currentDataTag()) != "the header alone")
        return;

    // Emptying the map is still the window's own work: every register deleted, then OK.
    f.dlg->show();
    for (int page : {1, 2}) {
        f.showPage(page);
        for (int slave = 0; slave < f.slaves(page)->count(); ++slave) {
            f.slaves(page)->setCurrentRow(slave);
            while (f.regs(page)->count() > 0) {
                f.regs(page)->setCurrentRow(0);
                f.find<QPushButton>(QStringLiteral("Btn_Delete_") + Fixture::side(page))->click();
            }
        }
    }
    f.find<QPushButton>("Btn_OK")->click();
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.defRegOnDisk(), QByteArray("<InfoMod><Modbus_Read/><Modbus_Write/></InfoMod>") + Comment);
}

void TestRegisterMapTools::exportFailureIsReported()
{
    Fixture f;
    const QString path = f.ws.path(QStringLiteral("no such folder/tags.csv"));
    f.tools->chooseFile = [&](bool) { return path; };
    f.action("A_Export_CSV")->trigger();
    QCOMPARE(f.ws.messages.count(), 1);
    QVERIFY2(f.ws.messages.last().startsWith(QStringLiteral("Cannot write ") + path), qPrintable(f.ws.messages.last()));
    QVERIFY(f.dlg->isVisible());
}

QTEST_MAIN(TestRegisterMapTools)
#include "tst_registermaptools.moc"
