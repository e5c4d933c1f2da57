#include "TFDefineModbusRegs.h"

#include "Accessibility.h"
#include "PassiveFocusList.h"
#include "RegisterMapTools.h"
#include "documents/PastBytes.h"
#include "text/Plural.h"
#include "base/ConfigurationLock.h"
#include "documents/SlaveListLimits.h"

#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStringBuilder>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextOption>

#include <algorithm>

namespace {

// List lines carry the slave ID and its byte count separated by a tab; the list lines them up on
// fixed tab stops like a classic list box does.
class TabStopDelegate : public QStyledItemDelegate
{
public:
    TabStopDelegate(qreal distance, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_distance(distance)
    {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
        const QString line = opt.text;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        painter->save();
        const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        const QPalette::ColorRole role =
            (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
        painter->setPen(opt.palette.color(group, role));
        painter->setFont(opt.font);
        QTextOption textOption(Qt::AlignLeft | Qt::AlignVCenter);
        textOption.setWrapMode(QTextOption::NoWrap);
        textOption.setTabStopDistance(m_distance);
        painter->drawText(QRectF(textRect), line, textOption);
        painter->restore();
    }

private:
    qreal m_distance;
};

// A horizontal dialog unit is a quarter of the font's average character width.
qreal dialogUnitsToPixels(const QWidget *widget, int units)
{
    return widget->fontMetrics().averageCharWidth() * units / 4.0;
}

void setBaseColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
}

const QColor EditorColour(204, 255, 204);
const QColor RegisterListColour(224, 255, 255);

} // namespace

TFDefineModbusRegs::TFDefineModbusRegs(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFDefineModbusRegs"));
    setFixedClientSize(629, 530);
    makeTitleBand(629);

    PC_Modbus = new QTabWidget(this);
    PC_Modbus->setObjectName(QStringLiteral("PC_Modbus"));
    PC_Modbus->setGeometry(8, 72, 613, 412);
    buildPage(ModbusMap::Read);
    buildPage(ModbusMap::Write);

    Btn_OK = makeButton(this, QStringLiteral("Btn_OK"), QRect(385, 494, 110, 28));
    Btn_Cancel = makeButton(this, QStringLiteral("Btn_Cancel"), QRect(503, 494, 110, 28));
    // What the last whole-map tool did, between the tools button and OK.
    L_Status = makeLabel(this, QStringLiteral("L_Status"), QRect(146, 486, 232, 42));
    L_Status->setWordWrap(true);
    QFont statusFont = L_Status->font();
    statusFont.setPixelSize(11);
    L_Status->setFont(statusFont);
    onClick(Btn_OK, [this] { Btn_OKClick(); });
    connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    new RegisterMapTools(*this);

    Set_Lang();
}

void TFDefineModbusRegs::buildPage(int p)
{
    const QString suffix = p == ModbusMap::Read ? QStringLiteral("Read") : QStringLiteral("Write");
    Page &pg = page(p);
    pg.tab = new QWidget;
    pg.tab->setObjectName(QStringLiteral("TS_") + suffix);
    PC_Modbus->addTab(pg.tab, QString());

    const auto name = [&suffix](const QString &stem) { return stem + suffix; };

    // Slave column; its captions may use the gap up to the register column.
    pg.slaveCaption[0] = makeLabel(pg.tab, name(QStringLiteral("L_Slave_List_1_")), QRect(6, 6, 166, 16));
    pg.slaveCaption[1] = makeLabel(pg.tab, name(QStringLiteral("L_Slave_List_2_")), QRect(6, 22, 166, 16));
    pg.slaves = new QListWidget(pg.tab);
    pg.slaves->setObjectName(QStringLiteral("LB_DeviceNet_Slave_%1_Frames").arg(suffix));
    pg.slaves->setGeometry(6, 42, 160, 330);
    pg.slaves->setItemDelegate(new TabStopDelegate(dialogUnitsToPixels(pg.slaves, 42), pg.slaves));
    pg.slaves->setUniformItemSizes(true);

    // Register column.
    pg.regCaption[0] = makeLabel(pg.tab, name(QStringLiteral("L_Reg_List_1_")), QRect(174, 6, 200, 16));
    pg.regCaption[1] = makeLabel(pg.tab, name(QStringLiteral("L_Reg_List_2_")), QRect(174, 22, 200, 16));
    pg.regs = new PassiveFocusList(pg.tab);
    pg.regs->setObjectName(QStringLiteral("LB_Modbus_%1_Regs").arg(suffix));
    pg.regs->setGeometry(174, 42, 200, 330);
    pg.regs->setUniformItemSizes(true);
    setBaseColour(pg.regs, RegisterListColour);

    // Register editor.
    const int x = 382;
    pg.editorCaption[0] = makeLabel(pg.tab, name(QStringLiteral("L_Editor_1_")), QRect(x, 6, 220, 16));
    pg.editorCaption[1] = makeLabel(pg.tab, name(QStringLiteral("L_Editor_2_")), QRect(x, 22, 220, 16));
    pg.index = new QLineEdit(pg.tab);
    pg.index->setObjectName(name(QStringLiteral("E_Index_Modbus_")));
    pg.index->setGeometry(x, 42, 120, 22);
    pg.highCaption[0] = makeLabel(pg.tab, name(QStringLiteral("L_High_1_")), QRect(x, 74, 220, 16));
    pg.highCaption[1] = makeLabel(pg.tab, name(QStringLiteral("L_High_2_")), QRect(x, 90, 220, 16));
    pg.high = new QComboBox(pg.tab);
    pg.high->setObjectName(name(QStringLiteral("CB_Byte_High_Part_")));
    pg.high->setGeometry(x, 108, 200, 22);
    pg.lowCaption[0] = makeLabel(pg.tab, name(QStringLiteral("L_Low_1_")), QRect(x, 140, 220, 16));
    pg.lowCaption[1] = makeLabel(pg.tab, name(QStringLiteral("L_Low_2_")), QRect(x, 156, 220, 16));
    pg.low = new QComboBox(pg.tab);
    pg.low->setObjectName(name(QStringLiteral("CB_Byte_Low_Part_")));
    pg.low->setGeometry(x, 174, 200, 22);
    for (QWidget *w :
         {static_cast<QWidget *>(pg.index), static_cast<QWidget *>(pg.high), static_cast<QWidget *>(pg.low)})
        setBaseColour(w, EditorColour);

    pg.create = makeButton(pg.tab, name(QStringLiteral("Btn_Create_")), QRect(x, 214, 96, 26));
    pg.modify = makeButton(pg.tab, name(QStringLiteral("Btn_Modify_")), QRect(x + 104, 214, 96, 26));
    pg.remove = makeButton(pg.tab, name(QStringLiteral("Btn_Delete_")), QRect(x, 248, 96, 26));
    pg.copy = makeButton(pg.tab, name(QStringLiteral("Btn_Copy_")), QRect(x, 296, 96, 26));
    pg.paste = makeButton(pg.tab, name(QStringLiteral("Btn_Paste_")), QRect(x + 104, 296, 96, 26));
    onClick(pg.create, [this, p] { Add_Mod_Reg(p); });
    onClick(pg.modify, [this, p] { Modify_Mod_Reg(p); });
    onClick(pg.remove, [this, p] { Delete_Mod_Reg(p); });
    onClick(pg.copy, [this, p] { Copy_Mod_Reg(p); });
    onClick(pg.paste, [this, p] { Paste_Mod_Reg(p); });

    connect(pg.slaves, &QListWidget::currentRowChanged, this,
            ErrorReport::guarded(m_ctx.messages, [this] { LB_DeviceNet_Slave_Click(); }));
    connect(pg.regs, &QListWidget::currentRowChanged, this,
            ErrorReport::guarded(m_ctx.messages, [this] { LB_Modbus_Regs_Click(); }));
    // A click on the register already selected reloads the editor from it as well.
    connect(pg.regs, &QListWidget::itemClicked, this,
            ErrorReport::guarded(m_ctx.messages, [this] { LB_Modbus_Regs_Click(); }));

    // Names read by assistive technology; the second slave line only heads the list's columns.
    Accessibility::setCaption(pg.slaves, {pg.slaveCaption[0]});
    Accessibility::setCaption(pg.regs, {pg.regCaption[0], pg.regCaption[1]});
    Accessibility::setCaption(pg.index, {pg.editorCaption[1]});
    Accessibility::setCaption(pg.high, {pg.highCaption[0], pg.highCaption[1]});
    Accessibility::setCaption(pg.low, {pg.lowCaption[0], pg.lowCaption[1]});
}

void TFDefineModbusRegs::updateTitle()
{
    // How many registers carry bytes their slave does not have: the lists mark each of them.
    const int past = int(PastBytes::find(Lista_DNET_Slave).size());
    setWindowTitle(past > 0 ? text(600) + QStringLiteral(" - ") + Plural::pick(m_ctx.catalog, past, 1712, 1485).arg(past)
                            : text(600));
}

void TFDefineModbusRegs::Set_Lang()
{
    updateTitle();
    titleDescription()->setText(text(601));
    Btn_OK->setText(text(602));
    Btn_Cancel->setText(text(603));
    Btn_OK->setToolTip(text(656));
    Btn_Cancel->setToolTip(text(657));
    for (int p : {ModbusMap::Read, ModbusMap::Write}) {
        Page &pg = page(p);
        // The write page's captions follow the read page's 15 entries later, its hints 10 later.
        const int caption = p == ModbusMap::Read ? 606 : 621;
        const int hint = p == ModbusMap::Read ? 636 : 646;
        PC_Modbus->setTabText(p - 1, text(p == ModbusMap::Read ? 604 : 605));
        pg.slaveCaption[0]->setText(text(caption));
        pg.slaveCaption[1]->setText(text(caption + 1));
        pg.regCaption[0]->setText(text(caption + 2));
        pg.regCaption[1]->setText(text(caption + 3));
        pg.editorCaption[0]->setText(text(caption + 4));
        pg.editorCaption[1]->setText(text(caption + 5));
        pg.highCaption[0]->setText(text(caption + 6));
        pg.highCaption[1]->setText(text(caption + 7));
        pg.lowCaption[0]->setText(text(caption + 8));
        pg.lowCaption[1]->setText(text(caption + 9));
        pg.create->setText(text(caption + 10));
        pg.modify->setText(text(caption + 11));
        pg.remove->setText(text(caption + 12));
        pg.copy->setText(text(caption + 13));
        pg.paste->setText(text(caption + 14));
        pg.slaves->setToolTip(text(hint));
        pg.regs->setToolTip(text(hint + 1));
        pg.index->setToolTip(text(hint + 2));
        pg.high->setToolTip(text(hint + 3));
        pg.low->setToolTip(text(hint + 4));
        pg.create->setToolTip(text(hint + 5));
        pg.modify->setToolTip(text(hint + 6));
        pg.remove->setToolTip(text(hint + 7));
        pg.copy->setToolTip(text(hint + 8));
        pg.paste->setToolTip(text(hint + 9));
    }
}

void TFDefineModbusRegs::showStatus(const QString &status)
{
    L_Status->setText(status);
    L_Status->setToolTip(status);
    // What assistive technology reads follows the line at once, not only at the next opening.
    Accessibility::update(L_Status, m_ctx.catalog);
}

void TFDefineModbusRegs::reject()
{
    // Work of a whole-map tool is not thrown away without a word; edits of single registers are, as ever.
    if (m_bulkChanged && !messages().question(text(1502)))
        return;
    DialogBase::reject();
}

void TFDefineModbusRegs::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    // A window restored by the window system keeps its edits; only an opening reloads.
    if (!event->spontaneous())
        FormShow();
}

