#include "TFImportEds.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int Width = 560;
constexpr int CaptionWidth = 190;

QLabel *makeValue(QWidget *parent, const QString &objectName, int y)
{
    auto *value = new QLabel(parent);
    value->setObjectName(objectName);
    value->setGeometry(16 + CaptionWidth + 8, y, Width - CaptionWidth - 40, 18);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return value;
}

QComboBox *makeChoice(QWidget *parent, const QString &objectName, int y, const QVector<Eds::IoEntry> &entries,
                      int current)
{
    auto *choice = new QComboBox(parent);
    choice->setObjectName(objectName);
    choice->setGeometry(32, y, Width - 64, 22);
    for (int i = 0; i < entries.size(); ++i)
        choice->addItem(QString());
    choice->setCurrentIndex(current);
    // A connection with one entry offers no choice.
    choice->setVisible(entries.size() > 1);
    return choice;
}

} // namespace

TFImportEds::TFImportEds(AppContext &context, const Eds::Device &device, const QString &path,
                         const QStringList &warnings, QWidget *parent)
    : DialogBase(context, parent)
    , m_device(device)
    , m_path(path)
{
    setObjectName(QStringLiteral("TFImportEds"));
    setFixedClientSize(Width, 400);
    makeTitleBand(Width);

    const auto caption = [this](const char *name, int y) {
        return makeLabel(this, QLatin1String(name), QRect(16, y, CaptionWidth, 18));
    };
    L_Product = caption("L_Product", 80);
    L_Product_Name = makeValue(this, QStringLiteral("L_Product_Name"), 80);
    L_Vendor = caption("L_Vendor", 102);
    L_Vendor_Name = makeValue(this, QStringLiteral("L_Vendor_Name"), 102);
    L_Codes = caption("L_Codes", 124);
    L_Codes_Value = makeValue(this, QStringLiteral("L_Codes_Value"), 124);
    L_Revision = caption("L_Revision", 146);
    L_Revision_Value = makeValue(this, QStringLiteral("L_Revision_Value"), 146);
    L_Connection = caption("L_Connection", 168);
    L_Connection_Value = makeValue(this, QStringLiteral("L_Connection_Value"), 168);

    L_Input = makeLabel(this, QStringLiteral("L_Input"), QRect(16, 200, Width - 32, 18));
    CB_Input = makeChoice(this, QStringLiteral("CB_Input"), 220, m_device.inputs, m_device.defaultInput);
    L_Output = makeLabel(this, QStringLiteral("L_Output"), QRect(16, 254, Width - 32, 18));
    CB_Output = makeChoice(this, QStringLiteral("CB_Output"), 274, m_device.outputs, m_device.defaultOutput);
    L_Input->setBuddy(CB_Input);
    L_Output->setBuddy(CB_Output);
    QFont bold = L_Input->font();
    bold.setBold(true);
    L_Input->setFont(bold);
    L_Output->setFont(bold);

    L_Warnings = makeLabel(this, QStringLiteral("L_Warnings"), QRect(16, 304, Width - 32, 50));
    L_Warnings->setWordWrap(true);
    L_Warnings->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    L_Warnings->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    L_Warnings->setText(warnings.join(QLatin1Char('\n')));
    L_Warnings->setVisible(!warnings.isEmpty());

    Btn_OK = makeButton(this, QStringLiteral("Btn_OK"), QRect(Width - 234, 362, 110, 28));
    Btn_Cancel = makeButton(this, QStringLiteral("Btn_Cancel"), QRect(Width - 118, 362, 110, 28));
    connect(Btn_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(CB_Input, &QComboBox::currentIndexChanged, this, &TFImportEds::updateCounts);
    connect(CB_Output, &QComboBox::currentIndexChanged, this, &TFImportEds::updateCounts);

    L_Product_Name->setText(m_device.productName);
    L_Vendor_Name->setText(m_device.vendorName);
    L_Codes_Value->setText(m_device.vendorCode + QStringLiteral(" / ") + m_device.productCode);
    L_Revision_Value->setText(m_device.revision);
    Set_Lang();
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
}
