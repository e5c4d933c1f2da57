#include "TFSoftOptions.h"

#include "ClickableLabel.h"
#include "UserInputDiscarder.h"
#include "base/ProductIdentity.h"
#include "text/VersionCheck.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>

#include <algorithm>

namespace {
constexpr int ClientWidth = 509;
constexpr int ClientHeight = 373;
constexpr int TitleHeight = 69;
constexpr int ButtonBandHeight = 40;
constexpr int LanguageWidth = 164;

struct SlotPlace
{
    int pictureLeft;
    int labelLeft;
    int top;
};
// Left column slots 1 to 3, right column 4 to 6; the label sits level with the middle of its flag.
constexpr SlotPlace kSlots[TFSoftOptions::SlotsPerPage] = {
    {24, 80, 40}, {26, 80, 94}, {24, 80, 148}, {254, 310, 40}, {254, 310, 94}, {254, 310, 148},
};
} // namespace

TFSoftOptions::TFSoftOptions(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFSoftOptions"));
    setFixedClientSize(ClientWidth, ClientHeight);
    makeTitleBand(ClientWidth);

    PC_Options = new QTabWidget(this);
    PC_Options->setObjectName(QStringLiteral("PC_Options"));
    PC_Options->setGeometry(0, TitleHeight, ClientWidth, ClientHeight - TitleHeight - ButtonBandHeight);

    TS_Language = new QWidget;
    TS_Language->setObjectName(QStringLiteral("TS_Language"));
    L_Sel_Lang = new QLabel(TS_Language);
    L_Sel_Lang->setObjectName(QStringLiteral("L_Sel_Lang"));
    L_Sel_Lang->setGeometry(12, 11, 480, 16);
    for (int s = 0; s < SlotsPerPage; ++s) {
        I_L[s] = new ClickableLabel(TS_Language);
        I_L[s]->setObjectName(QStringLiteral("I_L%1").arg(s + 1));
        I_L[s]->setGeometry(kSlots[s].pictureLeft, kSlots[s].top, 48, 48);
        I_L[s]->setScaledContents(true);
        I_L[s]->setCursor(Qt::PointingHandCursor);
        // A radio button named after its language: a screen reader reads a choice among languages and
        // which one is in use. Each is a Tab stop; Space or Enter choose it as a click does. The mark
        // is set from the language in use only (a choice answered No leaves it where it was).
        L_L[s] = new QRadioButton(TS_Language);
        L_L[s]->setObjectName(QStringLiteral("L_L%1").arg(s + 1));
        L_L[s]->setGeometry(kSlots[s].labelLeft - 4, kSlots[s].top + 14, LanguageWidth, 20);
        L_L[s]->setCursor(Qt::PointingHandCursor);
        L_L[s]->installEventFilter(this);
        const auto click = ErrorReport::guarded(m_ctx.messages, [this, s] { LangClick(s + 1); });
        connect(I_L[s], &ClickableLabel::clicked, this, click);
        connect(L_L[s], &QRadioButton::clicked, this, click);
    }
    L_Page_Lang = new QLabel(TS_Language);
    L_Page_Lang->setObjectName(QStringLiteral("L_Page_Lang"));
    L_Page_Lang->move(220, 212);
    Btn_Prev = makeButton(TS_Language, QStringLiteral("Btn_Prev"), QRect(12, 204, 110, 28));
    Btn_Next = makeButton(TS_Language, QStringLiteral("Btn_Next"), QRect(379, 205, 110, 28));
    onClick(Btn_Prev, [this] { Btn_NextClick(false); });
    onClick(Btn_Next, [this] { Btn_NextClick(true); });
    PC_Options->addTab(TS_Language, QString());

    TS_Con_Options = new QWidget;
    TS_Con_Options->setObjectName(QStringLiteral("TS_Con_Options"));
    CB_En_Con = new QCheckBox(TS_Con_Options);
    CB_En_Con->setObjectName(QStringLiteral("CB_En_Con"));
    CB_En_Con->setGeometry(12, 16, 480, 18);
    CB_Update = new QCheckBox(TS_Con_Options);
    CB_Update->setObjectName(QStringLiteral("CB_Update"));
    CB_Update->setGeometry(36, 47, 456, 18);
    Btn_Check_Update = makeButton(TS_Con_Options, QStringLiteral("Btn_Check_Update"), QRect(36, 78, 204, 28));
    onClick(Btn_Check_Update, [this] { Btn_Check_UpdateClick(); });
    LL_Check_Update = new QLabel(TS_Con_Options);
    LL_Check_Update->setObjectName(QStringLiteral("LL_Check_Update"));
    LL_Check_Update->setGeometry(40, 120, 450, 16);
    LL_Check_Update->setTextFormat(Qt::RichText);
    LL_Check_Update->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    LL_Check_Update->setOpenExternalLinks(false);
    LL_Check_Update->hide();
    connect(LL_Check_Update, &QLabel::linkActivated, this,
            [this](const QString &link) { ErrorReport::run(messages(), [this, link] { openLink(link); }); });
    PC_Options->addTab(TS_Con_Options, QString());

    TS_Soft_Settings = new QWidget;
    TS_Soft_Settings->setObjectName(QStringLiteral("TS_Soft_Settings"));
    CB_Soft_Set_Jump_Table = new QCheckBox(TS_Soft_Settings);
    CB_Soft_Set_Jump_Table->setObjectName(QStringLiteral("CB_Soft_Set_Jump_Table"));
    CB_Soft_Set_Jump_Table->setGeometry(12, 16, 480, 18);
    CB_DoubleClick_Auto_Size = new QCheckBox(TS_Soft_Settings);
    CB_DoubleClick_Auto_Size->setObjectName(QStringLiteral("CB_DoubleClick_Auto_Size"));
    CB_DoubleClick_Auto_Size->setGeometry(12, 39, 480, 18);
    PC_Options->addTab(TS_Soft_Settings, QString());

    for (QCheckBox *box : {CB_En_Con, CB_Update, CB_Soft_Set_Jump_Table, CB_DoubleClick_Auto_Size})
        connect(box, &QCheckBox::toggled, this, [this] { Update_CheckBox(); });

    auto *band = new QWidget(this);
    band->setObjectName(QStringLiteral("P_Button"));
    band->setGeometry(0, ClientHeight - ButtonBandHeight, ClientWidth, ButtonBandHeight);
    Btn_OK = makeButton(band, QStringLiteral("Btn_OK"), QRect(16, 6, 110, 28));
    Btn_Cancel = makeButton(band, QStringLiteral("Btn_Cancel"), QRect(134, 6, 110, 28));
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    Set_Lang();
}

