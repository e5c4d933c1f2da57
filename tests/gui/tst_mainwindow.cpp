#include "AppWindows.h"
#include "ModalHelper.h"
#include "TFFabricoreFirmWare.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TestFiles.h"
#include "TestWorkspace.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

// Drives the main window and the new/open dialogs as a user does, in a throw-away program folder.
class TestMainWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstStartInEmptyFolder();
    void projectStepsNeedAConfiguration_data();
    void projectStepsNeedAConfiguration();
    void closingWritesSettings_data();
    void closingWritesSettings();
    void rememberedConfigurationComesBack();
    void rememberedConfigurationWasDeleted();
    void unwritableSettingsAreReportedOnClose();
    void closingWithoutChangeLeavesSettingsFile();
    void controlsAtTheirPlaces();
    void buttonsShowTheirPictures_data();
    void buttonsShowTheirPictures();
    void createConfiguration();
    void createRefusals_data();
    void createRefusals();
    void openDialogListsAndPreselects_data();
    void openDialogListsAndPreselects();
    void openWithEmptyProjectsLeavesNoneActive();
    void openDialogListsOnlyPlainFolders();
    void rememberedNamesLeadingOutAreNotUsed();
    void languageFileAppliesAtStart();
    void longConfigurationNameIsElided_data();
    void longConfigurationNameIsElided();

private:
    static QString labelText(QWidget *w, const char *name) { return w->findChild<QLabel *>(name)->text(); }
    static void click(QWidget *w, const char *name)
    {
        QTest::mouseClick(w->findChild<QPushButton *>(name), Qt::LeftButton);
    }
    // Types a name into the new-configuration dialog and presses OK (or Enter).
    static void createVia(AppWindows &windows, const QString &name, bool withEnter = false);
};

void TestMainWindow::createVia(AppWindows &windows, const QString &name, bool withEnter)
{
    whenModal([name, withEnter](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>("E_New_Proj");
        QTest::keyClicks(edit, name);
        if (withEnter)
            QTest::keyClick(edit, Qt::Key_Return);
        else
            click(dialog, "Btn_OK");
        if (dialog->isVisible()) // refused: leave as a user would
            click(dialog, "Btn_Cancel");
    });
    click(windows.mainWindow(), "Btn_New");
}

void TestMainWindow::firstStartInEmptyFolder()
{
    TestWorkspace ws;
    AppWindows windows(ws.context);
    for (const char *folder : {"MASTER", "PROJECTS", "LANGUAGE"})
        QVERIFY2(QFileInfo(ws.path(folder)).isDir(), folder);
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf_L2"),
             QStringLiteral("Use Step1 to open or create new configuration"));
    QCOMPARE(windows.mainWindow()->windowTitle(),
             QStringLiteral("Korvane - Configurator SW40917 - DeviceNet Master / Modbus TCP Slave "));
    QCOMPARE(windows.mainWindow()->findChild<QPushButton *>("Btn_Prm_Gen")->text(),
             QStringLiteral("Set Communication"));
    QVERIFY(!ws.context.paths.hasActiveProject());
    QVERIFY(!windows.mainWindow()->timerUpdate()->isActive());
}

void TestMainWindow::projectStepsNeedAConfiguration_data()
{
    QTest::addColumn<QString>("button");
    for (const char *b :
         {"Btn_Prm_Gen", "Btn_DeviceNet_Network", "Btn_Define_Modbus", "Btn_CreateBin", "Btn_CreateBinSer"})
        QTest::newRow(b) << QString::fromLatin1(b);
}