int TFDefineModbusRegs::exec()
{
    const SlaveListLimitFailure refused = checkSlaveListLimits(m_ctx.paths.DnetNetPath);
    if (!refused.ok()) {
        messages().error(refused.message(m_ctx.catalog));
        return QDialog::Rejected;
    }
    return DialogBase::exec();
}

void TFDefineModbusRegs::FormShow()
{
    Lista_DNET_Slave.clear();
    PC_Modbus->setCurrentIndex(0);
    // A document that cannot be read is reported and ends the loading there; the dialog still opens.
    const bool slavesRead =
        ErrorReport::run(messages(), [this] { Lista_DNET_Slave.loadSlaves(m_ctx.paths.DnetNetPath); });
    const bool registersRead =
        slavesRead && ErrorReport::run(messages(), [this] { Lista_DNET_Slave.loadRegisters(m_ctx.paths.DefRegPath); });
    m_loadFailed = !registersRead;
    m_bulkChanged = false;
    showStatus(QString());
    Aggiorna_Lista_Frame();
    Aggiorna_Lista_ModReg();
    Aggiorna_Green_Fields();
    Aggiorna_Lista_Byte();
}

int TFDefineModbusRegs::selectedSlave(int p) const
{
    const int row = m_pages[p - 1].slaves->currentRow();
    return Lista_DNET_Slave.hasSlave(row) ? row : -1;
}