void TFSoftOptions::Set_Lang()
{
    setWindowTitle(text(300));
    titleDescription()->setText(text(301));
    PC_Options->setTabText(PC_Options->indexOf(TS_Language), text(302));
    PC_Options->setTabText(PC_Options->indexOf(TS_Con_Options), text(303));
    PC_Options->setTabText(PC_Options->indexOf(TS_Soft_Settings), text(319));
    L_Sel_Lang->setText(text(304));
    L_Page_Lang->setText(text(305) + QStringLiteral("1") + text(306) + QStringLiteral("1"));
    L_Page_Lang->adjustSize();
    Btn_Prev->setText(text(307));
    Btn_Next->setText(text(308));
    CB_En_Con->setText(text(309));
    CB_Update->setText(text(310));
    CB_Soft_Set_Jump_Table->setText(text(320));
    CB_DoubleClick_Auto_Size->setText(text(321));
    Btn_Check_Update->setText(text(311));
    CB_Soft_Set_Jump_Table->setText(text(320));
    CB_DoubleClick_Auto_Size->setText(text(321));
    Btn_OK->setText(text(312));
    Btn_Cancel->setText(text(313));
    if (!LL_Check_Update->isHidden())
        showCheckResult();
}

void TFSoftOptions::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    FormShow();
}

