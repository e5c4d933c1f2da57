#include "TFMapOverview.h"

#include "Accessibility.h"
#include "MapOverviewModel.h"
#include "TFMonitor.h"
#include "documents/PastBytes.h"
#include "text/Plural.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int Width = 680;
constexpr int Height = 560;
constexpr int MinimumWidth = Width; // the filters and the count need the whole row
constexpr int MinimumHeight = 400;
// The free-bytes list and the button below the table keep their height; the table takes the rest.
constexpr int TableTop = 108;
constexpr int BelowTable = 172;
constexpr int ListGap = 8;

// Entry order of the page filter, and the page each entry stands for (0 both).
const int PageFilters[] = {0, ModbusMap::Read, ModbusMap::Write};

} // namespace

TFMapOverview::TFMapOverview(AppContext &context, const ModbusMap &map, QWidget *parent)
    : DialogBase(context, parent)
    , m_map(map)
{
    setObjectName(QStringLiteral("TFMapOverview"));
    // A map of hundreds of registers needs room: the window can be made larger (or maximised).
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(Width, Height);
    m_titleBand = makeTitleBand(Width);

    L_Filter_Slave = makeLabel(this, QStringLiteral("L_Filter_Slave"), QRect(16, 82, 70, 16));
    CB_Filter_Slave = new QComboBox(this);
    CB_Filter_Slave->setObjectName(QStringLiteral("CB_Filter_Slave"));
    CB_Filter_Slave->setGeometry(90, 78, 220, 22);
    L_Filter_Page = makeLabel(this, QStringLiteral("L_Filter_Page"), QRect(326, 82, 60, 16));
    CB_Filter_Page = new QComboBox(this);
    CB_Filter_Page->setObjectName(QStringLiteral("CB_Filter_Page"));
    CB_Filter_Page->setGeometry(390, 78, 130, 22);
    L_Count = makeLabel(this, QStringLiteral("L_Count"), QRect(532, 82, Width - 548, 16));
    L_Count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_model = new MapOverviewModel(map, context.catalog, this);
    TV_Registers = makeRowTable(this, QStringLiteral("TV_Registers"), QRect(16, 108, Width - 32, 280), m_model);

    L_Free_Bytes = makeLabel(this, QStringLiteral("L_Free_Bytes"), QRect(16, 396, Width - 32, 16));
    LB_Free_Bytes = new QListWidget(this);
    LB_Free_Bytes->setObjectName(QStringLiteral("LB_Free_Bytes"));
    LB_Free_Bytes->setGeometry(16, 414, Width - 32, 96);
    LB_Free_Bytes->setUniformItemSizes(true);
    // Bytes a register carries are no free bytes even where the slave lacks them: they have their own list.
    L_Past_Bytes = makeLabel(this, QStringLiteral("L_Past_Bytes"), QRect(16, 396, Width - 32, 16));
    LB_Past_Bytes = new QListWidget(this);
    LB_Past_Bytes->setObjectName(QStringLiteral("LB_Past_Bytes"));
    LB_Past_Bytes->setUniformItemSizes(true);

    // The monitor reads the saved map, which is what the device was given; it says so when the map
    // shown here differs.
    Btn_Monitor = makeButton(this, QStringLiteral("Btn_Monitor"), QRect(Width - 252, 522, 110, 28));
    onClick(Btn_Monitor, [this] { TFMonitor::Show_Monitor(m_ctx, this, &m_map); });
    Btn_Close = makeButton(this, QStringLiteral("Btn_Close"), QRect(Width - 126, 522, 110, 28));
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);

    m_free = MapOverview::freeBytes(map);
    m_past = MapOverview::bytesPastCount(map);
    L_Past_Bytes->setVisible(!m_past.isEmpty());
    LB_Past_Bytes->setVisible(!m_past.isEmpty());
    CB_Filter_Slave->addItem(QString());
    for (int s = 0; s < map.slaveCount(); ++s) {
        const TDNET_Slave &slave = map.slave(s);
        QString entry = QString::number(s + 1) + QStringLiteral(": ") + slave.ID;
        if (!slave.Mnemonic.isEmpty())
            entry += QStringLiteral(" (") + slave.Mnemonic + QLatin1Char(')');
        CB_Filter_Slave->addItem(entry);
    }
    CB_Filter_Page->addItems({QString(), QString(), QString()});
    connect(CB_Filter_Slave, &QComboBox::currentIndexChanged, this,
            ErrorReport::guarded(m_ctx.messages, [this] { filterChanged(); }));
    connect(CB_Filter_Page, &QComboBox::currentIndexChanged, this,
            ErrorReport::guarded(m_ctx.messages, [this] { filterChanged(); }));
    // Double-click, Enter and (below) Space choose a register: whatever the platform activates with.
    connect(TV_Registers, &QAbstractItemView::activated, this,
            [this](const QModelIndex &index) { registerChosen(index); });
    // Rows are chosen, not cells: Tab goes on to the lists and buttons below instead of from cell to
    // cell round the table (the arrows move in it), and so does Ctrl+Tab (below).
    TV_Registers->setTabKeyNavigation(false);
    TV_Registers->installEventFilter(this);
    setTabOrder(CB_Filter_Slave, CB_Filter_Page);
    setTabOrder(CB_Filter_Page, TV_Registers);
    setTabOrder(TV_Registers, LB_Free_Bytes);
    setTabOrder(LB_Free_Bytes, LB_Past_Bytes);
    setTabOrder(LB_Past_Bytes, Btn_Monitor);
    setTabOrder(Btn_Monitor, Btn_Close);

    // Names read by assistive technology: each filter after its label, the table and list after theirs.
    L_Filter_Slave->setBuddy(CB_Filter_Slave);
    L_Filter_Page->setBuddy(CB_Filter_Page);
    Accessibility::setCaption(CB_Filter_Slave, {L_Filter_Slave});
    Accessibility::setCaption(CB_Filter_Page, {L_Filter_Page});
    Accessibility::setCaption(LB_Free_Bytes, {L_Free_Bytes});
    Accessibility::setCaption(LB_Past_Bytes, {L_Past_Bytes});

    placeByteLists();
    Set_Lang();
}