int TFDefineModbusRegs::selectedRegister(int p) const
{
    const int slave = selectedSlave(p);
    const int row = m_pages[p - 1].regs->currentRow();
    return slave >= 0 && Lista_DNET_Slave.hasRegister(slave, p, row) ? row : -1;
}

QString TFDefineModbusRegs::partText(int part) const
{
    return part != 0 ? text(661) + QString::number(part) : text(660);
}

QStringList TFDefineModbusRegs::partTexts(int highest) const
{
    QStringList names{text(660)};
    const QString prefix = text(661);
    for (int n = 1; n <= highest; ++n)
        names.append(prefix + QString::number(n));
    return names;
}

QString TFDefineModbusRegs::registerLine(const TMod_Reg &reg, const QStringList &partNames) const
{
    // Built in one piece: a slave may list thousands of registers, refilled at every change of slave.
    const auto name = [&](int part) {
        return part >= 0 && part < partNames.size() ? partNames.at(part) : partText(part);
    };
    return reg.Ind_Mod % QLatin1String("; ") % name(reg.HiPart) % QLatin1String("; ") % name(reg.LoPart) %
           QLatin1Char(';');
}

void TFDefineModbusRegs::LB_DeviceNet_Slave_Click()
{
    Aggiorna_Lista_ModReg();
    Aggiorna_Green_Fields();
    Aggiorna_Lista_Byte();
}

