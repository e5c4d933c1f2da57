#include "TFMonitor.h"

#include "MonitorModel.h"
#include "base/AppError.h"
#include "documents/MapOverview.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int TitleHeight = 69;
constexpr int Margin = 16;
// What the error column gets at least when the window opens at the size that fits the table.
constexpr int ErrorRoom = 260;

// Entry order of the page filter, and the page each entry stands for (0 both).
const int PageFilters[] = {0, ModbusMap::Read, ModbusMap::Write};
const int Functions[] = {3, 4};

} // namespace

TFMonitor::TFMonitor(AppContext &context, QWidget *parent, const ModbusMap *onScreen)
    : DialogBase(context, parent)
    , m_source(MonitorSource::load(context.paths))
{
    if (!m_ctx.platform.modbus)
        throw AppError(QStringLiteral("No Modbus TCP connection is available in this program."));
    setObjectName(QStringLiteral("TFMonitor"));
    // The table is as wide as its columns, and the error column as wide as the error: the window can be
    // made larger (or maximised).
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    // The map on screen tells only when it differs from the saved one: what the overview lists is the
    // whole of what it shows.
    m_unsavedOnScreen = onScreen && MapOverview::text(*onScreen, TextCatalog::english()) !=
                                        MapOverview::text(m_source.map, TextCatalog::english());

    m_table.build(m_source.map, m_source.stateRegister);
    m_poller = std::make_unique<RegisterPoller>(m_ctx.platform.modbus->create(), m_table);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    QWidget *band = makeTitleBand(900);
    band->setFixedHeight(TitleHeight);
    outer->addWidget(band);
    auto *body = new QVBoxLayout;
    body->setContentsMargins(Margin, 8, Margin, 12);
    body->setSpacing(8);
    outer->addLayout(body);

    const auto labelled = [this](QHBoxLayout *row, QLabel *&label, const char *labelName, QWidget *field) {
        label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setBuddy(field);
        row->addWidget(label);
        row->addWidget(field);
        row->addSpacing(10);
    };
    auto *connection = new QHBoxLayout;
    connection->setSpacing(4);
    E_Host = new QLineEdit(this);
    E_Host->setObjectName(QStringLiteral("E_Host"));
    E_Host->setMinimumWidth(130);
    E_Host->setText(m_source.settings.host);
    labelled(connection, L_Host, "L_Host", E_Host);
    E_Port = new QSpinBox(this);
    E_Port->setObjectName(QStringLiteral("E_Port"));
    E_Port->setRange(1, 65535);
    E_Port->setValue(m_source.settings.port);
    labelled(connection, L_Port, "L_Port", E_Port);
    E_Unit = new QSpinBox(this);
    E_Unit->setObjectName(QStringLiteral("E_Unit"));
    E_Unit->setRange(0, 255);
    E_Unit->setValue(1);
    labelled(connection, L_Unit, "L_Unit", E_Unit);
    CB_Function = new QComboBox(this);
    CB_Function->setObjectName(QStringLiteral("CB_Function"));
    CB_Function->addItems({QString(), QString()});
    CB_Function->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    labelled(connection, L_Function, "L_Function", CB_Function);
    E_Period = new QSpinBox(this);
    E_Period->setObjectName(QStringLiteral("E_Period"));
    E_Period->setRange(PollSettings::MinPeriodMs, PollSettings::MaxPeriodMs);
    E_Period->setSingleStep(100);
    E_Period->setValue(1000);
    // A period is taken when it is whole, not at each digit typed.
    E_Period->setKeyboardTracking(false);
    labelled(connection, L_Period, "L_Period", E_Period);
    connection->addStretch(1);
    body->addLayout(connection);

    auto *filters = new QHBoxLayout;
    filters->setSpacing(4);
    CB_Filter_Slave = new QComboBox(this);
    CB_Filter_Slave->setObjectName(QStringLiteral("CB_Filter_Slave"));
    CB_Filter_Slave->setMinimumWidth(220);
    labelled(filters, L_Filter_Slave, "L_Filter_Slave", CB_Filter_Slave);
    CB_Filter_Page = new QComboBox(this);
    CB_Filter_Page->setObjectName(QStringLiteral("CB_Filter_Page"));
    CB_Filter_Page->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    labelled(filters, L_Filter_Page, "L_Filter_Page", CB_Filter_Page);
    filters->addStretch(1);
    Btn_Connect = makeButton(this, QStringLiteral("Btn_Connect"), QRect(0, 0, 110, 26));
    Btn_Connect->setMinimumWidth(110);
    onClick(Btn_Connect, [this] { Btn_ConnectClick(); });
    filters->addWidget(Btn_Connect);
    body->addLayout(filters);

    L_Saved_Notice = new QLabel(this);
    L_Saved_Notice->setObjectName(QStringLiteral("L_Saved_Notice"));
    L_Saved_Notice->setWordWrap(true);
    L_Saved_Notice->setStyleSheet(QStringLiteral("color: #8a4b00;"));
    L_Saved_Notice->setVisible(m_unsavedOnScreen);
    body->addWidget(L_Saved_Notice);

    m_model = new MonitorModel(m_table, m_ctx.catalog, this);
    TV_Monitor = makeRowTable(this, QStringLiteral("TV_Monitor"), QRect(), m_model);
    body->addWidget(TV_Monitor, 1);

    auto *bottom = new QHBoxLayout;
    L_Status = new QLabel(this);
    L_Status->setObjectName(QStringLiteral("L_Status"));
    L_Status->setWordWrap(true);
    L_Status->setMinimumHeight(2 * L_Status->fontMetrics().lineSpacing() + 4);
    L_Status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bottom->addWidget(L_Status, 1);
    Btn_Close = makeButton(this, QStringLiteral("Btn_Close"), QRect(0, 0, 110, 28));
    Btn_Close->setMinimumWidth(110);
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    bottom->addWidget(Btn_Close, 0, Qt::AlignBottom);
    body->addLayout(bottom);

    CB_Filter_Slave->addItem(QString());
    for (int s = 0; s < m_source.map.slaveCount(); ++s) {
        const TDNET_Slave &slave = m_source.map.slave(s);
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
    const auto changed = ErrorReport::guarded(m_ctx.messages, [this] { connectionFieldChanged(); });
    connect(E_Host, &QLineEdit::textChanged, this, changed);
    connect(E_Port, &QSpinBox::valueChanged, this, changed);
    connect(E_Unit, &QSpinBox::valueChanged, this, changed);
    connect(CB_Function, &QComboBox::currentIndexChanged, this, changed);
    connect(E_Period, &QSpinBox::valueChanged, this, ErrorReport::guarded(m_ctx.messages, [this] { periodChanged(); }));
    connect(m_poller.get(), &RegisterPoller::pollFinished, this,
            [this](const PollSummary &summary) { pollFinished(summary); });
    connect(m_poller.get(), &RegisterPoller::stateChanged, this, [this] { showStatus(); });

    Set_Lang();

    // The size the user gave it last time, else room for every column.
    const AppSettings &settings = m_ctx.settings;
    QSize size(settings.monitorWidth, settings.monitorHeight);
    if (!size.isValid() || size.isEmpty()) {
        size = QSize(fittingWidth(), DefaultHeight);
        if (const QScreen *s = QGuiApplication::primaryScreen())
            size = size.boundedTo(s->availableGeometry().size());
    }
    resize(size.expandedTo(minimumSizeHint()));
}

TFMonitor::~TFMonitor() = default;

void TFMonitor::Show_Monitor(AppContext &context, QWidget *parent, const ModbusMap *onScreen)
{
    TFMonitor monitor(context, parent, onScreen);
    monitor.exec();
}

void TFMonitor::Set_Lang()
{
    setWindowTitle(text(1550));
    titleDescription()->setText(text(1551));
    titleDescription()->setFixedWidth(std::max(titleDescription()->sizeHint().width(), 600));
    L_Host->setText(text(1554));
    L_Port->setText(text(1555));
    L_Unit->setText(text(1556));
    L_Function->setText(text(1557));
    CB_Function->setItemText(0, text(1558));
    CB_Function->setItemText(1, text(1559));
    L_Period->setText(text(1560));
    L_Filter_Slave->setText(text(1561));
    CB_Filter_Slave->setItemText(0, text(1562));
    L_Filter_Page->setText(text(1563));
    CB_Filter_Page->setItemText(0, text(1564));
    CB_Filter_Page->setItemText(1, text(1369));
    CB_Filter_Page->setItemText(2, text(1370));
    L_Saved_Notice->setText(text(1648));
    Btn_Close->setText(text(1566));
    TV_Monitor->setToolTip(text(1587));
    // The table has no label of its own: it is what the window shows.
    TV_Monitor->setAccessibleName(text(1550));
    Q_EMIT m_model->headerDataChanged(Qt::Horizontal, 0, MonitorModel::Columns - 1);
    fitColumns();
    showStatus();
}

void TFMonitor::fitColumns()
{
    // Widths from the widest text each column can hold, not from measuring thousands of rows: a
    // value column holds at most five digits, a part column "Byte" and a byte number, and so on.
    QStringList widest[MonitorModel::Columns];
    widest[MonitorModel::Page] = {text(1567), MapOverview::pageName(ModbusMap::Read, m_ctx.catalog),
                                  MapOverview::pageName(ModbusMap::Write, m_ctx.catalog)};
    widest[MonitorModel::Index] = {QStringLiteral("65535")};
    widest[MonitorModel::Reference] = {QStringLiteral("465536")};
    for (int s = 0; s < m_source.map.slaveCount(); ++s) {
        MonitorRow row;
        row.slave = s;
        widest[MonitorModel::Slave].append(m_table.slaveText(row));
    }
    for (int c : {MonitorModel::High, MonitorModel::Low})
        widest[c] = {MonitorTable::partText(0, m_ctx.catalog), MonitorTable::partText(888, m_ctx.catalog)};
    widest[MonitorModel::Hex] = {QStringLiteral("0xFFFF")};
    widest[MonitorModel::Decimal] = {QStringLiteral("65535")};
    for (int c : {MonitorModel::HighValue, MonitorModel::LowValue})
        widest[c] = {m_source.stateRegister >= 0 ? QStringLiteral("00000000") : QStringLiteral("888")};

    QHeaderView *header = TV_Monitor->horizontalHeader();
    const int headerMargin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
    const int cellMargin = 2 * (TV_Monitor->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, TV_Monitor) + 1) + 8;
    const QFontMetrics cells = TV_Monitor->fontMetrics();
    for (int c = 0; c < MonitorModel::Error; ++c) {
        int width = header->fontMetrics().horizontalAdvance(text(1568 + c)) + headerMargin;
        for (const QString &t : std::as_const(widest[c]))
            width = std::max(width, cells.horizontalAdvance(t) + cellMargin);
        TV_Monitor->setColumnWidth(c, width);
    }
    // The error column takes the rest (the last section stretches), and at least its header.
    header->setMinimumSectionSize(std::min(header->minimumSectionSize(), 40));
}

