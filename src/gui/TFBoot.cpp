#include "TFBoot.h"

#include "Accessibility.h"
#include "ButtonIcons.h"
#include "UserInputDiscarder.h"
#include "base/SplitIpAddress.h"
#include "update/EchoTest.h"
#include "update/UpdateJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <QThread>

namespace {
constexpr int ClientWidth = 449;
constexpr int TitleHeight = 69;
constexpr int AddressHeight = 49;
constexpr int SerialHeight = 51;
constexpr int OptionsHeight = 72;
constexpr int ButtonHeight = 40;

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

QWidget *makePanel(QWidget *parent, const QString &name, int height)
{
    auto *panel = new QWidget(parent);
    panel->setObjectName(name);
    panel->resize(ClientWidth, height);
    return panel;
}

} // namespace

TFBoot::TFBoot(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFBoot"));
    m_launchWait.nowMs = monotonicMs;
    // The windows repaint while an updater runs, so the desktop does not take the program for
    // hung; the input that arrives meanwhile is delivered here and thrown away (startUpdater).
    m_launchWait.pause = [](int ms) {
        QThread::msleep(ulong(ms));
        QCoreApplication::processEvents();
    };
    FormCreate();
    Set_Lang();
}

void TFBoot::FormCreate()
{
    P_Title = makeTitleBand(ClientWidth);

    P_IP_Address = makePanel(this, QStringLiteral("P_IP_Address"), AddressHeight);
    L_IP_Address = makeLabel(P_IP_Address, QStringLiteral("L_IP_Address"), QRect(16, 4, 400, 16));
    for (int i = 0; i < 4; ++i) {
        E_IP[i] = new QLineEdit(QStringLiteral("0"), P_IP_Address);
        E_IP[i]->setObjectName(QStringLiteral("E_IP%1").arg(i + 1));
        E_IP[i]->setGeometry(16 + i * 52, 22, 41, 21);
        m_addressChain->append(E_IP[i]);
        if (i < 3) {
            QLabel *point =
                makeLabel(P_IP_Address, QStringLiteral("L_Point%1").arg(i + 1), QRect(16 + i * 52 + 44, 22, 6, 21));
            point->setText(QStringLiteral("."));
        }
    }

    P_Serial = makePanel(this, QStringLiteral("P_Serial"), SerialHeight);
    L_COM_Port = makeLabel(P_Serial, QStringLiteral("L_COM_Port"), QRect(16, 4, 400, 16));
    CB_COM_Port = new QComboBox(P_Serial);
    CB_COM_Port->setObjectName(QStringLiteral("CB_COM_Port"));
    CB_COM_Port->setEditable(false);
    CB_COM_Port->setGeometry(16, 22, 180, 22);
    Btn_COM_List = makeButton(P_Serial, QStringLiteral("Btn_COM_List"), QRect(202, 20, 26, 26));
    Btn_COM_List->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Refresh));
    onClick(Btn_COM_List, [this] { Btn_COM_ListClick(); });

    P_Options = makePanel(this, QStringLiteral("P_Options"), OptionsHeight);
    L_Update_Option = makeLabel(P_Options, QStringLiteral("L_Update_Option"), QRect(16, 4, 400, 16));
    CB_Update_Options = new QComboBox(P_Options);
    CB_Update_Options->setObjectName(QStringLiteral("CB_Update_Options"));
    CB_Update_Options->setEditable(false);
    CB_Update_Options->setGeometry(16, 22, 212, 22);
    CB_Update_Option_Read_Back = new QCheckBox(P_Options);
    CB_Update_Option_Read_Back->setObjectName(QStringLiteral("CB_Update_Option_Read_Back"));
    CB_Update_Option_Read_Back->setGeometry(16, 48, 300, 18);

    P_Button = makePanel(this, QStringLiteral("P_Button"), ButtonHeight);
    Btn_Cancel = makeButton(P_Button, QStringLiteral("Btn_Cancel"), QRect(16, 6, 120, 28));
    Btn_Cancel->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Cancel));
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    Btn_Update = makeButton(P_Button, QStringLiteral("Btn_Update"), QRect(243, 6, 190, 28));
    Btn_Update->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Update));
    onClick(Btn_Update, [this] { Btn_UpdateClick(); });

    // Names read by assistive technology.
    Accessibility::setRowCaption({E_IP[0], E_IP[1], E_IP[2], E_IP[3]}, L_IP_Address);
    L_COM_Port->setBuddy(CB_COM_Port);
    L_Update_Option->setBuddy(CB_Update_Options);
}

