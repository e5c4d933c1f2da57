#include "TFParGen.h"

#include "Accessibility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace {

constexpr int ClientWidth = 312;
constexpr int GroupLeft = 8;
constexpr int GroupWidth = 296;
constexpr int FirstGroupTop = 70;
constexpr int GroupGap = 6;
constexpr int FoldedHeight = 26;
constexpr int GroupBottomMargin = 15;
constexpr int ButtonGap = 13;
constexpr int WindowBottomMargin = 54;

int bottomOf(const QWidget *w)
{
    return w->y() + w->height();
}

} // namespace

TFParGen::TFParGen(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFParGen"));
    FormCreate();
}

QLineEdit *TFParGen::makeField(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setGeometry(geometry);
    connect(field, &QLineEdit::textChanged, this, [this] { Is_Change = true; });
    return field;
}

void TFParGen::makeAddressRow(QWidget *parent, const char *prefix, int top, std::array<QLineEdit *, 4> &fields)
{
    for (int i = 0; i < 4; ++i) {
        const int left = 16 + i * 56;
        fields[i] = makeField(parent, QLatin1String(prefix) + QString::number(i + 1), QRect(left, top, 44, 21));
        m_dotChain->append(fields[i]);
        if (i < 3) {
            QLabel *dot = makeLabel(parent, QStringLiteral("L_Dot_%1%2").arg(QLatin1String(prefix)).arg(i + 1),
                                    QRect(left + 46, top, 8, 21));
            dot->setText(QStringLiteral("."));
            dot->setAlignment(Qt::AlignCenter);
        }
    }
}

void TFParGen::makeGroupButtons(Group &group, const QString &name)
{
    group.collapse = new QToolButton(group.box);
    group.collapse->setObjectName(QStringLiteral("Btn_") + name + QStringLiteral("_Collapse"));
    group.collapse->setArrowType(Qt::UpArrow);
    group.expand = new QToolButton(group.box);
    group.expand->setObjectName(QStringLiteral("Btn_") + name + QStringLiteral("_Expand"));
    group.expand->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {group.collapse, group.expand}) {
        b->setGeometry(280, 10, 11, 11);
        b->setFocusPolicy(Qt::NoFocus);
    }
    Group *g = &group;
    connect(group.collapse, &QToolButton::clicked, this, [this, g] { Btn_GB_Collapse(*g); });
    connect(group.expand, &QToolButton::clicked, this, [this, g] { Btn_GB_Expande(*g); });
}

