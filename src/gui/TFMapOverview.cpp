#include "TFMapOverview.h"

#include "Accessibility.h"
#include "MapOverviewModel.h"
#include "documents/PastBytes.h"
#include "TFMonitor.h"

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

    Btn_Close = makeButton(this, QStringLiteral("Btn_Close"), QRect(Width - 126, 522, 110, 28));
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    // The monitor reads the saved map, which is what the device was given; it says so when the map
    // shown here differs.
    Btn_Monitor = makeButton(this, QStringLiteral("Btn_Monitor"), QRect(Width - 252, 522, 110, 28));
    onClick(Btn_Monitor, [this] { TFMonitor::Show_Monitor(m_ctx, this, &m_map); });

    m_free = MapOverview::freeBytes(map);
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
    TV_Registers->installEventFilter(this);

    // Names read by assistive technology: each filter after its label, the table and list after theirs.
    L_Filter_Slave->setBuddy(CB_Filter_Slave);
    L_Filter_Page->setBuddy(CB_Filter_Page);
    Accessibility::setCaption(CB_Filter_Slave, {L_Filter_Slave});
    Accessibility::setCaption(CB_Filter_Page, {L_Filter_Page});
    Accessibility::setCaption(LB_Free_Bytes, {L_Free_Bytes});

    Set_Lang();
}

void TFMapOverview::Set_Lang()
{
    // How many registers carry bytes their slave does not have, where the user looks first.
    const int past = int(PastBytes::find(m_map).size());
    setWindowTitle(past > 0 ? text(1390) + QStringLiteral(" - ") + text(1485).arg(past) : text(1390));
    titleDescription()->setText(text(1391));
    L_Filter_Slave->setText(text(1399));
    CB_Filter_Slave->setItemText(0, text(1400));
    L_Filter_Page->setText(text(1401));
    CB_Filter_Page->setItemText(0, text(1402));
    CB_Filter_Page->setItemText(1, text(1369));
    CB_Filter_Page->setItemText(2, text(1370));
    L_Free_Bytes->setText(text(1403));
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
    L_Count->setText(text(1406).arg(m_model->rowCount()));
    fillFreeBytes();
}

void TFMapOverview::fillFreeBytes()
{
    LB_Free_Bytes->clear();
    const int slave = m_model->slaveFilter();
    const int page = m_model->pageFilter();
    QStringList lines;
    for (const FreeBytes &f : m_free) {
        if ((slave < 0 || f.slave == slave) && (page == 0 || f.page == page))
            lines.append(MapOverview::freeBytesLine(m_map, f, m_ctx.catalog));
    }
    for (const FreeBytes &p : MapOverview::bytesPastCount(m_map)) {
        if ((slave < 0 || p.slave == slave) && (page == 0 || p.page == page))
            lines.append(MapOverview::pastBytesLine(m_map, p, m_ctx.catalog));
    }
    if (lines.isEmpty())
        lines.append(text(1408));
    LB_Free_Bytes->addItems(lines);
}

bool TFMapOverview::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TV_Registers && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space && TV_Registers->currentIndex().isValid()) {
        registerChosen(TV_Registers->currentIndex());
        return true;
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
    const int below = h - BelowTable;
    L_Free_Bytes->setGeometry(16, below + 8, w - 32, 16);
    LB_Free_Bytes->setGeometry(16, below + 26, w - 32, 96);
    Btn_Close->setGeometry(w - 126, h - 38, 110, 28);
}

void TFMapOverview::registerChosen(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_chosen = m_model->overviewRow(index.row());
    accept();
}
