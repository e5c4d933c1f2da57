// The keyboard as a Windows user expects it: Enter presses the focused button in every window, the
// languages are a group of radio buttons that Tab reaches and the arrows walk, and moving the focus never
// changes what the user typed.
#include "AppWindows.h"
#include "TFAbout.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFFabricoreFirmWare.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"
#include "TestWorkspace.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

namespace {

struct Program
{
    TestWorkspace ws;
    std::unique_ptr<AppWindows> windows;

    Program()
    {
        QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/Demo/bin"));
        AppSettings settings;
        settings.projectname = QStringLiteral("Demo");
        settings.write(ws.context.settingsPath());
        windows = std::make_unique<AppWindows>(ws.context);
    }

    QWidget *window(const QString &name) const
    {
        for (QWidget *w : QList<QWidget *>{windows->mainWindow(), windows->newProject(), windows->openConf(),
                                           windows->about(), windows->softOptions(), windows->parGen(),
                                           windows->deviceNet(), windows->defineModbus(), windows->boot()}) {
            if (w->objectName() == name)
                return w;
        }
        return nullptr;
    }
};

// Moves the focus with Tab from where it is until it reaches target; false when it never does.
bool tabTo(QWidget *window, QWidget *target, bool back = false)
{
    for (int i = 0; i < 60 && QApplication::focusWidget() != target; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
    return QApplication::focusWidget() == target;
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void enterInAFieldKeepsItsMeaning();
    void languageSlotsByKeyboard_data();
    void languageSlotsByKeyboard();
    void tabIntoRegisterListKeepsTypedValues();
};

void TestKeyboard::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("button"); // a button that closes its window
    QTest::addColumn<int>("key");
    QTest::newRow("main window") << "TFFabricoreFirmWare"
                                 << "Btn_Close" << int(Qt::Key_Return);
    QTest::newRow("new configuration") << "TFNew_Project"
                                       << "Btn_Cancel" << int(Qt::Key_Return);
    QTest::newRow("open configuration") << "TFOpenConf"
                                        << "Btn_Cancel" << int(Qt::Key_Enter);
    QTest::newRow("about") << "TFAbout"
                           << "LbButton1" << int(Qt::Key_Return);
    QTest::newRow("options") << "TFSoftOptions"
                             << "Btn_Cancel" << int(Qt::Key_Return);
    QTest::newRow("communication") << "TFParGen"
                                   << "Btn_Cancel" << int(Qt::Key_Return);
    QTest::newRow("slave list") << "TFDeviceNetNetwork"
                                << "Btn_Cancel" << int(Qt::Key_Return);
    QTest::newRow("register map") << "TFDefineModbusRegs"
                                  << "Btn_Cancel" << int(Qt::Key_Enter);
    QTest::newRow("update") << "TFBoot"
                            << "Btn_Cancel" << int(Qt::Key_Return);
}

void TestKeyboard::enterPressesTheFocusedButton()
{
    QFETCH(QString, window);
    QFETCH(QString, button);
    QFETCH(int, key);
    Program program;
    QWidget *w = program.window(window);
    QVERIFY(w);
    w->show();
    QApplication::setActiveWindow(w);
    auto *b = w->findChild<QPushButton *>(button);
    QVERIFY(b);
    b->setFocus();
    QCOMPARE(QApplication::focusWidget(), b);
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    QTest::keyClick(b, Qt::Key(key));
    QCOMPARE(clicked.count(), 1);
    QVERIFY(!w->isVisible());
}

void TestKeyboard::enterInAFieldKeepsItsMeaning()
{
    // Enter in the name field still confirms the name, and a focused Cancel beside it is not pressed.
    Program program;
    TFNew_Project *dialog = program.windows->newProject();
    dialog->show();
    QApplication::setActiveWindow(dialog);
    auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("Btn_Cancel"));
    auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("Btn_OK"));
    QSignalSpy cancelled(cancel, &QAbstractButton::clicked);
    QSignalSpy confirmed(ok, &QAbstractButton::clicked);
    auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("E_New_Proj"));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Plant"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(cancelled.count(), 0);
    QVERIFY(QDir(program.ws.context.paths.ProjectsFolder).exists(QStringLiteral("Plant")));
}