void TFParGen::FormCreate()
{
    makeTitleBand(ClientWidth);

    // DeviceNet Master group, design positions.
    m_dnetGroup.box = new QGroupBox(this);
    m_dnetGroup.box->setObjectName(QStringLiteral("GB_DeviceNet_Master"));
    m_dnetGroup.expanded = &GB_DeviceNet_Master_Visible;
    QGroupBox *dnet = m_dnetGroup.box;
    dnet->setGeometry(GroupLeft, FirstGroupTop, GroupWidth, 125);
    L_ID_DNET_Master = makeLabel(dnet, QStringLiteral("L_ID_DNET_Master"), QRect(16, 22, 140, 17));
    E_ID_DNET_Master = makeField(dnet, QStringLiteral("E_ID_DNET_Master"), QRect(170, 20, 60, 21));
    L_Baud_DNET_Master = makeLabel(dnet, QStringLiteral("L_Baud_DNET_Master"), QRect(16, 57, 140, 17));
    CB_Baud_DNET_Master = new QComboBox(dnet);
    CB_Baud_DNET_Master->setObjectName(QStringLiteral("CB_Baud_DNET_Master"));
    CB_Baud_DNET_Master->setGeometry(170, 54, 80, 22);
    CB_Baud_DNET_Master->addItems({QStringLiteral("125K"), QStringLiteral("250K"), QStringLiteral("500K")});
    connect(CB_Baud_DNET_Master, &QComboBox::currentIndexChanged, this, [this] { Is_Change = true; });
    L_DNET_Master_Interscan_Delay =
        makeLabel(dnet, QStringLiteral("L_DNET_Master_Interscan_Delay"), QRect(16, 91, 150, 17));
    E_DNET_Master_Interscan_Delay =
        makeField(dnet, QStringLiteral("E_DNET_Master_Interscan_Delay"), QRect(170, 89, 60, 21));
    m_dnetGroup.firstRow = {L_ID_DNET_Master, E_ID_DNET_Master};
    makeGroupButtons(m_dnetGroup, QStringLiteral("GB_DeviceNet_Master"));

    // Modbus TCP Slave group, design positions.
    m_modbusGroup.box = new QGroupBox(this);
    m_modbusGroup.box->setObjectName(QStringLiteral("GB_Modbus_TCP_Slave"));
    m_modbusGroup.expanded = &GB_Modbus_TCP_Slave_Visible;
    QGroupBox *modbus = m_modbusGroup.box;
    modbus->setGeometry(GroupLeft, 201, GroupWidth, 258);
    L_IP = makeLabel(modbus, QStringLiteral("L_IP"), QRect(16, 18, 200, 17));
    makeAddressRow(modbus, "E_IP", 36, E_IP);
    L_SM = makeLabel(modbus, QStringLiteral("L_SM"), QRect(16, 62, 200, 17));
    makeAddressRow(modbus, "E_SM", 80, E_SM);
    CB_ModTCPs_EN_GAT = new QCheckBox(modbus);
    CB_ModTCPs_EN_GAT->setObjectName(QStringLiteral("CB_ModTCPs_EN_GAT"));
    CB_ModTCPs_EN_GAT->setGeometry(16, 106, 200, 19);
    connect(CB_ModTCPs_EN_GAT, &QCheckBox::clicked, this, [this] { Is_Change = true; });
    makeAddressRow(modbus, "E_GAT", 126, E_GAT);
    L_PORT = makeLabel(modbus, QStringLiteral("L_PORT"), QRect(16, 160, 150, 17));
    E_PORT = makeField(modbus, QStringLiteral("E_PORT"), QRect(200, 158, 70, 21));
    L_State_DN = makeLabel(modbus, QStringLiteral("L_State_DN"), QRect(16, 198, 260, 17));
    E_State_DN = makeField(modbus, QStringLiteral("E_State_DN"), QRect(200, 222, 70, 21));
    m_modbusGroup.firstRow = {L_IP};
    makeGroupButtons(m_modbusGroup, QStringLiteral("GB_Modbus_TCP_Slave"));

    Btn_OK = makeButton(this, QStringLiteral("Btn_OK"), QRect(40, 472, 110, 28));
    Btn_Cancel = makeButton(this, QStringLiteral("Btn_Cancel"), QRect(162, 472, 110, 28));
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    onClick(Btn_Cancel, [this] { Btn_CancelClick(); });

    // Names read by assistive technology: the labels beside the fields, the group of each fold button.
    L_ID_DNET_Master->setBuddy(E_ID_DNET_Master);
    L_Baud_DNET_Master->setBuddy(CB_Baud_DNET_Master);
    L_DNET_Master_Interscan_Delay->setBuddy(E_DNET_Master_Interscan_Delay);
    Accessibility::setRowCaption({E_IP.begin(), E_IP.end()}, L_IP);
    Accessibility::setRowCaption({E_SM.begin(), E_SM.end()}, L_SM);
    Accessibility::setRowCaption({E_GAT.begin(), E_GAT.end()}, CB_ModTCPs_EN_GAT);
    L_PORT->setBuddy(E_PORT);
    L_State_DN->setBuddy(E_State_DN);
    for (Group *g : {&m_dnetGroup, &m_modbusGroup}) {
        Accessibility::setContext(g->collapse, g->box);
        Accessibility::setContext(g->expand, g->box);
    }

    Collapse_Expand_Creation();
    Move_GroupBoxs();
    Set_Lang();
}

void TFParGen::Set_Lang()
{
    setWindowTitle(text(400));
    titleDescription()->setText(text(401));
    Btn_OK->setText(text(402));
    Btn_OK->setToolTip(text(486));
    Btn_Cancel->setText(text(403));
    Btn_Cancel->setToolTip(text(487));
    m_dnetGroup.box->setTitle(text(404));
    L_ID_DNET_Master->setText(text(405));
    E_ID_DNET_Master->setToolTip(text(449));
    L_Baud_DNET_Master->setText(text(406));
    CB_Baud_DNET_Master->setToolTip(text(450));
    L_DNET_Master_Interscan_Delay->setText(text(497));
    E_DNET_Master_Interscan_Delay->setToolTip(text(498));
    m_modbusGroup.box->setTitle(text(407));
    L_IP->setText(text(408));
    L_SM->setText(text(409));
    CB_ModTCPs_EN_GAT->setText(text(410));
    CB_ModTCPs_EN_GAT->setToolTip(text(459));
    for (int i = 0; i < 4; ++i) {
        E_IP[i]->setToolTip(text(451 + i));
        E_SM[i]->setToolTip(text(455 + i));
        E_GAT[i]->setToolTip(text(460 + i));
    }
    L_PORT->setText(text(411));
    E_PORT->setToolTip(text(464));
    L_State_DN->setText(text(412));
    E_State_DN->setToolTip(text(465));
    for (Group *g : {&m_dnetGroup, &m_modbusGroup}) {
        g->collapse->setToolTip(text(418));
        g->expand->setToolTip(text(419));
    }
}

void TFParGen::Collapse_Expand_Creation()
{
    for (Group *g : {&m_dnetGroup, &m_modbusGroup}) {
        *g->expanded = true;
        g->collapse->show();
        g->expand->hide();
    }
}