void TestMainWindow::projectStepsNeedAConfiguration()
{
    QFETCH(QString, button);
    TestWorkspace ws;
    AppWindows windows(ws.context);
    QTest::mouseClick(windows.mainWindow()->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(ws.messages.count(), 1);
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(ws.messages.last(), QStringLiteral("Error! Project not Valid"));
    QVERIFY(!QFileInfo::exists(ws.path("PROJECTS/bin")));
}

void TestMainWindow::closingWritesSettings_data()
{
    QTest::addColumn<bool>("withButton");
    QTest::newRow("Close button") << true;
    QTest::newRow("close box") << false;
}

void TestMainWindow::closingWritesSettings()
{
    QFETCH(bool, withButton);
    TestWorkspace ws;
    AppWindows windows(ws.context);
    windows.mainWindow()->show();
    ws.context.settings.ipaddress = QStringLiteral("127.0.0.9");
    if (withButton)
        click(windows.mainWindow(), "Btn_Close");
    else
        windows.mainWindow()->close();
    QVERIFY(!windows.mainWindow()->isVisible());
    const AppSettings stored = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(stored.ipaddress, QStringLiteral("127.0.0.9"));
    QCOMPARE(stored.language, QStringLiteral("English"));
}

void TestMainWindow::rememberedConfigurationComesBack()
{
    TestWorkspace ws;
    {
        AppWindows windows(ws.context);
        createVia(windows, QStringLiteral("Test"));
        windows.mainWindow()->close();
    }
    TestWorkspace::writeFile(ws.path("unused"), "");
    AppContext second;
    second.messages = &ws.messages;
    second.paths.setProgramFolder(ws.dir.path());
    AppWindows again(second);
    QVERIFY(second.paths.hasActiveProject());
    QCOMPARE(second.paths.ProjectName, QStringLiteral("Test"));
    QCOMPARE(labelText(again.mainWindow(), "L_Name_Conf"), QStringLiteral("Opened Configuration of the Converter : "));
    QCOMPARE(labelText(again.mainWindow(), "L_Name_Conf_L2"), QStringLiteral("Test"));
    // The open dialog preselects it.
    again.openConf()->show();
    QCOMPARE(again.openConf()->findChild<QListWidget *>("ListBox1")->currentItem()->text(), QStringLiteral("Test"));
    QCOMPARE(again.openConf()->Name_Conf, QStringLiteral("Test"));
}

void TestMainWindow::rememberedConfigurationWasDeleted()
{
    TestWorkspace ws;
    AppSettings s;
    s.projectname = QStringLiteral("Gone");
    s.write(ws.path("Fabricor.xml"));
    AppWindows windows(ws.context);
    QVERIFY(!ws.context.paths.hasActiveProject());
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    click(windows.mainWindow(), "Btn_DeviceNet_Network");
    QCOMPARE(ws.messages.last(), QStringLiteral("Error! Project not Valid"));
    windows.mainWindow()->close();
    QCOMPARE(AppSettings::read(ws.path("Fabricor.xml")).projectname, QStringLiteral("Gone"));
}

void TestMainWindow::unwritableSettingsAreReportedOnClose()
{
    TestWorkspace ws;
    QDir(ws.dir.path()).mkdir("Fabricor.xml");
    AppWindows windows(ws.context);
    windows.mainWindow()->show();
    windows.mainWindow()->close();
    QVERIFY(!windows.mainWindow()->isVisible());
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QVERIFY2(ws.messages.last().contains("Fabricor.xml"), qPrintable(ws.messages.last()));
}

void TestMainWindow::closingWithoutChangeLeavesSettingsFile()
{
    TestWorkspace ws;
    AppSettings settings;
    settings.ipaddress = QStringLiteral("127.0.0.9");
    settings.write(ws.path("Fabricor.xml"));
    const QByteArray before = TestWorkspace::readFile(ws.path("Fabricor.xml"));
    QFile file(ws.path("Fabricor.xml"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    {
        AppWindows windows(ws.context);
        windows.mainWindow()->show();
        windows.mainWindow()->close();
    }
    // Nothing changed: the file is not written again (the same bytes, the same time).
    QCOMPARE(TestWorkspace::readFile(ws.path("Fabricor.xml")), before);
    QCOMPARE(QFileInfo(ws.path("Fabricor.xml")).fileTime(QFileDevice::FileModificationTime).toUTC(), old);
    QCOMPARE(ws.messages.count(), 0);
}

void TestMainWindow::controlsAtTheirPlaces()
{
    TestWorkspace ws;
    AppWindows windows(ws.context);
    QWidget *w = windows.mainWindow();
    QCOMPARE(w->size(), QSize(694, 396));
    struct Place
    {
        const char *name;
        QRect rect;
    };
    const Place places[] = {
        {"Btn_Info", QRect(516, 8, 50, 50)},
        {"Btn_Opz", QRect(574, 8, 50, 50)},
        {"Btn_Close", QRect(632, 8, 50, 50)},
        {"Btn_New", QRect(80, 112, 170, 36)},
        {"Btn_Open", QRect(258, 112, 170, 36)},
        {"Btn_Prm_Gen", QRect(80, 156, 170, 36)},
        {"Btn_DeviceNet_Network", QRect(80, 200, 170, 36)},
        {"Btn_Define_Modbus", QRect(258, 200, 170, 36)},
        {"Btn_CreateBin", QRect(80, 244, 170, 36)},
        {"Btn_CreateBinSer", QRect(258, 244, 170, 36)},
        {"Shape2", QRect(80, 70, 348, 36)},
        {"Shape1", QRect(10, 295, 674, 1)},
    };
    for (const Place &p : places)
        QCOMPARE(w->findChild<QWidget *>(p.name)->geometry(), p.rect);
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(w->findChild<QWidget *>(QStringLiteral("L_Step_%1").arg(i))->pos(),
                 QPoint(16, 112 + 44 * (i - 1) + 16));
    QCOMPARE(w->findChild<QWidget *>("L_Korvane")->pos(), QPoint(565, 260));
    QVERIFY(!w->findChild<QWidget *>("LL_Update")->isVisibleTo(w));
    QCOMPARE(w->findChild<QWidget *>("Btn_Opz")->toolTip(), QStringLiteral("Options"));
}

void TestMainWindow::buttonsShowTheirPictures_data()
{
    QTest::addColumn<QString>("button");
    for (const char *b : {"Btn_Info", "Btn_Opz", "Btn_Close", "Btn_New", "Btn_Open", "Btn_Prm_Gen",
                          "Btn_DeviceNet_Network", "Btn_Define_Modbus", "Btn_CreateBin", "Btn_CreateBinSer",
                          "Btn_Monitor", "Btn_Report"})
        QTest::newRow(b) << QString::fromLatin1(b);
}

// Every button shows its picture in colour while it can be used, and greyed while it cannot.
void TestMainWindow::buttonsShowTheirPictures()
{
    QFETCH(QString, button);
    TestWorkspace ws;
    AppWindows windows(ws.context);
    auto *b = windows.mainWindow()->findChild<QPushButton *>(button);
    QVERIFY(b);
    const auto colouredPixels = [b] {
        const QImage image = b->grab().toImage();
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y).hsvSaturation() > 60)
                    ++coloured;
            }
        }
        return coloured;
    };
    b->setEnabled(true);
    QVERIFY2(colouredPixels() > b->iconSize().width(), "no picture in colour");
    b->setEnabled(false);
    QCOMPARE(colouredPixels(), 0);
}

