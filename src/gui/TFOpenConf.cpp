#include "TFOpenConf.h"

#include "base/ProjectName.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

TFOpenConf::TFOpenConf(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFOpenConf"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(377, 351);
    setMinimumSize(300, 250);
    makeTitleBand(377);
    m_listLabel = new QLabel(this);
    m_listLabel->setObjectName(QStringLiteral("L_List"));
    m_listLabel->setGeometry(16, 70, 340, 20);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listLabel->setBuddy(ListBox1);
    m_buttonBand = new QWidget(this);
    m_buttonBand->setObjectName(QStringLiteral("P_Button"));
    Btn_OK = makeButton(m_buttonBand, QStringLiteral("Btn_OK"), QRect(0, 6, 110, 28));
    Btn_Cancel = makeButton(m_buttonBand, QStringLiteral("Btn_Cancel"), QRect(118, 6, 110, 28));
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ListBox1, &QListWidget::currentRowChanged, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    // Enter on the list opens the configuration chosen, as OK does (and a double-click).
    connect(ListBox1, &QAbstractItemView::activated, this, [this](const QModelIndex &index) {
        if (index.isValid() && isVisible())
            accept();
    });
    Set_Lang();
}

void TFOpenConf::Set_Lang()
{
    setWindowTitle(text(200));
    titleDescription()->setText(text(201));
    m_listLabel->setText(text(202));
    Btn_OK->setText(text(203));
    Btn_Cancel->setText(text(204));
    ListBox1->setToolTip(text(205));
    Btn_OK->setToolTip(text(206));
    Btn_Cancel->setToolTip(text(207));
}

void TFOpenConf::resizeEvent(QResizeEvent *event)
{
    DialogBase::resizeEvent(event);
    ListBox1->setGeometry(16, 94, width() - 32, height() - 94 - 40 - 8);
    m_buttonBand->setGeometry(width() - 244, height() - 40, 244, 40);
}

void TFOpenConf::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    FormShow();
}

void TFOpenConf::Load_Existing_Configuration()
{
    // Only what New Configuration could have made: a plain name, and a folder, not a link that
    // leads out of PROJECTS.
    const QDir projects(m_ctx.paths.ProjectsFolder);
    SL.clear();
    for (const QFileInfo &folder :
         projects.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (isValidProjectName(folder.fileName()) && !folder.isSymLink() && !folder.isJunction())
            SL.append(folder.fileName());
    }
    // The order a Windows folder listing gives: by name, ignoring case.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(SL.begin(), SL.end(),
                     [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

int TFOpenConf::Search_Open_Conf(const QString &name) const
{
    for (int i = 0; i < SL.size(); ++i)
        if (SL.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TFOpenConf::FormShow()
{
    Load_Existing_Configuration();
    ListBox1->blockSignals(true);
    ListBox1->clear();
    ListBox1->addItems(SL);
    // A name too long for the list ends in an ellipsis there; the whole name is the item's tooltip.
    const int room = ListBox1->viewport()->width() - 2 * ListBox1->frameWidth();
    for (int i = 0; i < ListBox1->count(); ++i) {
        QListWidgetItem *item = ListBox1->item(i);
        if (ListBox1->fontMetrics().horizontalAdvance(item->text()) > room)
            item->setToolTip(item->text());
    }
    ListBox1->blockSignals(false);
    const QString active = m_ctx.paths.hasActiveProject() ? m_ctx.paths.ProjectName : QString();
    int index = Search_Open_Conf(active);
    if (index < 0 && !SL.isEmpty())
        index = 0;
    Name_Conf = index >= 0 ? SL.at(index) : QString();
    ListBox1->setCurrentRow(index);
}

void TFOpenConf::ListBox1Click()
{
    const int row = ListBox1->currentRow();
    if (row >= 0 && row < SL.size())
        Name_Conf = SL.at(row);
}