void TFMapOverview::Set_Lang()
{
    // How many registers carry bytes their slave does not have, where the user looks first.
    const int past = int(PastBytes::find(m_map).size());
    setWindowTitle(past > 0 ? text(1390) + QStringLiteral(" - ") + Plural::pick(m_ctx.catalog, past, 1712, 1485).arg(past)
                            : text(1390));
    titleDescription()->setText(text(1391));
    L_Filter_Slave->setText(text(1399));
    CB_Filter_Slave->setItemText(0, text(1400));
    L_Filter_Page->setText(text(1401));
    CB_Filter_Page->setItemText(0, text(1402));
    CB_Filter_Page->setItemText(1, text(1369));
    CB_Filter_Page->setItemText(2, text(1370));
    L_Free_Bytes->setText(text(1403));
    L_Past_Bytes->setText(text(1724));
    Btn_Close->setText(text(1404));
    Btn_Monitor->setText(text(1552));
    Btn_Monitor->setToolTip(text(1553));
    TV_Registers->setToolTip(text(1405));
    TV_Registers->setAccessibleName(text(1504));
    // Columns as wide as their caption in this language needs, at least as the values need.
    // The page names and "None" are words of the language too: their columns fit them as well.
    const int widths[] = {90, 60, 50, 60, 130, 70, 70};
    const QFontMetrics metrics = TV_Registers->horizontalHeader()->fontMetrics();
    const QFontMetrics cellMetrics = TV_Registers->fontMetrics();
    const auto cellWidth = [&cellMetrics](const QString &value) { return cellMetrics.horizontalAdvance(value) + 16; };
    for (int c = 0; c < 7; ++c) {
        int width = std::max(widths[c], metrics.horizontalAdvance(text(1392 + c)) + 20);
        if (c == 1)
            width = std::max({width, cellWidth(text(1369)), cellWidth(text(1370))});
        if (c == 5 || c == 6)
            width = std::max(width, cellWidth(text(660)));
        TV_Registers->setColumnWidth(c, width);
    }
    filterChanged();
}

void TFMapOverview::filterChanged()
{
    const int slave = CB_Filter_Slave->currentIndex() - 1;
    const int page = PageFilters[std::max(0, CB_Filter_Page->currentIndex())];
    m_model->setFilter(slave, page);
    const int rows = m_model->rowCount();
    L_Count->setText(Plural::pick(m_ctx.catalog, rows, 1710, 1406).arg(rows));
    fillByteLists();
}

void TFMapOverview::fillByteLists()
{
    const int slave = m_model->slaveFilter();
    const int page = m_model->pageFilter();
    const auto fill = [&](QListWidget *list, const QVector<FreeBytes> &all, int noneText) {
        QStringList lines;
        for (const FreeBytes &f : all) {
            if ((slave < 0 || f.slave == slave) && (page == 0 || f.page == page))
                lines.append(MapOverview::bytesLine(m_map, f, m_ctx.catalog));
        }
        if (lines.isEmpty())
            lines.append(text(noneText));
        list->clear();
        list->addItems(lines);
    };
    fill(LB_Free_Bytes, m_free, 1408);
    fill(LB_Past_Bytes, m_past, 1731);
}

void TFMapOverview::placeByteLists()
{
    // Side by side when the map has bytes past a slave's count, else the free bytes take the whole row.
    const int below = height() - BelowTable;
    const int room = width() - 32;
    const int freeWidth = m_past.isEmpty() ? room : (room - ListGap) / 2;
    L_Free_Bytes->setGeometry(16, below + 8, freeWidth, 16);
    LB_Free_Bytes->setGeometry(16, below + 26, freeWidth, 96);
    const int pastLeft = m_past.isEmpty() ? 16 : 16 + freeWidth + ListGap;
    const int pastWidth = m_past.isEmpty() ? room : room - freeWidth - ListGap;
    L_Past_Bytes->setGeometry(pastLeft, below + 8, pastWidth, 16);
    LB_Past_Bytes->setGeometry(pastLeft, below + 26, pastWidth, 96);
}

bool TFMapOverview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TV_Registers && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && TV_Registers->currentIndex().isValid()) {
            registerChosen(TV_Registers->currentIndex());
            return true;
        }
        // Ctrl+Tab leaves a table, as in the slave list; the view itself would take it as a move to the next cell.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier)) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    return DialogBase::eventFilter(watched, event);
}

void TFMapOverview::resizeEvent(QResizeEvent *event)
{
    DialogBase::resizeEvent(event);
    if (!Btn_Close)
        return;
    const int w = width();
    const int h = height();
    m_titleBand->resize(w, m_titleBand->height());
    L_Count->setGeometry(532 + (w - Width), 82, Width - 548, 16);
    TV_Registers->setGeometry(16, TableTop, w - 32, h - TableTop - BelowTable);
    placeByteLists();
    Btn_Monitor->setGeometry(w - 252, h - 38, 110, 28);
    Btn_Close->setGeometry(w - 126, h - 38, 110, 28);
}

void TFMapOverview::registerChosen(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_chosen = m_model->overviewRow(index.row());
    accept();
}
