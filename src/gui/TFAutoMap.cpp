#include "TFAutoMap.h"

#include "Accessibility.h"
#include "base/ParseIntOrDefault.h"
#include "documents/MapOverview.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include <algorithm>

namespace {

constexpr int Width = 440;

QLineEdit *makeEdit(QWidget *parent, const QString &objectName, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setGeometry(geometry);
    edit->setMaxLength(12);
    return edit;
}

// Entry order of the page choice, and the pages each entry stands for.
const int PageChoices[] = {AutoMap::BothPages, ModbusMap::Read, ModbusMap::Write};

} // namespace

TFAutoMap::TFAutoMap(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFAutoMap"));
    setFixedClientSize(Width, 390);
    makeTitleBand(Width);

    L_Start = makeLabel(this, QStringLiteral("L_Start"), QRect(16, 80, Width - 32, 16));
    E_Start = makeEdit(this, QStringLiteral("E_Start"), QRect(16, 98, 100, 22));
    L_Step = makeLabel(this, QStringLiteral("L_Step"), QRect(16, 128, Width - 32, 16));
    E_Step = makeEdit(this, QStringLiteral("E_Step"), QRect(16, 146, 100, 22));

    GB_Byte_Order = new QGroupBox(this);
    GB_Byte_Order->setObjectName(QStringLiteral("GB_Byte_Order"));
    GB_Byte_Order->setGeometry(16, 178, Width - 32, 72);
    RB_Low_First = new QRadioButton(GB_Byte_Order);
    RB_Low_First->setObjectName(QStringLiteral("RB_Low_First"));
    RB_Low_First->setGeometry(12, 20, Width - 56, 20);
    RB_High_First = new QRadioButton(GB_Byte_Order);
    RB_High_First->setObjectName(QStringLiteral("RB_High_First"));
    RB_High_First->setGeometry(12, 44, Width - 56, 20);

    L_Pages = makeLabel(this, QStringLiteral("L_Pages"), QRect(16, 258, Width - 32, 16));
    CB_Pages = new QComboBox(this);
    CB_Pages->setObjectName(QStringLiteral("CB_Pages"));
    CB_Pages->setGeometry(16, 276, 220, 22);
    CB_Pages->addItems({QString(), QString(), QString()});

    // A refusal is said here, beside the values to correct, and the window stays open.
    L_Message = makeLabel(this, QStringLiteral("L_Message"), QRect(16, 306, Width - 32, 36));
    L_Message->setWordWrap(true);
    L_Message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    L_Message->setStyleSheet(QStringLiteral("color: #b00020;"));

    Btn_OK = makeButton(this, QStringLiteral("Btn_OK"), QRect(Width - 234, 352, 110, 28));
    Btn_Cancel = makeButton(this, QStringLiteral("Btn_Cancel"), QRect(Width - 118, 352, 110, 28));
    // Enter in a field maps, as OK does.
    Btn_OK->setDefault(true);
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Names read by assistive technology come from the labels above the fields.
    Accessibility::setCaption(E_Start, {L_Start});
    Accessibility::setCaption(E_Step, {L_Step});
    Accessibility::setCaption(CB_Pages, {L_Pages});

    Set_Lang();
}

void TFAutoMap::Set_Lang()
{
    setWindowTitle(text(1360));
    titleDescription()->setText(text(1361));
    L_Start->setText(text(1362));
    // The step counts from the first index.
    L_Step->setText(text(1511));
    GB_Byte_Order->setTitle(text(1364));
    RB_Low_First->setText(text(1365));
    RB_High_First->setText(text(1366));
    L_Pages->setText(text(1367));
    CB_Pages->setItemText(0, text(1368));
    CB_Pages->setItemText(1, text(1369));
    CB_Pages->setItemText(2, text(1370));
    Btn_OK->setText(text(1371));
    Btn_Cancel->setText(text(1372));
    E_Start->setToolTip(text(1375));
    E_Step->setToolTip(text(1512));
    Btn_OK->setToolTip(text(1377));
    Btn_Cancel->setToolTip(text(1378));
}

void TFAutoMap::setForAllSlaves(bool allSlaves)
{
    L_Pages->setVisible(allSlaves);
    CB_Pages->setVisible(allSlaves);
    titleDescription()->setText(text(1361));
}

void TFAutoMap::setForSlave(int position, const QString &id, int page)
{
    setForAllSlaves(false);
    titleDescription()->setText(
        text(1503).arg(QString::number(position + 1), id, MapOverview::pageName(page, m_ctx.catalog)));
}

void TFAutoMap::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFAutoMap::FormShow()
{
    E_Start->setText(QString::number(m_options.start));
    E_Step->setText(QString::number(m_options.step));
    (m_options.highFirst ? RB_High_First : RB_Low_First)->setChecked(true);
    for (int i = 0; i < CB_Pages->count(); ++i) {
        if (PageChoices[i] == m_pages)
            CB_Pages->setCurrentIndex(i);
    }
    L_Message->clear();
    E_Start->setFocus();
    E_Start->selectAll();
}

int TFAutoMap::Controllo_Dati() const
{
    const int start = ParseIntOrDefault(E_Start->text(), -1);
    if (start < 0 || start > ModbusMap::MaxIndex)
        return 1373;
    const int step = ParseIntOrDefault(E_Step->text(), -1);
    if (step < 0 || step > ModbusMap::MaxIndex)
        return 1374;
    return 0;
}

void TFAutoMap::Btn_OKClick()
{
    if (const int failure = Controllo_Dati()) {
        L_Message->setText(text(failure));
        // Straight back to the value to correct.
        QLineEdit *bad = failure == 1373 ? E_Start : E_Step;
        bad->setFocus();
        bad->selectAll();
        return;
    }
    m_options.start = ParseIntOrDefault(E_Start->text(), 0);
    m_options.step = ParseIntOrDefault(E_Step->text(), 0);
    m_options.highFirst = RB_High_First->isChecked();
    m_pages = PageChoices[std::max(0, CB_Pages->currentIndex())];
    L_Message->clear();
    accept();
}