bool TFSoftOptions::eventFilter(QObject *watched, QEvent *event)
{
    const int at = int(std::find(std::begin(L_L), std::end(L_L), watched) - std::begin(L_L));
    if (at >= SlotsPerPage || event->type() != QEvent::KeyPress)
        return DialogBase::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return DialogBase::eventFilter(watched, event);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter chooses the language, as Space does; it presses no button of the dialog.
        L_L[at]->click();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right: {
        // The arrows only move among the languages: a radio button would choose each one passed,
        // and every choice asks about switching the whole program's language.
        const int step = key->key() == Qt::Key_Up || key->key() == Qt::Key_Left ? -1 : 1;
        for (int s = at + step; s >= 0 && s < SlotsPerPage; s += step) {
            if (L_L[s]->isVisible()) {
                L_L[s]->setFocus(Qt::TabFocusReason);
                break;
            }
        }
        return true;
    }
    default:
        return DialogBase::eventFilter(watched, event);
    }
}

void TFSoftOptions::FormShow()
{
    Language_In_Use = m_ctx.settings.language;
    Create_Lang_List();
    Update_CheckBox();
    LL_Check_Update->hide();
    PC_Options->setCurrentWidget(TS_Language);
    CB_En_Con->setChecked(m_ctx.settings.enable_internet);
    CB_Update->setChecked(m_ctx.settings.enable_update);
    CB_Soft_Set_Jump_Table->setChecked(m_ctx.settings.enable_jump_field_tables);
    CB_DoubleClick_Auto_Size->setChecked(m_ctx.settings.Double_Click_Auto_Size);
    // setChecked does not signal when the mark is already right; the enabled states must match anyway.
    Update_CheckBox();
}