void TFDefineModbusRegs::LB_Modbus_Regs_Click()
{
    Aggiorna_Green_Fields();
}

void TFDefineModbusRegs::Aggiorna_Lista_Frame()
{
    for (int p : {ModbusMap::Read, ModbusMap::Write}) {
        QListWidget *list = page(p).slaves;
        const QSignalBlocker blocker(list);
        list->clear();
        QStringList lines;
        lines.reserve(Lista_DNET_Slave.slaveCount());
        for (const TDNET_Slave &slave : Lista_DNET_Slave.slaves())
            lines.append(slave.ID + QLatin1Char('\t') +
                         QString::number(p == ModbusMap::Read ? slave.Num_Byte_OUT : slave.Num_Byte_IN));
        list->addItems(lines);
        list->setCurrentRow(-1);
    }
}

void TFDefineModbusRegs::Aggiorna_Lista_ModReg()
{
    for (int p : {ModbusMap::Read, ModbusMap::Write}) {
        QListWidget *list = page(p).regs;
        const QSignalBlocker blocker(list);
        list->clear();
        const int slave = selectedSlave(p);
        if (slave < 0)
            continue;
        const QVector<TMod_Reg> &regs = Lista_DNET_Slave.registers(slave, p);
        // Part names once per list rather than once per line; a document edited elsewhere may hold parts
        // beyond the slave's bytes, so the names cover the highest part any register holds.
        int highestPart = 0;
        for (const TMod_Reg &reg : regs)
            highestPart = std::max({highestPart, reg.HiPart, reg.LoPart});
        const QStringList partNames = partTexts(highestPart);
        const int bytes = Lista_DNET_Slave.byteCount(slave, p);
        QStringList lines;
        lines.reserve(regs.size());
        QVector<int> past;
        for (const TMod_Reg &reg : regs) {
            lines.append(registerLine(reg, partNames));
            if (reg.HiPart > bytes || reg.LoPart > bytes) {
                past.append(int(lines.size()) - 1);
                lines.last() += text(1484);
            }
        }
        // The mark would run past the narrow list's edge: a list holding one wraps its lines, which
        // needs each line measured (a list without one keeps the quicker uniform lines).
        list->setUniformItemSizes(past.isEmpty());
        list->setWordWrap(!past.isEmpty());
        list->addItems(lines);
        for (const int row : past) {
            QListWidgetItem *item = list->item(row);
            item->setForeground(QColor(176, 0, 0));
            item->setToolTip(text(1506));
        }
        list->setCurrentRow(-1);
    }
    updateTitle();
}

