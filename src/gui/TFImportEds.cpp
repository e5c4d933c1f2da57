#include "TFImportEds.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace {

constexpr int Width = 560;
constexpr int TitleHeight = 69;
constexpr int CaptionWidth = 190;
// Room for six warnings; more scroll.
constexpr int WarningRows = 6;

// Captions and values wrap: a long product name or a translation takes more lines, never more width.
QLabel *makeText(QWidget *parent, const QString &objectName)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel *makeValue(QWidget *parent, const QString &objectName)
{
    QLabel *value = makeText(parent, objectName);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return value;
}

QComboBox *makeChoice(QWidget *parent, const QString &objectName, const QVector<Eds::IoEntry> &entries, int current)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(objectName);
    for (int i = 0; i < entries.size(); ++i)
        choice->addItem(QString());
    choice->setCurrentIndex(current);
    // A connection with one entry offers no choice.
    choice->setVisible(entries.size() > 1);
    return choice;
}

} // namespace

TFImportEds::TFImportEds(AppContext &context, const Eds::Device &device, const QString &path,
                         const QStringList &warnings, int row, const QString &nodeAddress, QWidget *parent)
    : DialogBase(context, parent)
    , m_device(device)
    , m_path(path)
    , m_row(row)
    , m_nodeAddress(nodeAddress)
{
    setObjectName(QStringLiteral("TFImportEds"));
    m_titleBand = makeTitleBand(Width);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    grid->setColumnMinimumWidth(0, CaptionWidth);
    grid->setColumnStretch(1, 1);
    const auto addRow = [this, grid](const char *caption, const char *value, QLabel **captionLabel,
                                     QLabel **valueLabel) {
        *captionLabel = makeText(this, QLatin1String(caption));
        (*captionLabel)->setFixedWidth(CaptionWidth);
        *valueLabel = makeValue(this, QLatin1String(value));
        const int r = grid->rowCount();
        grid->addWidget(*captionLabel, r, 0);
        grid->addWidget(*valueLabel, r, 1);
    };
    addRow("L_Product", "L_Product_Name", &L_Product, &L_Product_Name);
    addRow("L_Vendor", "L_Vendor_Name", &L_Vendor, &L_Vendor_Name);
    addRow("L_Codes", "L_Codes_Value", &L_Codes, &L_Codes_Value);
    addRow("L_Revision", "L_Revision_Value", &L_Revision, &L_Revision_Value);
    addRow("L_Connection", "L_Connection_Value", &L_Connection, &L_Connection_Value);

    L_Input = makeText(this, QStringLiteral("L_Input"));
    CB_Input = makeChoice(this, QStringLiteral("CB_Input"), m_device.inputs, m_device.defaultInput);
    L_Output = makeText(this, QStringLiteral("L_Output"));
    CB_Output = makeChoice(this, QStringLiteral("CB_Output"), m_device.outputs, m_device.defaultOutput);
    L_Input->setBuddy(CB_Input);
    L_Output->setBuddy(CB_Output);
    QFont bold = L_Input->font();
    bold.setBold(true);
    L_Input->setFont(bold);
    L_Output->setFont(bold);

    L_Target = makeText(this, QStringLiteral("L_Target"));

    // Warnings in a list of their own: a file may have hundreds, and a label of them all would be
    // taller than the screen and slow to draw.
    L_Warnings = makeText(this, QStringLiteral("L_Warnings"));
    LB_Warnings = new QListWidget(this);
    LB_Warnings->setObjectName(QStringLiteral("LB_Warnings"));
    // Each warning wraps at the list's width (at most MaxWarnings + 1 of them: cheap to lay out).
    LB_Warnings->setWordWrap(true);
    LB_Warnings->setTextElideMode(Qt::ElideNone);
    LB_Warnings->setResizeMode(QListView::Adjust);
    LB_Warnings->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LB_Warnings->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    LB_Warnings->addItems(warnings);
    LB_Warnings->setFixedHeight(LB_Warnings->fontMetrics().height() * WarningRows + 2 * LB_Warnings->frameWidth() + 8);
    L_Warnings->setBuddy(LB_Warnings);
    L_Warnings->setVisible(!warnings.isEmpty());
    LB_Warnings->setVisible(!warnings.isEmpty());

    Btn_OK = makeButton(this, QStringLiteral("Btn_OK"), QRect(0, 0, 110, 28));
    Btn_Cancel = makeButton(this, QStringLiteral("Btn_Cancel"), QRect(0, 0, 110, 28));
    // Enter takes the counts, wherever the focus is but on Cancel.
    Btn_OK->setDefault(true);
    for (QPushButton *button : {Btn_OK, Btn_Cancel})
        button->setMinimumSize(110, 28);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Btn_OK);
    buttons->addWidget(Btn_Cancel);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(16, TitleHeight + 11, 16, 12);
    column->setSpacing(4);
    column->addLayout(grid);
    column->addSpacing(10);
    column->addWidget(L_Input);
    column->addWidget(CB_Input);
    column->addSpacing(8);
    column->addWidget(L_Output);
    column->addWidget(CB_Output);
    column->addSpacing(10);
    column->addWidget(L_Target);
    column->addSpacing(6);
    column->addWidget(L_Warnings);
    column->addWidget(LB_Warnings);
    column->addStretch(1);
    column->addSpacing(8);
    column->addLayout(buttons);

    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(CB_Input, &QComboBox::currentIndexChanged, this, &TFImportEds::updateCounts);
    connect(CB_Output, &QComboBox::currentIndexChanged, this, &TFImportEds::updateCounts);

    L_Product_Name->setText(m_device.productName);
    L_Vendor_Name->setText(m_device.vendorName);
    L_Codes_Value->setText(m_device.vendorCode + QStringLiteral(" / ") + m_device.productCode);
    L_Revision_Value->setText(m_device.revision);
    setMinimumWidth(Width);
    resize(Width, 300);
    Set_Lang();
    if (CB_Input->isVisibleTo(this))
        CB_Input->setFocus();
    else if (CB_Output->isVisibleTo(this))
        CB_Output->setFocus();
    else
        Btn_OK->setFocus();
}

