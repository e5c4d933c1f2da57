#include "TFNew_Project.h"

#include "base/ProjectName.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFNew_Project::TFNew_Project(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFNew_Project"));
    setFixedClientSize(331, 162);
    makeTitleBand(331);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setObjectName(QStringLiteral("L_New_Proj"));
    m_nameLabel->setGeometry(16, 70, 300, 20);
    E_New_Proj = new QLineEdit(this);
    E_New_Proj->setObjectName(QStringLiteral("E_New_Proj"));
    E_New_Proj->setGeometry(16, 94, 299, 22);
    m_nameLabel->setBuddy(E_New_Proj);
    auto *band = new QWidget(this);
    band->setObjectName(QStringLiteral("P_Button"));
    band->setGeometry(0, 162 - 40, 331, 40);
    Btn_OK = makeButton(band, QStringLiteral("Btn_OK"), QRect(16, 6, 110, 28));
    Btn_Cancel = makeButton(band, QStringLiteral("Btn_Cancel"), QRect(134, 6, 110, 28));
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(E_New_Proj, &QLineEdit::returnPressed, this,
            ErrorReport::guarded(m_ctx.messages, [this] { Btn_OKClick(); }));
    Set_Lang();
}

void TFNew_Project::Set_Lang()
{
    setWindowTitle(text(100));
    titleDescription()->setText(text(101));
    m_nameLabel->setText(text(102));
    Btn_OK->setText(text(103));
    Btn_Cancel->setText(text(104));
    E_New_Proj->setToolTip(text(108));
    Btn_OK->setToolTip(text(109));
    Btn_Cancel->setToolTip(text(110));
}

void TFNew_Project::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    FormShow();
}

void TFNew_Project::FormShow()
{
    E_New_Proj->clear();
    E_New_Proj->setFocus();
}

void TFNew_Project::Btn_OKClick()
{
    // The name is used exactly as typed: a leading blank stays part of it.
    const QString name = E_New_Proj->text();
    if (name.isEmpty()) {
        messages().error(text(107));
        return;
    }
    if (!isValidProjectName(name)) {
        messages().error(text(105));
        return;
    }
    const QString folder = joinPath(m_ctx.paths.ProjectsFolder, name);
    // A name that differs from an existing one only in case would be the same folder on Windows.
    const QStringList existing = QDir(m_ctx.paths.ProjectsFolder)
                                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    if (QFileInfo::exists(folder) || existing.contains(name, Qt::CaseInsensitive)) {
        messages().error(text(106));
        return;
    }
    if (!QDir(m_ctx.paths.ProjectsFolder).mkdir(name)) {
        messages().error(text(105));
        return;
    }
    QDir().mkpath(joinPath(folder, QStringLiteral("bin")));
    m_ctx.paths.activateProject(name);
    if (m_onCreated)
        m_onCreated();
    accept();
}