int TFMonitor::fittingWidth() const
{
    int columns = 0;
    for (int c = 0; c < MonitorModel::Error; ++c)
        columns += TV_Monitor->columnWidth(c);
    const int frame = 2 * TV_Monitor->frameWidth() + TV_Monitor->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(minimumSizeHint().width(), 2 * Margin + frame + columns + ErrorRoom);
}

void TFMonitor::done(int result)
{
    // No request is left behind the closed window.
    m_poller->stop();
    // Kept with the other settings, written when the program ends.
    if (!isMaximized() && !isFullScreen()) {
        m_ctx.settings.monitorWidth = width();
        m_ctx.settings.monitorHeight = height();
    }
    DialogBase::done(result);
}

PollSettings TFMonitor::fieldSettings() const
{
    PollSettings settings;
    settings.host = E_Host->text().trimmed();
    settings.port = quint16(E_Port->value());
    settings.unit = quint8(E_Unit->value());
    settings.function = Functions[std::max(0, CB_Function->currentIndex())];
    settings.periodMs = E_Period->value();
    settings.replyTimeoutMs = m_replyTimeoutMs;
    return settings;
}

void TFMonitor::Btn_ConnectClick()
{
    m_settingsChanged = false;
    if (m_poller->state() != RegisterPoller::State::Stopped) {
        m_poller->stop();
        showStatus();
        return;
    }
    const PollSettings settings = fieldSettings();
    m_model->setFunction(settings.function);
    m_anyPoll = false;
    m_lastAnswered = PollSummary();
    m_poller->start(settings);
    showStatus();
}