QStringList TFSoftOptions::languageFiles(const QString &folder)
{
    QStringList names;
    const QFileInfoList entries =
        QDir(folder).entryInfoList({QStringLiteral("*.lng")}, QDir::Files | QDir::Hidden | QDir::CaseSensitive);
    for (const QFileInfo &entry : entries) {
        // Ordinary files only: a link or a read-only file is left out.
        if (!entry.isFile() || entry.isSymLink() || !entry.permission(QFileDevice::WriteOwner))
            continue;
        names.append(entry.fileName());
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int order = QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded());
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

void TFSoftOptions::Create_Lang_List()
{
    SL_Languages = languageFiles(m_ctx.paths.LanguageFolder);
    Show_Page = 1;
    Update_Lang_Page(Show_Page);
}

int TFSoftOptions::pageCount() const
{
    // An empty folder still shows one page with an empty first slot.
    return std::max(1, int((SL_Languages.size() + SlotsPerPage - 1) / SlotsPerPage));
}

void TFSoftOptions::showSelectedAndPage()
{
    L_Sel_Lang->setText(text(304) + Language_In_Use);
    for (int s = 0; s < SlotsPerPage; ++s) {
        const QString name = L_L[s]->text();
        // Unmarked as well as marked here: a group of exclusive buttons lets none be unmarked alone.
        L_L[s]->setAutoExclusive(false);
        L_L[s]->setChecked(!name.isEmpty() && name == Language_In_Use);
        L_L[s]->setAutoExclusive(true);
        // The flag is read as the picture of its language, not as an unnamed image.
        I_L[s]->setAccessibleName(name.isEmpty() ? QString() : text(1732).arg(name));
    }
    // The group is one Tab stop, at the language in use, or at the first when it is on another page.
    const auto in = std::find_if(std::begin(L_L), std::end(L_L), [](const QRadioButton *b) { return b->isChecked(); });
    QRadioButton *stop = in != std::end(L_L) ? *in : L_L[0];
    for (QRadioButton *slot : L_L)
        slot->setFocusPolicy(slot == stop ? Qt::StrongFocus : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
    L_Page_Lang->setText(text(305) + QString::number(Show_Page) + text(306) + QString::number(pageCount()));
    L_Page_Lang->adjustSize();
}

void TFSoftOptions::Update_Lang_Page(int page)
{
    const int pages = pageCount();
    Show_Page = page;
    Btn_Prev->setVisible(page != 1);
    Btn_Next->setVisible(page != pages);

    const int k = std::clamp(int(SL_Languages.size()) - SlotsPerPage * (page - 1), 0, SlotsPerPage);
    for (int s = 0; s < SlotsPerPage; ++s) {
        // An empty slot shows nothing: a radio button without a language would offer a choice of none.
        const bool shown = s < k;
        L_L[s]->setVisible(shown);
        I_L[s]->setVisible(shown);
        if (!shown) {
            L_L[s]->setText(QString());
            I_L[s]->clear();
            continue;
        }
        const QString name = SL_Languages.at(SlotsPerPage * (page - 1) + s).chopped(4);
        L_L[s]->setText(name);
        // As wide as its name: a click beside the name chooses nothing, as with the label before.
        L_L[s]->resize(std::min(L_L[s]->sizeHint().width(), LanguageWidth), L_L[s]->height());
        QPixmap flag;
        for (const QString &picture : {name + QStringLiteral(".bmp"), QStringLiteral("DefaultFlag.bmp")}) {
            const QString path = joinPath(m_ctx.paths.LanguageFolder, picture);
            if (QFileInfo(path).isFile() && flag.load(path))
                break;
        }
        if (flag.isNull()) {
            I_L[s]->clear();
            I_L[s]->hide();
        } else {
            I_L[s]->setPixmap(flag);
        }
    }
    showSelectedAndPage();
}

void TFSoftOptions::Btn_NextClick(bool next)
{
    const int pages = pageCount();
    if (next && pages >= Show_Page + 1)
        ++Show_Page;
    else if (!next && Show_Page - 1 > 0)
        --Show_Page;
    Update_Lang_Page(Show_Page);
}

void TFSoftOptions::LangClick(int slot)
{
    const int entry = SlotsPerPage * (Show_Page - 1) + slot - 1;
    if (slot < 1 || slot > SlotsPerPage || entry < 0 || entry >= SL_Languages.size())
        return; // an empty slot offers nothing
    const QString name = SL_Languages.at(entry).chopped(4);
    if (!messages().question(text(316) + Language_In_Use + text(317) + name + text(318))) {
        showSelectedAndPage(); // the click marked the language; the mark goes back to the one in use
        return;
    }
    Language_In_Use = name;

    // The texts switch now; the stored choice changes only with OK.
    const QString previous = m_ctx.settings.language;
    m_ctx.settings.language = name;
    m_ctx.catalog.LoadLanguage(m_ctx.settings.language, m_ctx.paths.LanguageFolder);
    m_ctx.settings.language = previous;

    if (m_changeLanguage)
        m_changeLanguage();
    else
        Set_Lang();
    showSelectedAndPage();
}

void TFSoftOptions::Update_CheckBox()
{
    CB_Update->setEnabled(CB_En_Con->isChecked());
    Btn_Check_Update->setEnabled(CB_Update->isEnabled() && CB_Update->isChecked());
}

void TFSoftOptions::showCheckResult()
{
    if (m_newerFound) {
        LL_Check_Update->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                                     .arg(Product::downloadPageUrl().toHtmlEscaped(), text(314).toHtmlEscaped()));
    } else {
        LL_Check_Update->setText(text(315).toHtmlEscaped());
    }
}

void TFSoftOptions::Btn_Check_UpdateClick()
{
    // One request at a time: the button is off and the busy cursor shows while the service is asked,
    // and a click made meanwhile is thrown away rather than sending a second request afterwards.
    if (m_checkRunning)
        return;
    {
        QScopedValueRollback<bool> running(m_checkRunning, true);
        Btn_Check_Update->setEnabled(false);
        UserInputDiscarder discard;
        m_newerFound = m_ctx.platform.http && Check_Version(*m_ctx.platform.http, m_ctx.versionService);
    }
    Update_CheckBox();
    showCheckResult();
    LL_Check_Update->show();
}

void TFSoftOptions::openLink(const QString &link)
{
    if (m_ctx.platform.urlOpener)
        m_ctx.platform.urlOpener->open(link);
}

void TFSoftOptions::Btn_OKClick()
{
    m_ctx.settings.language = Language_In_Use;
    m_ctx.settings.enable_internet = CB_En_Con->isChecked();
    // Also when it is disabled: the mark is kept for when the internet is enabled again.
    m_ctx.settings.enable_update = CB_Update->isChecked();
    m_ctx.settings.enable_jump_field_tables = CB_Soft_Set_Jump_Table->isChecked();
    m_ctx.settings.Double_Click_Auto_Size = CB_DoubleClick_Auto_Size->isChecked();
    accept();
}