void TestMainWindow::createConfiguration()
{
    TestWorkspace ws;
    AppWindows windows(ws.context);
    createVia(windows, QStringLiteral(" Test"), true);
    QVERIFY(ws.messages.texts().isEmpty());
    QVERIFY(QFileInfo(ws.path("PROJECTS/ Test/bin")).isDir());
    QCOMPARE(ws.context.paths.ProjectName, QStringLiteral(" Test"));
    QCOMPARE(ws.context.paths.ParGenPath, joinPath(joinPath(ws.context.paths.ProjectsFolder, " Test"), "ParGen.xml"));
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf_L2"), QStringLiteral(" Test"));
    // Nothing is written into the new folder until an editor saves.
    QCOMPARE(QDir(ws.path("PROJECTS/ Test")).entryList(QDir::Files).size(), 0);
}

void TestMainWindow::createRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << ""
                           << "Error! Name Project is not valid";
    QTest::newRow("exists") << "Plant"
                            << "Error! Name project is not valid because directory already exists";
    QTest::newRow("exists in other case") << "PLANT"
                                          << "Error! Name project is not valid because directory already exists";
    QTest::newRow("climbs out") << "../Outside"
                                << "Error! Name project is not valid";
    QTest::newRow("sub-folder") << "a/b"
                                << "Error! Name project is not valid";
    QTest::newRow("two points") << ".."
                                << "Error! Name project is not valid";
    QTest::newRow("Windows character") << "a:b"
                                       << "Error! Name project is not valid";
}