void TFMonitor::connectionFieldChanged()
{
    // Values and errors of the device asked before would stand beside another device's: they go, and
    // so does the connection, which sends nothing to an address half typed.
    const bool wasConnected = m_poller->state() != RegisterPoller::State::Stopped;
    m_poller->stop();
    m_table.clearValues();
    m_table.takeTouched();
    m_anyPoll = false;
    m_lastAnswered = PollSummary();
    m_model->setFunction(fieldSettings().function);
    m_settingsChanged = m_settingsChanged || wasConnected;
    showStatus();
}

void TFMonitor::periodChanged()
{
    // A new period for the device asked already: the values stay.
    if (m_poller->state() != RegisterPoller::State::Stopped)
        m_poller->start(fieldSettings());
}

void TFMonitor::filterChanged()
{
    const int slave = CB_Filter_Slave->currentIndex() - 1;
    const int page = PageFilters[std::max(0, CB_Filter_Page->currentIndex())];
    m_model->setFilter(slave, page);
}

void TFMonitor::pollFinished(const PollSummary &summary)
{
    m_last = summary;
    m_anyPoll = true;
    if (summary.answered + summary.exceptions > 0)
        m_lastAnswered = summary;
    m_table.takeTouched();
    m_model->refresh();
    showStatus();
}