void TFDefineModbusRegs::Aggiorna_Green_Fields()
{
    for (int p : {ModbusMap::Read, ModbusMap::Write}) {
        Page &pg = page(p);
        const int slave = selectedSlave(p);
        const int reg = selectedRegister(p);
        if (slave >= 0 && reg >= 0) {
            const TMod_Reg &stored = Lista_DNET_Slave.registers(slave, p).at(reg);
            pg.index->setText(stored.Ind_Mod);
            // A part beyond the slave's bytes (a document edited elsewhere) leaves the list without a choice.
            pg.high->setCurrentIndex(stored.HiPart < pg.high->count() ? stored.HiPart : -1);
            pg.low->setCurrentIndex(stored.LoPart < pg.low->count() ? stored.LoPart : -1);
        } else {
            pg.index->clear();
            pg.high->setCurrentIndex(0);
            pg.low->setCurrentIndex(0);
        }
    }
}

void TFDefineModbusRegs::Aggiorna_Lista_Byte()
{
    for (int p : {ModbusMap::Read, ModbusMap::Write}) {
        Page &pg = page(p);
        const int slave = selectedSlave(p);
        const QStringList entries = partTexts(slave >= 0 ? Lista_DNET_Slave.byteCount(slave, p) : 0);
        for (QComboBox *box : {pg.high, pg.low}) {
            const QSignalBlocker blocker(box);
            box->clear();
            box->addItems(entries);
            box->setCurrentIndex(0);
        }
    }
}

std::optional<TMod_Reg> TFDefineModbusRegs::editorRegister(int p, int slave, int position)
{
    const Page &pg = page(p);
    TMod_Reg reg;
    reg.Ind_Mod = pg.index->text();
    reg.HiPart = pg.high->currentIndex();
    reg.LoPart = pg.low->currentIndex();
    if (const int failure = Lista_DNET_Slave.checkRegister(slave, p, position, reg.Ind_Mod, reg.HiPart, reg.LoPart)) {
        messages().error(text(failure));
        return std::nullopt;
    }
    return reg;
}

void TFDefineModbusRegs::Add_Mod_Reg(int p)
{
    const int slave = selectedSlave(p);
    if (slave < 0)
        return;
    if (const auto reg = editorRegister(p, slave, -1)) {
        Lista_DNET_Slave.appendRegister(slave, p, *reg);
        Aggiorna_Lista_ModReg();
    }
}

void TFDefineModbusRegs::Modify_Mod_Reg(int p)
{
    const int slave = selectedSlave(p);
    const int position = selectedRegister(p);
    if (slave < 0 || position < 0)
        return;
    if (const auto reg = editorRegister(p, slave, position)) {
        Lista_DNET_Slave.replaceRegister(slave, p, position, *reg);
        Aggiorna_Lista_ModReg();
    }
}

void TFDefineModbusRegs::Delete_Mod_Reg(int p)
{
    const int slave = selectedSlave(p);
    const int position = selectedRegister(p);
    if (slave < 0 || position < 0)
        return;
    Lista_DNET_Slave.removeRegister(slave, p, position);
    Aggiorna_Lista_ModReg();
}

void TFDefineModbusRegs::Copy_Mod_Reg(int p)
{
    const int slave = selectedSlave(p);
    const int position = selectedRegister(p);
    if (slave < 0 || position < 0)
        return;
    const TMod_Reg &reg = Lista_DNET_Slave.registers(slave, p).at(position);
    ACopy_Ind_Mod = reg.Ind_Mod;
    ACopy_HiPort = reg.HiPart;
    ACopy_LoPort = reg.LoPart;
}

void TFDefineModbusRegs::Paste_Mod_Reg(int p)
{
    Page &pg = page(p);
    pg.index->setText(ACopy_Ind_Mod);
    // A byte number the slave does not have leaves the list without a choice; Create and Modify refuse that.
    pg.high->setCurrentIndex(ACopy_HiPort >= 0 && ACopy_HiPort < pg.high->count() ? ACopy_HiPort : -1);
    pg.low->setCurrentIndex(ACopy_LoPort >= 0 && ACopy_LoPort < pg.low->count() ? ACopy_LoPort : -1);
}

void TFDefineModbusRegs::Btn_OKClick()
{
    if (m_loadFailed) {
        messages().error(text(663));
        return;
    }
    const QVector<RegisterPastBytes> past = PastBytes::find(Lista_DNET_Slave);
    if (!past.isEmpty() &&
        !messages().question(PastBytes::warning(past, m_ctx.catalog) + QStringLiteral("\n\n") + text(1486)))
        return;
    {
        const ConfigurationLock lock(m_ctx.paths.ProjectFolder, ConfigurationLock::MapChange);
        Lista_DNET_Slave.saveRegisters(m_ctx.paths.DefRegPath);
    }
    accept();
}
