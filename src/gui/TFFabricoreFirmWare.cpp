#include "TFFabricoreFirmWare.h"

#include "Accessibility.h"
#include "ButtonIcons.h"
#include "ClickableLabel.h"
#include "ConfigurationReportWriter.h"
#include "DialogBase.h"
#include "ErrorReport.h"
#include "QtTranslations.h"
#include "TFAbout.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFMonitor.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"
#include "base/AppError.h"
#include "base/ProductIdentity.h"
#include "image/CompileDriver.h"
#include "text/VersionCheck.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr int StepButtonWidth = 170;
constexpr int StepButtonHeight = 36;
constexpr int Step4Top = 244;

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}
} // namespace

TFFabricoreFirmWare::TFFabricoreFirmWare(AppContext &context, QWidget *parent)
    : QWidget(parent)
    , m_ctx(context)
{
    setObjectName(QStringLiteral("TFFabricoreFirmWare"));
    // Before any interface of this window exists: it is exposed as a window, not a plain area.
    Accessibility::exposeWindows();
    FormCreate();
}

TFFabricoreFirmWare::~TFFabricoreFirmWare() = default;

QPushButton *TFFabricoreFirmWare::makeStepButton(const QString &name, int x, int y)
{
    auto *button = new QPushButton(this);
    button->setObjectName(name);
    button->setGeometry(x, y, StepButtonWidth, StepButtonHeight);
    button->setIconSize(QSize(20, 20));
    connect(button, &QPushButton::clicked, this,
            ErrorReport::guarded(m_ctx.messages, [this, button] { Btn_Click(button); }));
    return button;
}

QPushButton *TFFabricoreFirmWare::makeTopButton(const QString &name, int x)
{
    auto *button = makeStepButton(name, x, 8);
    button->resize(50, 50);
    button->setIconSize(QSize(32, 32));
    return button;
}