void TestMainWindow::createRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestWorkspace ws;
    QDir(ws.dir.path()).mkpath("PROJECTS/Plant");
    AppWindows windows(ws.context);
    const QStringList before = QDir(ws.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    createVia(windows, name);
    QCOMPARE(ws.messages.texts(), QStringList{message});
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QVERIFY(!ws.context.paths.hasActiveProject());
    QCOMPARE(QDir(ws.path("PROJECTS")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Plant"});
    QCOMPARE(QDir(ws.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestMainWindow::openDialogListsAndPreselects_data()
{
    QTest::addColumn<bool>("enter");
    QTest::newRow("OK") << false;
    QTest::newRow("Enter on the list") << true;
}

void TestMainWindow::openDialogListsAndPreselects()
{
    QFETCH(bool, enter);
    TestWorkspace ws;
    for (const char *name : {"beta", "Alpha", "gamma", "Delta"})
        QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/") + name);
    TestWorkspace::writeFile(ws.path("PROJECTS/afile.xml"), "x");
    AppSettings s;
    s.projectname = QStringLiteral("GAMMA"); // the folder is "gamma": found ignoring case
    s.write(ws.path("Fabricor.xml"));
    AppWindows windows(ws.context);
    whenModal([enter](QWidget *dialog) {
        auto *list = dialog->findChild<QListWidget *>("ListBox1");
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, (QStringList{"Alpha", "beta", "Delta", "gamma"}));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("gamma"));
        list->setCurrentRow(1);
        if (enter) {
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            click(dialog, "Btn_OK");
        }
    });
    click(windows.mainWindow(), "Btn_Open");
    QCOMPARE(ws.context.paths.ProjectName, QStringLiteral("beta"));
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf_L2"), QStringLiteral("beta"));
    QVERIFY(ws.context.paths.DnetNetPath.endsWith(QStringLiteral("beta") + QDir::separator() + "DNET_Net.xml"));
}

void TestMainWindow::openWithEmptyProjectsLeavesNoneActive()
{
    TestWorkspace ws;
    QDir(ws.dir.path()).mkpath("PROJECTS/Old");
    AppSettings s;
    s.projectname = QStringLiteral("Old");
    s.write(ws.path("Fabricor.xml"));
    AppWindows windows(ws.context);
    QVERIFY(ws.context.paths.hasActiveProject());
    QDir(ws.path("PROJECTS/Old")).removeRecursively();
    whenModal([](QWidget *dialog) { click(dialog, "Btn_OK"); });
    click(windows.mainWindow(), "Btn_Open");
    QVERIFY(!ws.context.paths.hasActiveProject());
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf"), QStringLiteral("None Configuration Opened "));
    QCOMPARE(labelText(windows.mainWindow(), "L_Name_Conf_L2"),
             QStringLiteral("Use Step1 to open or create new configuration"));
}

void TestMainWindow::openDialogListsOnlyPlainFolders()
{
    TestWorkspace ws;
    // Windows makes none of the other folders (it refuses the characters and drops a trailing dot).
    const QStringList names =
        Portable::IsWindows ? QStringList{"Good"} : QStringList{"Good", "x\"y", "tab\there", "dot.", "line\nbreak"};
    for (const QString &name : names)
        QVERIFY(QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/") + name));
    QVERIFY(QDir(ws.dir.path()).mkpath("victimdir"));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(ws.path("victimdir"), ws.path("PROJECTS/Outside")));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(ws.path("PROJECTS/Good"), ws.path("PROJECTS/Inside")));
    AppWindows windows(ws.context);
    windows.openConf()->show();
    auto *list = windows.openConf()->findChild<QListWidget *>("ListBox1");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, QStringList{"Good"});
}

void TestMainWindow::rememberedNamesLeadingOutAreNotUsed()
{
    TestWorkspace ws;
    QVERIFY(QDir(ws.dir.path()).mkpath("PROJECTS"));
    QVERIFY(QDir(ws.dir.path()).mkpath("victimdir/bin"));
    QVERIFY(QDir(ws.dir.path()).mkpath("LANGUAGE"));
    QVERIFY(QDir(ws.dir.path()).mkpath("langdir"));
    TestWorkspace::writeFile(ws.path("langdir/evil.lng"), "STR15 = Evil\n");
    AppSettings s;
    s.projectname = QStringLiteral("../victimdir");
    s.language = QStringLiteral("../langdir/evil");
    s.write(ws.path("Fabricor.xml"));
    AppWindows windows(ws.context);
    QVERIFY(!ws.context.paths.hasActiveProject());
    QCOMPARE(ws.context.settings.language, QStringLiteral("English"));
    QCOMPARE(windows.mainWindow()->findChild<QPushButton *>("Btn_New")->text(), QStringLiteral("New Configuration"));
    QCOMPARE(ws.messages.count(), 0);
}

void TestMainWindow::languageFileAppliesAtStart()
{
    TestWorkspace ws;
    QDir(ws.dir.path()).mkpath("LANGUAGE");
    TestWorkspace::writeFile(ws.path("LANGUAGE/Test.lng"),
                             "\xEF\xBB\xBFSTR15 = Neu\r\nSTR100 = Neue Konfiguration\r\n");
    AppSettings s;
    s.language = QStringLiteral("Test");
    s.write(ws.path("Fabricor.xml"));
    AppWindows windows(ws.context);
    QCOMPARE(windows.mainWindow()->findChild<QPushButton *>("Btn_New")->text(), QStringLiteral("Neu"));
    // The dialog is made when its button is first clicked, with the texts of the language in use.
    QString title;
    whenModal([&title](QWidget *dialog) { title = dialog->windowTitle(); });
    click(windows.mainWindow(), "Btn_New");
    QCOMPARE(title, QStringLiteral("Neue Konfiguration"));
    QCOMPARE(windows.mainWindow()->findChild<QPushButton *>("Btn_Open")->text(), QStringLiteral("Open Configuration"));
}

void TestMainWindow::longConfigurationNameIsElided_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("elided");
    QTest::newRow("short") << "Plant" << false;
    QTest::newRow("255 characters") << QString(255, QLatin1Char('W')) << true;
}

void TestMainWindow::longConfigurationNameIsElided()
{
    QFETCH(QString, name);
    QFETCH(bool, elided);
    TestWorkspace ws;
    QVERIFY(QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/") + name));
    AppSettings settings;
    settings.projectname = name;
    settings.write(ws.context.settingsPath());
    AppWindows windows(ws.context);
    auto *label = windows.mainWindow()->findChild<QLabel *>("L_Name_Conf_L2");
    // Whatever is shown fits its frame; a shortened name says so and the tooltip holds all of it.
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    // The list of the open dialog shortens it by itself; its tooltip then holds the whole name.
    windows.openConf()->show();
    const QListWidgetItem *item = windows.openConf()->findChild<QListWidget *>("ListBox1")->item(0);
    QCOMPARE(item->text(), name);
    QCOMPARE(item->toolTip(), elided ? name : QString());
    windows.openConf()->hide();
    if (!elided) {
        QCOMPARE(label->text(), name);
        QCOMPARE(label->toolTip(), QString());
        return;
    }
    QVERIFY2(label->text().endsWith(QChar(0x2026)), qPrintable(label->text()));
    QVERIFY(name.startsWith(label->text().chopped(1)));
    QCOMPARE(label->toolTip(), name);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
