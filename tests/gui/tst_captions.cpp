// Every caption of every window comes from its catalog entry, in English and after a switch to
// another shipped language: a control whose text is never set, or set from the wrong entry, fails.
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

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

// objectName -> catalog index. "" is the window's caption; "name#c" is header c of table name.
using CaptionTable = QList<QPair<QString, int>>;

CaptionTable mainWindowCaptions()
{
    return {{"L_Begin", 0},
            {"L_Step_1", 1},
            {"L_Step_2", 2},
            {"L_Step_3", 3},
            {"L_Step_4", 4},
            {"L_Name_Conf", 11},
            {"Btn_New", 15},
            {"Btn_Open", 16},
            {"Btn_CreateBin", 17},
            {"Btn_Prm_Gen", 20},
            {"Btn_DeviceNet_Network", 21},
            {"Btn_CreateBinSer", 22},
            {"Btn_Define_Modbus", 23}};
}

CaptionTable newProjectCaptions()
{
    return {{"", 100}, {"L_SW_Desc", 101}, {"L_New_Proj", 102}, {"Btn_OK", 103}, {"Btn_Cancel", 104}};
}

CaptionTable openConfCaptions()
{
    return {{"", 200}, {"L_SW_Desc", 201}, {"L_List", 202}, {"Btn_OK", 203}, {"Btn_Cancel", 204}};
}

CaptionTable softOptionsCaptions()
{
    return {{"", 300},
            {"L_SW_Desc", 301},
            {"TS_Language", 302},
            {"TS_Con_Options", 303},
            {"TS_Soft_Settings", 319},
            {"Btn_Prev", 307},
            {"Btn_Next", 308},
            {"CB_En_Con", 309},
            {"CB_Update", 310},
            {"Btn_Check_Update", 311},
            {"Btn_OK", 312},
            {"Btn_Cancel", 313},
            {"CB_Soft_Set_Jump_Table", 320},
            {"CB_DoubleClick_Auto_Size", 321}};
}

CaptionTable parGenCaptions()
{
    return {{"", 400},
            {"L_SW_Desc", 401},
            {"Btn_OK", 402},
            {"Btn_Cancel", 403},
            {"GB_DeviceNet_Master", 404},
            {"L_ID_DNET_Master", 405},
            {"L_Baud_DNET_Master", 406},
            {"L_DNET_Master_Interscan_Delay", 497},
            {"GB_Modbus_TCP_Slave", 407},
            {"L_IP", 408},
            {"L_SM", 409},
            {"CB_ModTCPs_EN_GAT", 410},
            {"L_PORT", 411},
            {"L_State_DN", 412}};
}

CaptionTable deviceNetCaptions()
{
    return {{"", 500},           {"L_SW_Desc", 501},   {"Btn_OK", 502},       {"Btn_Cancel", 503}, {"Btn_DelRow", 504},
            {"Btn_InsRow", 505}, {"Btn_CopyRow", 506}, {"Btn_PasteRow", 507}, {"sga#0", 508},      {"sga#1", 509},
            {"sga#2", 510},      {"sga#3", 511},       {"sga#4", 513}};
}

CaptionTable defineModbusCaptions()
{
    CaptionTable table{{"", 600},           {"L_SW_Desc", 601}, {"Btn_OK", 602},
                       {"Btn_Cancel", 603}, {"TS_Read", 604},   {"TS_Write", 605}};
    // The write page's captions follow the read page's, 15 entries later.
    const QStringList stems{"L_Slave_List_1_", "L_Slave_List_2_", "L_Reg_List_1_", "L_Reg_List_2_", "L_Editor_1_",
                            "L_Editor_2_",     "L_High_1_",       "L_High_2_",     "L_Low_1_",      "L_Low_2_",
                            "Btn_Create_",     "Btn_Modify_",     "Btn_Delete_",   "Btn_Copy_",     "Btn_Paste_"};
    for (int i = 0; i < stems.size(); ++i) {
        table.append({stems.at(i) + "Read", 606 + i});
        table.append({stems.at(i) + "Write", 621 + i});
    }
    return table;
}

CaptionTable bootCaptions()
{
    // Over Ethernet, the mode the dialog starts in.
    return {{"", 1002},           {"L_SW_Desc", 1003},       {"L_IP_Address", 1006},
            {"L_COM_Port", 1007}, {"L_Update_Option", 1014}, {"CB_Update_Option_Read_Back", 1018},
            {"Btn_Cancel", 1019}, {"Btn_Update", 1020}};
}