void TFImportEds::Set_Lang()
{
    setWindowTitle(text(1522));
    titleDescription()->setText(QFileInfo(m_path).fileName());
    titleDescription()->setToolTip(m_path);
    L_Product->setText(text(1523));
    L_Vendor->setText(text(1524));
    L_Codes->setText(text(1525));
    L_Revision->setText(text(1526));
    L_Connection->setText(text(1527));
    L_Connection_Value->setText(Eds::connectionText(m_device.connection, m_ctx.catalog));
    const auto fillChoice = [this](QComboBox *choice, const QVector<Eds::IoEntry> &entries, const QString &kind) {
        for (int i = 0; i < entries.size() && i < choice->count(); ++i) {
            const Eds::IoEntry &e = entries.at(i);
            const QString name = e.name.isEmpty() ? kind + QString::number(e.number) : e.name;
            choice->setItemText(i, text(1534).arg(name).arg(e.bytes));
        }
    };
    fillChoice(CB_Input, m_device.inputs, QStringLiteral("Input"));
    fillChoice(CB_Output, m_device.outputs, QStringLiteral("Output"));
    const QString node = m_nodeAddress.trimmed();
    L_Target->setText(node.isEmpty() ? text(1676).arg(m_row) : text(1675).arg(QString::number(m_row), node));
    L_Warnings->setText(text(1677));
    Btn_OK->setText(text(502));
    Btn_Cancel->setText(text(503));
    updateCounts();
}

int TFImportEds::inputBytes() const
{
    return m_device.inputs.value(CB_Input->currentIndex()).bytes;
}

int TFImportEds::outputBytes() const
{
    return m_device.outputs.value(CB_Output->currentIndex()).bytes;
}

void TFImportEds::updateCounts()
{
    L_Input->setText(text(1532).arg(inputBytes()).arg(text(510)));
    L_Output->setText(text(1533).arg(outputBytes()).arg(text(511)));
    fitHeight();
}

// As high as the texts need at the window's width: longer translations make it taller, never cut.
void TFImportEds::fitHeight()
{
    layout()->activate();
    const int needed = layout()->totalHeightForWidth(width());
    setMinimumHeight(needed);
    if (height() < needed)
        resize(width(), needed);
}

void TFImportEds::resizeEvent(QResizeEvent *event)
{
    DialogBase::resizeEvent(event);
    m_titleBand->resize(width(), TitleHeight);
    titleDescription()->resize(width() - 24, titleDescription()->height());
    if (event->oldSize().width() != width())
        fitHeight();
}
