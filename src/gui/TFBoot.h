#pragma once

#include "AddressFieldChain.h"
#include "DialogBase.h"
#include "update/EchoTest.h"
#include "update/StartProgram.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QKeyEvent;

// The update dialog: where the device is (IP address or serial port) and what to update. Starts
// the external updater; over Ethernet only after the device has answered the echo test.
class TFBoot : public DialogBase
{
    Q_OBJECT
public:
    explicit TFBoot(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // 1: update over Ethernet (UDP); 0: over a serial port. Set before showing.
    int Form_Type = 1;
    // Outcome of the latest echo request: 0 none yet, 1 answered, 2 not answered.
    int ping_res = 0;

    void update_ComPort();
    // The echo test against the address in the four edits; true when the device answered.
    bool Send_Ping();
    void Btn_UpdateClick();
    // Writes the job file from the address edits, the update option and Read Back.
    void Compile_XML_Parameter();
    QString Update_Options(const QString &s_opt) const;

    // Limits of the echo test; tests shorten them.
    void setEchoLimits(const EchoTest::Limits &limits) { m_echoLimits = limits; }
    // How long an updater is waited for; the rest of the wait is fixed.
    void setLaunchWaitLimit(int ms) { m_launchWait.limitMs = ms; }
    // What the last start of an updater came to; nothing started yet counts as not started.
    StartProgramWait::Outcome lastLaunchOutcome() const { return m_lastLaunch; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void Btn_COM_ListClick();
    QString ipAddressText() const;
    void rememberOptions();
    void startUpdater(const QString &program, const QStringList &arguments);

    QWidget *P_Title = nullptr;
    QWidget *P_IP_Address = nullptr;
    QWidget *P_Serial = nullptr;
    QWidget *P_Options = nullptr;
    QWidget *P_Button = nullptr;
    QLabel *L_IP_Address = nullptr;
    QLineEdit *E_IP[4] = {};
    // A typed "." moves on through the four parts of the address.
    AddressFieldChain *m_addressChain = new AddressFieldChain(this);
    QLabel *L_COM_Port = nullptr;
    QComboBox *CB_COM_Port = nullptr;
    QPushButton *Btn_COM_List = nullptr;
    QLabel *L_Update_Option = nullptr;
    QComboBox *CB_Update_Options = nullptr;
    QCheckBox *CB_Update_Option_Read_Back = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_Update = nullptr;

    bool m_echoRunning = false;
    EchoTest::Limits m_echoLimits;
    StartProgramWait::Wait m_launchWait;
    StartProgramWait::Outcome m_lastLaunch = StartProgramWait::Outcome::NotStarted;
};