void TFFabricoreFirmWare::layOut()
{
    DialogBase::applyLook(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Colours through the palette: a style sheet would bring the style-sheet machinery to the start for
    // a grey text and two silver lines.
    const QColor grey(128, 128, 128);
    const QColor silver(192, 192, 192);

    L_SW_Code = new QLabel(this);
    L_SW_Code->setObjectName(QStringLiteral("L_SW_Code"));
    QFont codeFont = font();
    codeFont.setPixelSize(32);
    L_SW_Code->setFont(codeFont);
    setColour(L_SW_Code, QPalette::WindowText, grey);
    L_SW_Code->move(16, 8);

    QFont bold = font();
    bold.setBold(true);
    L_SW_Desc = new QLabel(this);
    L_SW_Desc->setObjectName(QStringLiteral("L_SW_Desc"));
    L_SW_Desc->setFont(bold);
    setColour(L_SW_Desc, QPalette::WindowText, grey);
    L_SW_Desc->move(16, 42);

    LL_Update = new QLabel(this);
    LL_Update->setObjectName(QStringLiteral("LL_Update"));
    LL_Update->setGeometry(208, 19, 300, 18);
    LL_Update->setTextFormat(Qt::RichText);
    LL_Update->setWordWrap(true);
    LL_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    LL_Update->setOpenExternalLinks(false);
    LL_Update->hide();
    connect(LL_Update, &QLabel::linkActivated, this, [this](const QString &link) {
        if (m_ctx.platform.urlOpener)
            m_ctx.platform.urlOpener->open(link);
    });

    Btn_Info = makeTopButton(QStringLiteral("Btn_Info"), 516);
    Btn_Info->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Info));
    Btn_Opz = makeTopButton(QStringLiteral("Btn_Opz"), 574);
    Btn_Opz->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Options));
    Btn_Close = makeTopButton(QStringLiteral("Btn_Close"), 632);
    Btn_Close->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Close));

    L_Begin = new QLabel(this);
    L_Begin->setObjectName(QStringLiteral("L_Begin"));
    L_Begin->setFont(bold);
    setColour(L_Begin, QPalette::WindowText, grey);
    L_Begin->move(16, 84);

    Shape2 = new QLabel(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setGeometry(80, 70, 348, 36);
    Shape2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape2->setLineWidth(1);
    setColour(Shape2, QPalette::WindowText, silver);
    L_Name_Conf = new QLabel(this);
    L_Name_Conf->setObjectName(QStringLiteral("L_Name_Conf"));
    L_Name_Conf->setGeometry(87, 75, 338, 13);
    L_Name_Conf_L2 = new QLabel(this);
    L_Name_Conf_L2->setObjectName(QStringLiteral("L_Name_Conf_L2"));
    L_Name_Conf_L2->setGeometry(87, 88, 338, 14);

    const int rowTops[4] = {112, 156, 200, Step4Top};
    for (int i = 0; i < 4; ++i) {
        L_Step[i] = new QLabel(this);
        L_Step[i]->setObjectName(QStringLiteral("L_Step_%1").arg(i + 1));
        L_Step[i]->setFont(bold);
        setColour(L_Step[i], QPalette::WindowText, grey);
        L_Step[i]->move(16, rowTops[i] + 16);
    }

    Btn_New = makeStepButton(QStringLiteral("Btn_New"), 80, 112);
    Btn_New->setIcon(ButtonIcons::icon(ButtonIcons::Picture::New));
    Btn_Open = makeStepButton(QStringLiteral("Btn_Open"), 258, 112);
    Btn_Open->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Open));
    Btn_Prm_Gen = makeStepButton(QStringLiteral("Btn_Prm_Gen"), 80, 156);
    Btn_Prm_Gen->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Communication));
    Btn_DeviceNet_Network = makeStepButton(QStringLiteral("Btn_DeviceNet_Network"), 80, 200);
    Btn_DeviceNet_Network->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Network));
    Btn_Define_Modbus = makeStepButton(QStringLiteral("Btn_Define_Modbus"), 258, 200);
    Btn_Define_Modbus->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Registers));
    Btn_CreateBin = makeStepButton(QStringLiteral("Btn_CreateBin"), 80, Step4Top);
    const QIcon update = ButtonIcons::icon(ButtonIcons::Picture::Update);
    Btn_CreateBin->setIcon(update);
    Btn_CreateBinSer = makeStepButton(QStringLiteral("Btn_CreateBinSer"), 258, Step4Top);
    Btn_CreateBinSer->setIcon(update);
    // After the steps, below the separator: a look at the converter's registers, never a write.
    Btn_Monitor = makeStepButton(QStringLiteral("Btn_Monitor"), 80, Step4Top + 64);
    Btn_Monitor->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Monitor));
    // The configuration's report for the plant's documentation, from the saved documents.
    Btn_Report = makeStepButton(QStringLiteral("Btn_Report"), 258, Step4Top + 64);
    Btn_Report->setIcon(ButtonIcons::icon(ButtonIcons::Picture::Report));
    m_reportWriter = new ConfigurationReportWriter(m_ctx, *this);

    L_Korvane = new ClickableLabel(Product::MakerWebAddress, this);
    L_Korvane->setObjectName(QStringLiteral("L_Korvane"));
    L_Korvane->setFont(bold);
    setColour(L_Korvane, QPalette::WindowText, grey);
    L_Korvane->setCursor(Qt::PointingHandCursor);
    L_Korvane->adjustSize();
    L_Korvane->move(565, Step4Top + 16);
    connect(L_Korvane, &ClickableLabel::clicked, this, [this] {
        if (m_ctx.platform.urlOpener)
            m_ctx.platform.urlOpener->open(Product::homePageUrl());
    });

    Shape1 = new QLabel(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(10, Step4Top + 51, 674, 1);
    Shape1->setAutoFillBackground(true);
    setColour(Shape1, QPalette::Window, silver);

    setFixedSize(694, Step4Top + 152);
}

