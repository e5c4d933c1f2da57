#pragma once

#include "app/AppContext.h"

#include <QWidget>

class QAbstractButton;
class QLabel;
class QPushButton;
class QTimer;
class ClickableLabel;
class TFNew_Project;
class TFOpenConf;
class TFAbout;
class TFSoftOptions;
class TFParGen;
class TFDeviceNetNetwork;
class TFDefineModbusRegs;
class TFBoot;
class ConfigurationReportWriter;

// The main window: the configuration in use and the four steps.
class TFFabricoreFirmWare : public QWidget
{
    Q_OBJECT
public:
    // Runs the start-up sequence: folders, settings, language, remembered configuration.
    explicit TFFabricoreFirmWare(AppContext &context, QWidget *parent = nullptr);
    ~TFFabricoreFirmWare() override;

    struct Dialogs
    {
        TFNew_Project *newProject = nullptr;
        TFOpenConf *openConf = nullptr;
        TFAbout *about = nullptr;
        TFSoftOptions *softOptions = nullptr;
        TFParGen *parGen = nullptr;
        TFDeviceNetNetwork *deviceNet = nullptr;
        TFDefineModbusRegs *defineModbus = nullptr;
        TFBoot *boot = nullptr;
    };
    // Dialogs made elsewhere (a test's own) are used instead of making those; given before any is asked for.
    void setDialogs(const Dialogs &dialogs);

    // The dialogs, each made the first time it is asked for (a click on its button): the start makes and
    // shows this window only. Each is this window's child; once made, it follows the language as before.
    TFNew_Project *newProject();
    TFOpenConf *openConf();
    TFAbout *about();
    TFSoftOptions *softOptions();
    TFParGen *parGen();
    TFDeviceNetNetwork *deviceNet();
    TFDefineModbusRegs *defineModbus();
    TFBoot *boot();

    void Set_Lang();
    void Set_Files();
    void Save_Setting();
    void Change_Language();
    void Btn_Click(QAbstractButton *button);
    void Create_New_Project();
    void Open_Project();
    void Update_Device(int Type_Update);

    // The version check timer: runs exactly while both internet options are on.
    QTimer *timerUpdate() const { return Timer_Update; }
    void applyTimerState();
    void Timer_UpdateTimer();
    // First wait and the wait between checks, in milliseconds; tests shorten them.
    void setTimerIntervals(int firstMs, int repeatMs);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void layOut();
    void showConfigurationLabels();
    void showUpdateLink();
    // Qt's own texts in the language the catalog holds.
    void applyQtTranslation();
    QPushButton *makeStepButton(const QString &name, int x, int y);
    QPushButton *makeTopButton(const QString &name, int x);

    AppContext &m_ctx;
    Dialogs m_dialogs;
    QLabel *L_SW_Code;
    QLabel *L_SW_Desc;
    QLabel *LL_Update;
    QPushButton *Btn_Info;
    QPushButton *Btn_Opz;
    QPushButton *Btn_Close;
    QLabel *L_Begin;
    QLabel *Shape2;
    QLabel *L_Name_Conf;
    QLabel *L_Name_Conf_L2;
    QLabel *L_Step[4];
    QPushButton *Btn_New;
    QPushButton *Btn_Open;
    QPushButton *Btn_Prm_Gen;
    QPushButton *Btn_DeviceNet_Network;
    QPushButton *Btn_Define_Modbus;
    QPushButton *Btn_CreateBin;
    QPushButton *Btn_CreateBinSer;
    QPushButton *Btn_Monitor;
    QPushButton *Btn_Report;
    ConfigurationReportWriter *m_reportWriter;
    ClickableLabel *L_Korvane;
    QLabel *Shape1;
    QTimer *Timer_Update;
    int m_firstIntervalMs = 60000;
    int m_repeatIntervalMs = 7200000;
};
