#include "TFMonitor.h"

#include "MonitorModel.h"
#include "base/AppError.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTableView>

#include <algorithm>

namespace {

constexpr int Width = 900;

// Entry order of the page filter, and the page each entry stands for (0 both).
const int PageFilters[] = {0, ModbusMap::Read, ModbusMap::Write};
const int Functions[] = {3, 4};

} // namespace

TFMonitor::TFMonitor(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
    , m_source(MonitorSource::load(context.paths))
{
    if (!m_ctx.platform.modbus)
        throw AppError(QStringLiteral("No Modbus TCP connection is available in this program."));
    setObjectName(QStringLiteral("TFMonitor"));
    setFixedClientSize(Width, 600);
    makeTitleBand(Width);

    m_table.build(m_source.map, m_source.stateRegister);
    m_poller = std::make_unique<RegisterPoller>(m_ctx.platform.modbus->create(), m_table);

    L_Host = makeLabel(this, QStringLiteral("L_Host"), QRect(16, 80, 60, 16));
    E_Host = new QLineEdit(this);
    E_Host->setObjectName(QStringLiteral("E_Host"));
    E_Host->setGeometry(78, 77, 130, 22);
    E_Host->setText(m_source.settings.host);
    L_Host->setBuddy(E_Host);
    L_Port = makeLabel(this, QStringLiteral("L_Port"), QRect(218, 80, 40, 16));
    E_Port = new QSpinBox(this);
    E_Port->setObjectName(QStringLiteral("E_Port"));
    E_Port->setGeometry(260, 77, 72, 22);
    E_Port->setRange(1, 65535);
    E_Port->setValue(m_source.settings.port);
    L_Port->setBuddy(E_Port);
    L_Unit = makeLabel(this, QStringLiteral("L_Unit"), QRect(342, 80, 36, 16));
    E_Unit = new QSpinBox(this);
    E_Unit->setObjectName(QStringLiteral("E_Unit"));
    E_Unit->setGeometry(380, 77, 56, 22);
    E_Unit->setRange(0, 255);
    E_Unit->setValue(1);
    L_Unit->setBuddy(E_Unit);
    L_Function = makeLabel(this, QStringLiteral("L_Function"), QRect(446, 80, 70, 16));
    CB_Function = new QComboBox(this);
    CB_Function->setObjectName(QStringLiteral("CB_Function"));
    CB_Function->setGeometry(518, 77, 170, 22);
    CB_Function->addItems({QString(), QString()});
    L_Function->setBuddy(CB_Function);
    L_Period = makeLabel(this, QStringLiteral("L_Period"), QRect(698, 80, 80, 16));
    E_Period = new QSpinBox(this);
    E_Period->setObjectName(QStringLiteral("E_Period"));
    E_Period->setGeometry(780, 77, 104, 22);
    E_Period->setRange(PollSettings::MinPeriodMs, PollSettings::MaxPeriodMs);
    E_Period->setSingleStep(100);
    E_Period->setValue(1000);
    L_Period->setBuddy(E_Period);

    L_Filter_Slave = makeLabel(this, QStringLiteral("L_Filter_Slave"), QRect(16, 112, 60, 16));
    CB_Filter_Slave = new QComboBox(this);
    CB_Filter_Slave->setObjectName(QStringLiteral("CB_Filter_Slave"));
    CB_Filter_Slave->setGeometry(78, 108, 254, 22);
    L_Filter_Slave->setBuddy(CB_Filter_Slave);
    L_Filter_Page = makeLabel(this, QStringLiteral("L_Filter_Page"), QRect(342, 112, 60, 16));
    CB_Filter_Page = new QComboBox(this);
    CB_Filter_Page->setObjectName(QStringLiteral("CB_Filter_Page"));
    CB_Filter_Page->setGeometry(404, 108, 130, 22);
    L_Filter_Page->setBuddy(CB_Filter_Page);
    Btn_Apply = makeButton(this, QStringLiteral("Btn_Apply"), QRect(Width - 126, 106, 110, 26));
    onClick(Btn_Apply, [this] { Btn_ApplyClick(); });

    m_model = new MonitorModel(m_table, m_ctx.catalog, this);
    TV_Monitor = makeRowTable(this, QStringLiteral("TV_Monitor"), QRect(16, 140, Width - 32, 400), m_model);

    L_Status = makeLabel(this, QStringLiteral("L_Status"), QRect(16, 548, Width - 160, 44));
    L_Status->setWordWrap(true);
    Btn_Close = makeButton(this, QStringLiteral("Btn_Close"), QRect(Width - 126, 558, 110, 28));
    connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);

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
    connect(m_poller.get(), &RegisterPoller::pollFinished, this,
            [this](const PollSummary &summary) { pollFinished(summary); });
    connect(m_poller.get(), &RegisterPoller::stateChanged, this, [this] { showStatus(); });

    Set_Lang();
}