void TFFabricoreFirmWare::FormCreate()
{
    m_ctx.catalog = TextCatalog();
    layOut();

    Timer_Update = new QTimer(this);
    Timer_Update->setObjectName(QStringLiteral("Timer_Update"));
    Timer_Update->setInterval(m_firstIntervalMs);
    connect(Timer_Update, &QTimer::timeout, this,
            ErrorReport::guarded(m_ctx.messages, [this] { Timer_UpdateTimer(); }));

    // A folder that cannot be created is not reported: later file operations in it fail on their own.
    for (const QString &folder : {m_ctx.paths.MasterFolder, m_ctx.paths.ProjectsFolder, m_ctx.paths.LanguageFolder})
        QDir().mkdir(folder);

    m_ctx.paths.ProjectName.clear();
    m_ctx.LastReadBack = true;
    m_ctx.settings = AppSettings::read(m_ctx.settingsPath());
    m_ctx.paths.ProjectName = m_ctx.settings.projectname;

    applyTimerState();

    setWindowTitle(Product::WindowTitle);
    L_SW_Code->setText(Product::SoftwareCode);
    L_SW_Code->adjustSize();
    L_SW_Desc->setText(Product::Description);
    L_SW_Desc->adjustSize();

    m_ctx.catalog.LoadLanguage(m_ctx.settings.language, m_ctx.paths.LanguageFolder);
    applyQtTranslation();

    // A remembered name whose folder is gone stays remembered, but nothing is active. Folder names
    // compare as on Windows, ignoring case, so a configuration copied from there is found again.
    const QString name = m_ctx.paths.ProjectName;
    bool exists = !name.isEmpty() && QFileInfo(joinPath(m_ctx.paths.ProjectsFolder, name)).isDir();
    if (!name.isEmpty() && !exists) {
        const QStringList folders = QDir(m_ctx.paths.ProjectsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &folder : folders) {
            if (folder.compare(name, Qt::CaseInsensitive) == 0) {
                m_ctx.paths.ProjectName = folder;
                exists = true;
                break;
            }
        }
    }
    m_ctx.paths.ProjectFolder = exists ? joinPath(m_ctx.paths.ProjectsFolder, m_ctx.paths.ProjectName) : QString();

    Set_Lang();
    Set_Files();
}

void TFFabricoreFirmWare::setDialogs(const Dialogs &dialogs)
{
    m_dialogs = dialogs;
    if (m_dialogs.newProject)
        m_dialogs.newProject->setOnProjectCreated([this] { Set_Files(); });
    if (m_dialogs.softOptions)
        m_dialogs.softOptions->setChangeLanguage([this] { Change_Language(); });
}

TFNew_Project *TFFabricoreFirmWare::newProject()
{
    if (!m_dialogs.newProject) {
        m_dialogs.newProject = new TFNew_Project(m_ctx, this);
        m_dialogs.newProject->setOnProjectCreated([this] { Set_Files(); });
    }
    return m_dialogs.newProject;
}

TFOpenConf *TFFabricoreFirmWare::openConf()
{
    if (!m_dialogs.openConf)
        m_dialogs.openConf = new TFOpenConf(m_ctx, this);
    return m_dialogs.openConf;
}

TFAbout *TFFabricoreFirmWare::about()
{
    if (!m_dialogs.about)
        m_dialogs.about = new TFAbout(m_ctx, this);
    return m_dialogs.about;
}

TFSoftOptions *TFFabricoreFirmWare::softOptions()
{
    if (!m_dialogs.softOptions) {
        m_dialogs.softOptions = new TFSoftOptions(m_ctx, this);
        m_dialogs.softOptions->setChangeLanguage([this] { Change_Language(); });
    }
    return m_dialogs.softOptions;
}

TFParGen *TFFabricoreFirmWare::parGen()
{
    if (!m_dialogs.parGen)
        m_dialogs.parGen = new TFParGen(m_ctx, this);
    return m_dialogs.parGen;
}

TFDeviceNetNetwork *TFFabricoreFirmWare::deviceNet()
{
    if (!m_dialogs.deviceNet)
        m_dialogs.deviceNet = new TFDeviceNetNetwork(m_ctx, this);
    return m_dialogs.deviceNet;
}

TFDefineModbusRegs *TFFabricoreFirmWare::defineModbus()
{
    if (!m_dialogs.defineModbus)
        m_dialogs.defineModbus = new TFDefineModbusRegs(m_ctx, this);
    return m_dialogs.defineModbus;
}

TFBoot *TFFabricoreFirmWare::boot()
{
    if (!m_dialogs.boot)
        m_dialogs.boot = new TFBoot(m_ctx, this);
    return m_dialogs.boot;
}