void TFParGen::Btn_GB_Collapse(Group &group)
{
    group.box->resize(GroupWidth, FoldedHeight);
    for (QWidget *w : std::as_const(group.firstRow))
        w->hide();
    group.collapse->hide();
    group.expand->show();
    *group.expanded = false;
    Move_GroupBoxs();
}

void TFParGen::Btn_GB_Expande(Group &group)
{
    for (QWidget *w : std::as_const(group.firstRow))
        w->show();
    group.collapse->show();
    group.expand->hide();
    *group.expanded = true;
    Move_GroupBoxs();
}

void TFParGen::Move_GroupBoxs()
{
    RePosition_Objects_917();
}

void TFParGen::RePosition_Objects_917()
{
    QGroupBox *dnet = m_dnetGroup.box;
    QGroupBox *modbus = m_modbusGroup.box;
    dnet->move(GroupLeft, FirstGroupTop);
    dnet->show();
    if (GB_DeviceNet_Master_Visible)
        dnet->resize(GroupWidth, bottomOf(E_DNET_Master_Interscan_Delay) + GroupBottomMargin);
    modbus->move(GroupLeft, bottomOf(dnet) + GroupGap);
    modbus->show();
    if (GB_Modbus_TCP_Slave_Visible)
        modbus->resize(GroupWidth, bottomOf(E_State_DN) + GroupBottomMargin);
    const int buttonsTop = bottomOf(modbus) + ButtonGap;
    Btn_OK->move(Btn_OK->x(), buttonsTop);
    Btn_Cancel->move(Btn_Cancel->x(), buttonsTop);
    setFixedClientSize(ClientWidth, bottomOf(modbus) + WindowBottomMargin);
}

void TFParGen::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    centreOnScreen();
    FormShow();
    FormActivate();
}

void TFParGen::FormShow()
{
    // Values are read whole before any field changes: after an unreadable document the fields keep
    // what they showed, and Is_Change stays as it was.
    ErrorReport::run(messages(), [this] {
        const ParGenValues values = ParGenDocument::load(m_ctx.paths.ParGenPath);
        fillFields(values);
        Is_Change = false;
    });
}

void TFParGen::FormActivate()
{
    if (const QScreen *s = screen())
        if (frameGeometry().top() < s->geometry().top())
            move(x(), s->geometry().top());
}

void TFParGen::fillFields(const ParGenValues &v)
{
    m_deviceType = v.Device_Type;
    E_ID_DNET_Master->setText(v.DNET_DEV_ID);
    m_storedBaud = v.DNET_BAUD;
    CB_Baud_DNET_Master->setCurrentIndex(v.DNET_BAUD >= 0 && v.DNET_BAUD < CB_Baud_DNET_Master->count() ? v.DNET_BAUD
                                                                                                        : -1);
    E_DNET_Master_Interscan_Delay->setText(v.DNET_INTERSCAN_DELAY);
    for (int i = 0; i < 4; ++i) {
        E_IP[i]->setText(v.MTCPs_IP[i]);
        E_SM[i]->setText(v.MTCPs_SUB[i]);
        E_GAT[i]->setText(v.MTCPs_GAT[i]);
    }
    CB_ModTCPs_EN_GAT->setChecked(v.MTCPs_EN_GAT);
    E_PORT->setText(v.MTCPs_PORT);
    E_State_DN->setText(v.MTCPs_DN_State);
}

ParGenValues TFParGen::fieldValues() const
{
    ParGenValues v;
    v.Device_Type = m_deviceType;
    v.DNET_DEV_ID = E_ID_DNET_Master->text();
    v.DNET_BAUD = CB_Baud_DNET_Master->currentIndex() >= 0 ? CB_Baud_DNET_Master->currentIndex() : m_storedBaud;
    v.DNET_INTERSCAN_DELAY = E_DNET_Master_Interscan_Delay->text();
    for (int i = 0; i < 4; ++i) {
        v.MTCPs_IP[i] = E_IP[i]->text();
        v.MTCPs_SUB[i] = E_SM[i]->text();
        v.MTCPs_GAT[i] = E_GAT[i]->text();
    }
    v.MTCPs_EN_GAT = CB_ModTCPs_EN_GAT->isChecked();
    v.MTCPs_PORT = E_PORT->text();
    v.MTCPs_DN_State = E_State_DN->text();
    return v;
}

bool TFParGen::Controllo_Dati()
{
    const int failure = ::Controllo_Dati(fieldValues());
    if (failure == 0)
        return true;
    messages().error(text(failure));
    return false;
}

void TFParGen::Btn_OKClick()
{
    if (!Controllo_Dati())
        return;
    // A failed save throws: the general error report shows it and the dialog stays open.
    ParGenDocument::save(fieldValues(), m_ctx.paths.ParGenPath);
    accept();
}

void TFParGen::Btn_CancelClick()
{
    if (Is_Change && !messages().question(text(448)))
        return;
    reject();
}