void TestKeyboard::languageSlotsByKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
}

void TestKeyboard::languageSlotsByKeyboard()
{
    QFETCH(int, key);
    Program program;
    QDir().mkpath(program.ws.context.paths.LanguageFolder);
    for (const char *name : {"Deutsch", "English", "Italiano"})
        TestWorkspace::writeFile(joinPath(program.ws.context.paths.LanguageFolder, QLatin1String(name) + ".lng"),
                                 "STR302 = " + QByteArray(name) + "\n");
    TFSoftOptions *dialog = program.windows->softOptions();
    dialog->show();
    QApplication::setActiveWindow(dialog);
    auto *tabs = dialog->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
    tabs->tabBar()->setFocus();
    // The languages are one group of radio buttons: Tab reaches the one in use, the arrows move
    // among them without choosing (each choice would ask about switching the language).
    const auto slot = [dialog](int s) { return dialog->findChild<QRadioButton *>(QStringLiteral("L_L%1").arg(s)); };
    QRadioButton *third = slot(3);
    QVERIFY2(tabTo(dialog, slot(2)), "Tab never reaches the language in use");
    QTest::keyClick(slot(2), Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), slot(1));
    QTest::keyClick(slot(1), Qt::Key_Down);
    QTest::keyClick(slot(2), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), third);
    QTest::keyClick(third, Qt::Key_Down); // the last stays
    QCOMPARE(QApplication::focusWidget(), third);
    QCOMPARE(program.ws.messages.count(), 0);
    QCOMPARE(dialog->Language_In_Use, QStringLiteral("English"));
    QTest::keyClick(third, Qt::Key(key)); // the question is answered Yes
    QCOMPARE(program.ws.messages.texts(), QStringList{"Do you want to change the Language from English to Italiano?"});
    QCOMPARE(dialog->Language_In_Use, QStringLiteral("Italiano"));
    QVERIFY(dialog->isVisible()); // Enter chose the language; it pressed no button
}

void TestKeyboard::tabIntoRegisterListKeepsTypedValues()
{
    Program program;
    const WorkspacePaths &paths = program.ws.context.paths;
    TestWorkspace::writeFile(paths.DnetNetPath, "<DNET_Net><row ID=\"5\" NB_IN=\"4\" NB_OUT=\"4\" Mnemonic=\"\"/>"
                                                "</DNET_Net>");
    TestWorkspace::writeFile(paths.DefRegPath, "<InfoMod><Modbus_Read><row Index=\"10\" NrDNNode=\"1\" "
                                               "PosComp=\"65538\"/></Modbus_Read><Modbus_Write/></InfoMod>");
    TFDefineModbusRegs *dialog = program.windows->defineModbus();
    dialog->show();
    QApplication::setActiveWindow(dialog);
    dialog->findChild<QListWidget *>(QStringLiteral("LB_DeviceNet_Slave_Read_Frames"))->setCurrentRow(0);
    auto *regs = dialog->findChild<QListWidget *>(QStringLiteral("LB_Modbus_Read_Regs"));
    QCOMPARE(regs->count(), 1);
    auto *index = dialog->findChild<QLineEdit *>(QStringLiteral("E_Index_Modbus_Read"));
    index->setFocus();
    index->selectAll();
    QTest::keyClicks(index, QStringLiteral("77"));
    // Back from the index field into the register list.
    QVERIFY(tabTo(dialog, regs, true));
    QCOMPARE(index->text(), QStringLiteral("77"));
    QCOMPARE(regs->currentRow(), -1);
    // Choosing the register with the arrow keys does load it.
    QTest::keyClick(regs, Qt::Key_Down);
    QCOMPARE(regs->currentRow(), 0);
    QCOMPARE(index->text(), QStringLiteral("10"));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