void TFFabricoreFirmWare::showConfigurationLabels()
{
    if (m_ctx.paths.hasActiveProject()) {
        L_Name_Conf->setText(m_ctx.text(11));
        // A name may be as long as a folder name can be: one too long for the frame ends in an ellipsis,
        // and the whole name is in the tooltip.
        const QString name = m_ctx.paths.ProjectName;
        const QString shown = L_Name_Conf_L2->fontMetrics().elidedText(name, Qt::ElideRight, L_Name_Conf_L2->width());
        L_Name_Conf_L2->setText(shown);
        L_Name_Conf_L2->setToolTip(shown == name ? QString() : name);
    } else {
        L_Name_Conf->setText(m_ctx.text(9));
        L_Name_Conf_L2->setText(m_ctx.text(10));
        L_Name_Conf_L2->setToolTip(QString());
    }
    Btn_Monitor->setEnabled(m_ctx.paths.hasActiveProject());
    Btn_Report->setEnabled(m_ctx.paths.hasActiveProject());
}

void TFFabricoreFirmWare::showUpdateLink()
{
    LL_Update->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(Product::downloadPageUrl(), m_ctx.text(19).toHtmlEscaped()));
    // Laid out for the text of the language in use, between the software code and the top buttons, in
    // one or two lines around the middle of the title.
    const int left = 208;
    const int width = Btn_Info->x() - 8 - left;
    const int height = LL_Update->heightForWidth(width);
    LL_Update->setGeometry(left, std::max(4, 28 - height / 2), width, height);
}

void TFFabricoreFirmWare::Set_Lang()
{
    L_Begin->setText(m_ctx.text(0));
    L_Begin->adjustSize();
    for (int i = 0; i < 4; ++i) {
        L_Step[i]->setText(m_ctx.text(1 + i));
        L_Step[i]->adjustSize();
    }
    showConfigurationLabels();
    Btn_Info->setToolTip(m_ctx.text(12));
    Btn_Opz->setToolTip(m_ctx.text(13));
    Btn_Close->setToolTip(m_ctx.text(14));
    Btn_New->setText(m_ctx.text(15));
    Btn_Open->setText(m_ctx.text(16));
    Btn_CreateBin->setText(m_ctx.text(17));
    Btn_Prm_Gen->setText(m_ctx.text(20));
    Btn_DeviceNet_Network->setText(m_ctx.text(21));
    Btn_CreateBinSer->setText(m_ctx.text(22));
    Btn_Define_Modbus->setText(m_ctx.text(23));
    Btn_New->setToolTip(m_ctx.text(28));
    Btn_Open->setToolTip(m_ctx.text(29));
    Btn_Prm_Gen->setToolTip(m_ctx.text(30));
    Btn_DeviceNet_Network->setToolTip(m_ctx.text(31));
    Btn_Define_Modbus->setToolTip(m_ctx.text(32));
    Btn_CreateBin->setToolTip(m_ctx.text(37));
    Btn_CreateBinSer->setToolTip(m_ctx.text(38));
    Btn_Monitor->setText(m_ctx.text(1552));
    Btn_Monitor->setToolTip(m_ctx.text(1553));
    Btn_Report->setText(m_ctx.text(1750));
    Btn_Report->setToolTip(m_ctx.text(1751));
    if (LL_Update->isVisibleTo(this))
        showUpdateLink();
    Accessibility::update(this, m_ctx.catalog);
}

void TFFabricoreFirmWare::Set_Files()
{
    m_ctx.paths.Set_Files();
}

void TFFabricoreFirmWare::Save_Setting()
{
    m_ctx.settings.projectname = m_ctx.paths.ProjectName;
    m_ctx.settings.update(m_ctx.settingsPath());
}

void TFFabricoreFirmWare::applyQtTranslation()
{
    const QStringList folders = m_ctx.qtTranslationFolders.isEmpty()
                                    ? QtTranslations::defaultFolders(m_ctx.paths.ProgramFolder)
                                    : m_ctx.qtTranslationFolders;
    QtTranslations::apply(QtTranslations::languageCode(m_ctx.catalog, m_ctx.settings.language), folders);
}

void TFFabricoreFirmWare::Change_Language()
{
    applyQtTranslation();
    Set_Lang();
    if (m_dialogs.newProject)
        m_dialogs.newProject->Set_Lang();
    if (m_dialogs.openConf)
        m_dialogs.openConf->Set_Lang();
    if (m_dialogs.softOptions)
        m_dialogs.softOptions->Set_Lang();
    if (m_dialogs.parGen)
        m_dialogs.parGen->Set_Lang();
    if (m_dialogs.deviceNet)
        m_dialogs.deviceNet->Set_Lang();
    if (m_dialogs.defineModbus)
        m_dialogs.defineModbus->Set_Lang();
    // A dialog not made yet takes the catalog's texts when it is made. Those made are this window's
    // children: one walk renames them all, open or not.
    Accessibility::update(this, m_ctx.catalog);
}