void TFMonitor::showStatus()
{
    if (!L_Status || !m_poller)
        return;
    const bool stopped = m_poller->state() == RegisterPoller::State::Stopped;
    Btn_Connect->setText(text(stopped ? 1642 : 1643));
    QStringList lines;
    if (stopped) {
        // What Connect would do, before it does anything.
        const PollSettings settings = fieldSettings();
        if (m_settingsChanged)
            lines.append(text(1647));
        lines.append(text(1644)
                         .arg(settings.host.isEmpty() ? QStringLiteral("-") : settings.host)
                         .arg(settings.port)
                         .arg(settings.unit)
                         .arg(settings.function));
        L_Status->setText(lines.join(QLatin1Char('\n')));
        return;
    }
    const PollSettings &settings = m_poller->settings();
    const QString answered = m_lastAnswered.answeredText(m_ctx.catalog);
    if (!answered.isEmpty())
        lines.append(answered);
    if (m_poller->state() == RegisterPoller::State::Connecting)
        lines.append(text(1579).arg(settings.host).arg(settings.port));
    else if (m_anyPoll && m_last.failure.kind != MonitorError::None)
        lines.append(text(1581).arg(MonitorTable::errorText(m_last.failure, m_ctx.catalog))
                         .arg((m_poller->reconnectPauseMs() + 999) / 1000));
    L_Status->setText(lines.join(QLatin1Char('\n')));
}