void TFBoot::Set_Lang()
{
    const bool ethernet = Form_Type == 1;
    setWindowTitle(text(ethernet ? 1002 : 1000));
    titleDescription()->setText(text(ethernet ? 1003 : 1001));
    L_IP_Address->setText(text(1006));
    L_COM_Port->setText(text(1007));
    L_Update_Option->setText(text(1014));
    CB_Update_Options->clear();
    CB_Update_Options->addItems({text(1015), text(1016), text(1017)});
    CB_Update_Options->setCurrentIndex(0);
    CB_Update_Option_Read_Back->setText(text(1018));
    Btn_Cancel->setText(text(1019));
    Btn_Update->setText(text(1020));
    for (int i = 0; i < 4; ++i)
        E_IP[i]->setToolTip(text(1021 + i));
    CB_COM_Port->setToolTip(text(1025));
    Btn_COM_List->setToolTip(text(1027));
    CB_Update_Options->setToolTip(text(1032));
    CB_Update_Option_Read_Back->setToolTip(text(1033));
    Btn_Cancel->setToolTip(text(1034));
    Btn_Update->setToolTip(text(1035));
}

void TFBoot::showEvent(QShowEvent *event)
{
    // A window restored from the task bar is shown again by the system; that is no new showing.
    if (!event->spontaneous())
        FormShow();
    DialogBase::showEvent(event);
}

void TFBoot::FormShow()
{
    Set_Lang();
    titleCode()->setText(Product::SoftwareCode);

    P_IP_Address->hide();
    P_Serial->hide();
    P_Options->hide();

    const bool ethernet = Form_Type == 1;
    QWidget *place = ethernet ? P_IP_Address : P_Serial;
    place->move(0, TitleHeight);
    P_Options->move(0, TitleHeight + place->height());
    P_Button->move(0, TitleHeight + place->height() + OptionsHeight);
    place->show();
    P_Options->show();
    setFixedClientSize(ClientWidth, TitleHeight + place->height() + OptionsHeight + ButtonHeight);

    // Tab order follows the panels from top to bottom.
    QList<QWidget *> chain;
    if (ethernet)
        chain = {E_IP[0], E_IP[1], E_IP[2], E_IP[3]};
    else
        chain = {CB_COM_Port, Btn_COM_List};
    chain << CB_Update_Options << CB_Update_Option_Read_Back << Btn_Cancel << Btn_Update;
    for (int i = 0; i + 1 < chain.size(); ++i)
        setTabOrder(chain.at(i), chain.at(i + 1));

    if (ethernet) {
        const QString last = m_ctx.settings.ipaddress;
        QString parts[4];
        if (!last.isEmpty() && SplitIpAddress(last, parts[0], parts[1], parts[2], parts[3])) {
            for (int i = 0; i < 4; ++i)
                E_IP[i]->setText(parts[i]);
        }
    }
    CB_Update_Options->setCurrentIndex(m_ctx.LastUpdateOption);
    CB_Update_Option_Read_Back->setChecked(m_ctx.LastReadBack);
    if (!ethernet)
        update_ComPort();

    QWidget *first = ethernet ? static_cast<QWidget *>(E_IP[0]) : CB_COM_Port;
    if (first->isEnabled())
        first->setFocus();

    centreOnScreen();
}

void TFBoot::update_ComPort()
{
    CB_COM_Port->clear();
    if (m_ctx.platform.serialPorts)
        CB_COM_Port->addItems(m_ctx.platform.serialPorts->portNames());
    CB_COM_Port->setCurrentIndex(CB_COM_Port->count() > 0 ? 0 : -1);
}