void TFFabricoreFirmWare::keyPressEvent(QKeyEvent *event)
{
    if (!DialogBase::pressFocusedButton(this, event))
        QWidget::keyPressEvent(event);
}

void TFFabricoreFirmWare::closeEvent(QCloseEvent *event)
{
    // The program closes also when the settings cannot be written; the user is told why.
    ErrorReport::run(*m_ctx.messages, [this] { Save_Setting(); });
    event->accept();
}

void TFFabricoreFirmWare::Btn_Click(QAbstractButton *button)
{
    if (button == Btn_New) {
        Create_New_Project();
    } else if (button == Btn_Open) {
        Open_Project();
    } else if (button == Btn_Close) {
        close();
    } else if (button == Btn_Info) {
        about()->exec();
    } else if (button == Btn_Opz) {
        if (softOptions()->exec() == QDialog::Accepted) {
            applyTimerState();
            Save_Setting();
        }
    } else if (!m_ctx.paths.hasActiveProject()) {
        m_ctx.messages->error(m_ctx.text(18));
    } else if (button == Btn_Prm_Gen) {
        parGen()->exec();
    } else if (button == Btn_DeviceNet_Network) {
        deviceNet()->exec();
    } else if (button == Btn_Define_Modbus) {
        defineModbus()->exec();
    } else if (button == Btn_CreateBin) {
        Update_Device(1);
    } else if (button == Btn_CreateBinSer) {
        Update_Device(0);
    } else if (button == Btn_Monitor) {
        TFMonitor::Show_Monitor(m_ctx, this);
    } else if (button == Btn_Report) {
        m_reportWriter->writeReport();
    }
}

void TFFabricoreFirmWare::Create_New_Project()
{
    if (newProject()->exec() == QDialog::Accepted)
        showConfigurationLabels();
}

void TFFabricoreFirmWare::Open_Project()
{
    TFOpenConf *dialog = openConf();
    if (dialog->exec() != QDialog::Accepted)
        return;
    m_ctx.paths.activateProject(dialog->Name_Conf);
    showConfigurationLabels();
    Set_Files();
}

void TFFabricoreFirmWare::Update_Device(int Type_Update)
{
    // An error stops here: the general error report shows it and the update dialog stays closed.
    // Registers past their slave's bytes would make the device serve other slaves' bytes: the user
    // decides (the configuration stays locked meanwhile, so what is written is what was asked about),
    // and No writes nothing.
    const CompileResult compiled = CompileDeviceImages(m_ctx.paths, [this](const DeviceImages &images) {
        return images.pastBytes.isEmpty() ||
               m_ctx.messages->question(PastBytes::warning(images.pastBytes, m_ctx.catalog) + QStringLiteral("\n\n") +
                                        m_ctx.text(1483));
    });
    if (!compiled.written)
        return;
    TFBoot *dialog = boot();
    dialog->Form_Type = Type_Update;
    dialog->exec();
}

void TFFabricoreFirmWare::applyTimerState()
{
    if (!m_ctx.settings.versionCheckEnabled())
        Timer_Update->stop();
    else if (!Timer_Update->isActive())
        Timer_Update->start();
}

void TFFabricoreFirmWare::setTimerIntervals(int firstMs, int repeatMs)
{
    m_firstIntervalMs = firstMs;
    m_repeatIntervalMs = repeatMs;
    const bool active = Timer_Update->isActive();
    Timer_Update->setInterval(firstMs);
    if (active)
        Timer_Update->start();
}

void TFFabricoreFirmWare::Timer_UpdateTimer()
{
    Timer_Update->stop();
    const bool newer = m_ctx.platform.http && Check_Version(*m_ctx.platform.http, m_ctx.versionService);
    if (newer) {
        showUpdateLink();
        LL_Update->show();
    } else {
        LL_Update->hide();
    }
    Timer_Update->setInterval(m_repeatIntervalMs);
    Timer_Update->start();
}