TFMonitor::~TFMonitor() = default;

void TFMonitor::Show_Monitor(AppContext &context, QWidget *parent)
{
    TFMonitor monitor(context, parent);
    monitor.exec();
}

void TFMonitor::Set_Lang()
{
    setWindowTitle(text(1550));
    titleDescription()->setText(text(1551));
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
    Btn_Apply->setText(text(1565));
    Btn_Close->setText(text(1566));
    TV_Monitor->setToolTip(text(1587));
    // The table has no label of its own: it is what the window shows.
    TV_Monitor->setAccessibleName(text(1550));
    const int widths[] = {60, 56, 72, 120, 64, 64, 64, 64, 64, 64, 120};
    const QFontMetrics metrics = TV_Monitor->horizontalHeader()->fontMetrics();
    for (int c = 0; c < MonitorModel::Columns; ++c)
        TV_Monitor->setColumnWidth(c, std::max(widths[c], metrics.horizontalAdvance(text(1568 + c)) + 16));
    showStatus();
}

void TFMonitor::showEvent(QShowEvent *event)
{
    DialogBase::showEvent(event);
    if (!event->spontaneous() && m_poller->state() == RegisterPoller::State::Stopped)
        Btn_ApplyClick();
}

void TFMonitor::done(int result)
{
    // No request is left behind the closed window.
    m_poller->stop();
    DialogBase::done(result);
}

void TFMonitor::Btn_ApplyClick()
{
    PollSettings settings;
    settings.host = E_Host->text().trimmed();
    settings.port = quint16(E_Port->value());
    settings.unit = quint8(E_Unit->value());
    settings.function = Functions[std::max(0, CB_Function->currentIndex())];
    settings.periodMs = E_Period->value();
    settings.replyTimeoutMs = m_replyTimeoutMs;
    m_model->setFunction(settings.function);
    m_anyPoll = false;
    m_lastAnswered = PollSummary();
    m_poller->start(settings);
    showStatus();
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
    if (summary.answered > 0)
        m_lastAnswered = summary;
    m_table.takeTouched();
    m_model->refresh();
    showStatus();
}

void TFMonitor::showStatus()
{
    if (!L_Status || !m_poller)
        return;
    QStringList lines;
    const PollSettings &settings = m_poller->settings();
    if (m_lastAnswered.finishedAt.isValid())
        lines.append(text(1580)
                         .arg(m_lastAnswered.finishedAt.toString(QStringLiteral("HH:mm:ss")))
                         .arg(m_lastAnswered.answered)
                         .arg(m_lastAnswered.requests)
                         .arg(m_lastAnswered.elapsedMs));
    if (m_poller->state() == RegisterPoller::State::Connecting)
        lines.append(text(1579).arg(settings.host).arg(settings.port));
    else if (m_anyPoll && m_last.failure.kind != MonitorError::None)
        lines.append(text(1581).arg(MonitorTable::errorText(m_last.failure, m_ctx.catalog))
                         .arg((m_poller->reconnectPauseMs() + 999) / 1000));
    L_Status->setText(lines.join(QLatin1Char('\n')));
}