void TFBoot::Btn_COM_ListClick()
{
    update_ComPort();
}

QString TFBoot::ipAddressText() const
{
    return E_IP[0]->text() + QLatin1Char('.') + E_IP[1]->text() + QLatin1Char('.') + E_IP[2]->text() +
           QLatin1Char('.') + E_IP[3]->text();
}

bool TFBoot::Send_Ping()
{
    if (!m_ctx.platform.echo) {
        ping_res = EchoTest::NoReplyYet;
        return false;
    }
    EchoTest::Clock clock;
    clock.nowMs = monotonicMs;
    // The window stays alive between two requests; its input is thrown away (Btn_UpdateClick).
    clock.pause = [](int ms) {
        QThread::msleep(ulong(ms));
        QCoreApplication::processEvents();
    };
    return EchoTest::run(*m_ctx.platform.echo, ipAddressText(), ping_res, clock, m_echoLimits).answered;
}

QString TFBoot::Update_Options(const QString &s_opt) const
{
    return UpdateJob::Update_Options(s_opt, CB_Update_Options->currentIndex(), CB_Update_Option_Read_Back->isChecked());
}

void TFBoot::Compile_XML_Parameter()
{
    UpdateJob::writeJobFile(m_ctx.paths, ipAddressText(), CB_Update_Options->currentIndex(),
                            CB_Update_Option_Read_Back->isChecked());
}

void TFBoot::rememberOptions()
{
    m_ctx.LastUpdateOption = CB_Update_Options->currentIndex();
    m_ctx.LastReadBack = CB_Update_Option_Read_Back->isChecked();
}

void TFBoot::startUpdater(const QString &program, const QStringList &arguments)
{
    m_lastLaunch = StartProgramWait::Outcome::NotStarted;
    if (!m_ctx.platform.launcher)
        return;
    {
        // A click or key made while the updater runs must never act afterwards, least of all start
        // a second update.
        UserInputDiscarder discard;
        m_lastLaunch = Start_Program(*m_ctx.platform.launcher, program, arguments, false, m_launchWait);
    }
    // Ended or still running: the dialog goes on the same way in both cases.
    if (m_lastLaunch == StartProgramWait::Outcome::NotStarted)
        messages().error(UpdateJob::notStartedMessage(m_ctx.paths, program, m_ctx.catalog));
}

void TFBoot::Btn_UpdateClick()
{
    if (Form_Type != 1) {
        // The serial updater needs a port: with none it would be started to no purpose.
        if (CB_COM_Port->currentIndex() < 0 || CB_COM_Port->currentText().isEmpty()) {
            messages().error(text(1256));
            return;
        }
        rememberOptions();
        const QStringList arguments =
            UpdateJob::serialArguments(m_ctx.paths, CB_COM_Port->currentText(), CB_Update_Options->currentIndex(),
                                       CB_Update_Option_Read_Back->isChecked());
        startUpdater(UpdateJob::serialUpdaterPath(m_ctx.paths), arguments);
        return;
    }

    // The echo test keeps the window alive, so the button can be pressed again while it runs.
    if (m_echoRunning)
        return;
    bool answered = false;
    {
        QScopedValueRollback<bool> running(m_echoRunning, true);
        // What was tested is what the job file names: address and options stay fixed meanwhile.
        P_IP_Address->setEnabled(false);
        P_Options->setEnabled(false);
        UserInputDiscarder discard;
        answered = Send_Ping();
        P_IP_Address->setEnabled(true);
        P_Options->setEnabled(true);
    }
    // Closed while the test ran: the user no longer wants this update.
    if (!isVisible())
        return;
    if (!answered) {
        if (ping_res == EchoTest::NotAnswered)
            messages().warning(text(1036));
        else
            messages().error(text(1037));
        return;
    }
    m_ctx.settings.ipaddress = ipAddressText();
    rememberOptions();
    Compile_XML_Parameter();
    startUpdater(UpdateJob::ethernetUpdaterPath(m_ctx.paths), QStringList());
}