// The caption a control shows, or nothing when there is no such control.
std::optional<QString> captionOf(QWidget *window, const QString &name)
{
    if (name.isEmpty())
        return window->windowTitle();
    if (name.contains(QLatin1Char('#'))) {
        auto *table = window->findChild<QTableWidget *>(name.section(QLatin1Char('#'), 0, 0));
        const int col = name.section(QLatin1Char('#'), 1).toInt();
        if (!table || !table->horizontalHeaderItem(col))
            return std::nullopt;
        return table->horizontalHeaderItem(col)->text();
    }
    QWidget *w = window->findChild<QWidget *>(name);
    if (!w)
        return std::nullopt;
    if (auto *button = qobject_cast<QAbstractButton *>(w))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(w))
        return group->title();
    // A page: its caption is on its tab.
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(p); tabs && tabs->indexOf(w) >= 0)
            return tabs->tabText(tabs->indexOf(w));
    }
    return std::nullopt;
}

struct Program
{
    TestWorkspace ws;
    std::unique_ptr<AppWindows> windows;

    Program()
    {
        QDir().mkpath(ws.context.paths.LanguageFolder);
        const QDir shipped(QStringLiteral(SW_SOURCE_DIR "/lang"));
        for (const QString &f : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(f), joinPath(ws.context.paths.LanguageFolder, f));
        QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/Demo/bin"));
        AppSettings settings;
        settings.language = QStringLiteral("English");
        settings.projectname = QStringLiteral("Demo");
        settings.write(ws.context.settingsPath());
        windows = std::make_unique<AppWindows>(ws.context);
    }

    // As the options dialog does it: the catalog reloads, then every window puts its texts again.
    void switchTo(const QString &language)
    {
        ws.context.settings.language = language;
        ws.context.catalog.LoadLanguage(ws.context.settings.language, ws.context.paths.LanguageFolder);
        windows->mainWindow()->Change_Language();
        // The update dialog and About put their texts when shown.
        windows->boot()->Set_Lang();
        windows->about()->Set_Lang();
    }

    QList<QPair<QWidget *, CaptionTable>> tables() const
    {
        return {{windows->mainWindow(), mainWindowCaptions()},
                {windows->newProject(), newProjectCaptions()},
                {windows->openConf(), openConfCaptions()},
                {windows->softOptions(), softOptionsCaptions()},
                {windows->parGen(), parGenCaptions()},
                {windows->deviceNet(), deviceNetCaptions()},
                {windows->defineModbus(), defineModbusCaptions()},
                {windows->boot(), bootCaptions()}};
    }

    QStringList wrongCaptions() const
    {
        QStringList wrong;
        for (const auto &[window, table] : tables()) {
            for (const auto &[name, index] : table) {
                const std::optional<QString> caption = captionOf(window, name);
                const QString expected = ws.context.text(index);
                if (!caption)
                    wrong.append(window->objectName() + QLatin1Char('/') + name + QStringLiteral(": no such control"));
                else if (*caption != expected)
                    wrong.append(QStringLiteral("%1/%2: \"%3\" instead of text %4 \"%5\"")
                                     .arg(window->objectName(), name, *caption)
                                     .arg(index)
                                     .arg(expected));
            }
        }
        return wrong;
    }
};

} // namespace

class TestCaptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyCaptionFromItsEntry_data();
    void everyCaptionFromItsEntry();
};

void TestCaptions::everyCaptionFromItsEntry_data()
{
    QTest::addColumn<QString>("language");
    // A dialog is made the first time it is opened: one opened before the switch is relabelled, one first
    // opened after it takes the new texts when it is made.
    QTest::addColumn<bool>("openedBefore");
    QTest::newRow("English") << "English" << false;
    QTest::newRow("Deutsch, dialogs opened before the switch") << "Deutsch" << true;
    QTest::newRow("Deutsch, dialogs first opened after the switch") << "Deutsch" << false;
}

void TestCaptions::everyCaptionFromItsEntry()
{
    QFETCH(QString, language);
    QFETCH(bool, openedBefore);
    Program program;
    if (openedBefore)
        program.tables();
    if (language != QLatin1String("English")) {
        program.switchTo(language);
        // The language really changed, so that a caption left in English would be noticed.
        QVERIFY(program.ws.context.text(500) != TextCatalog::defaultText(500));
    }
    const QStringList wrong = program.wrongCaptions();
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestCaptions)
#include "tst_captions.moc"
