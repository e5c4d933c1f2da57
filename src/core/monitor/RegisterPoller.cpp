#include "RegisterPoller.h"

#include "text/TextCatalog.h"

#include <algorithm>

QString PollSummary::answeredText(const TextCatalog &catalog) const
{
    if (!finishedAt.isValid() || answered + exceptions == 0)
        return QString();
    const QString time = finishedAt.toString(QStringLiteral("HH:mm:ss"));
    if (exceptions == 0)
        return catalog.text(1580).arg(time).arg(answered).arg(requests).arg(elapsedMs);
    return catalog.text(1646).arg(time).arg(answered + exceptions).arg(requests).arg(elapsedMs).arg(exceptions);
}

RegisterPoller::RegisterPoller(std::unique_ptr<ModbusTransport> transport, MonitorTable &table, QObject *parent)
    : QObject(parent)
    , m_transport(std::move(transport))
    , m_table(table)
{
    m_replyTimer.setSingleShot(true);
    m_reconnectTimer.setSingleShot(true);
    connect(&m_periodTimer, &QTimer::timeout, this, &RegisterPoller::periodElapsed);
    connect(&m_replyTimer, &QTimer::timeout, this, &RegisterPoller::replyTimedOut);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &RegisterPoller::connectNow);
    connect(m_transport.get(), &ModbusTransport::opened, this, &RegisterPoller::transportOpened);
    connect(m_transport.get(), &ModbusTransport::received, this, &RegisterPoller::transportReceived);
    connect(m_transport.get(), &ModbusTransport::failed, this, &RegisterPoller::transportFailed);
}

RegisterPoller::~RegisterPoller()
{
    stop();
}

void RegisterPoller::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void RegisterPoller::start(const PollSettings &settings)
{
    stop();
    m_settings = settings;
    m_settings.periodMs = std::clamp(settings.periodMs, PollSettings::MinPeriodMs, PollSettings::MaxPeriodMs);
    m_plan = ReadPlan::plan(m_table.addresses(), ModbusFrame::MaxRegistersPerRead);
    m_pauseMs = 0;
    m_pollWanted = true;
    m_periodTimer.start(m_settings.periodMs);
    connectNow();
}

void RegisterPoller::stop()
{
    m_periodTimer.stop();
    m_replyTimer.stop();
    m_reconnectTimer.stop();
    m_transport->close();
    m_polling = false;
    m_awaiting = false;
    m_pollWanted = false;
    m_buffer.clear();
    setState(State::Stopped);
}

void RegisterPoller::connectNow()
{
    m_buffer.clear();
    m_awaiting = false;
    setState(State::Connecting);
    // A device that drops connection requests would leave the system's own time-out (a minute or
    // more) to decide.
    m_replyTimer.start(m_settings.replyTimeoutMs);
    m_transport->open(m_settings.host, m_settings.port);
}

void RegisterPoller::periodElapsed()
{
    // A poll still running is not doubled; while the connection is down the reconnection decides.
    if (m_polling)
        return;
    if (m_state == State::Connected)
        startPoll();
    else
        m_pollWanted = true;
}

void RegisterPoller::transportOpened()
{
    m_replyTimer.stop();
    setState(State::Connected);
    if (m_pollWanted)
        startPoll();
}

void RegisterPoller::startPoll()
{
    m_pollWanted = false;
    m_polling = true;
    m_next = 0;
    m_current = PollSummary();
    m_current.requests = int(m_plan.size());
    m_pollClock.start();
    sendNext();
}

void RegisterPoller::sendNext()
{
    if (m_next >= m_plan.size()) {
        finishPoll();
        return;
    }
    const ReadRange &range = m_plan.at(m_next);
    m_request.transaction = ++m_transaction;
    m_request.unit = m_settings.unit;
    m_request.function = quint8(m_settings.function);
    m_request.start = quint16(range.start);
    m_request.count = quint16(range.count);
    m_buffer.clear();
    m_awaiting = true;
    m_replyTimer.start(m_settings.replyTimeoutMs);
    m_transport->send(ModbusFrame::encode(m_request));
}

void RegisterPoller::finishPoll()
{
    m_polling = false;
    m_awaiting = false;
    m_replyTimer.stop();
    m_current.elapsedMs = m_pollClock.isValid() ? m_pollClock.elapsed() : 0;
    m_current.finishedAt = QDateTime::currentDateTime();
    if (m_current.failure.kind == MonitorError::None)
        m_pauseMs = 0;
    m_summary = m_current;
    Q_EMIT pollFinished(m_summary);
}

void RegisterPoller::transportReceived(const QByteArray &bytes)
{
    if (!m_awaiting) {
        fail(malformed(1628, int(bytes.size())));
        return;
    }
    m_buffer += bytes;
    const ModbusFrame::Reply reply = ModbusFrame::parse(m_buffer, m_request);
    switch (reply.status) {
    case ModbusFrame::ReplyStatus::Incomplete:
        if (m_buffer.size() > ModbusFrame::MaxFrameSize)
            fail(malformed(1629));
        return;
    case ModbusFrame::ReplyStatus::Malformed:
        fail({MonitorError::Malformed, 0, QString(), reply.problem});
        return;
    case ModbusFrame::ReplyStatus::Values:
    case ModbusFrame::ReplyStatus::Exception:
        break;
    }
    if (reply.size < m_buffer.size()) {
        fail(malformed(1630, int(m_buffer.size()) - reply.size));
        return;
    }
    m_replyTimer.stop();
    m_awaiting = false;
    m_buffer.clear();
    const ReadRange range = m_plan.at(m_next);
    if (reply.status == ModbusFrame::ReplyStatus::Values) {
        m_table.applyValues(range.start, reply.values);
        ++m_current.answered;
    } else {
        // The device is there and refuses this range only: the poll goes on.
        m_table.applyError(range, {MonitorError::Exception, reply.exceptionCode, QString(), {}});
        ++m_current.exceptions;
    }
    ++m_next;
    sendNext();
}

void RegisterPoller::replyTimedOut()
{
    if (m_state == State::Connecting) {
        fail({MonitorError::ConnectTimeout, m_settings.replyTimeoutMs, QString(), {}});
        return;
    }
    // An answer that comes later would meet the next request: the connection starts afresh.
    fail({MonitorError::Timeout, 0, QString(), {}});
}

MonitorError RegisterPoller::malformed(int text, int value)
{
    MonitorError error;
    error.kind = MonitorError::Malformed;
    error.problem.text = text;
    if (value >= 0)
        error.problem.values.append(QString::number(value));
    return error;
}

void RegisterPoller::transportFailed(ModbusTransport::Failure failure, const QString &detail)
{
    switch (failure) {
    case ModbusTransport::Failure::Refused:
        fail({MonitorError::Refused, 0, QString(), {}});
        break;
    case ModbusTransport::Failure::Lost:
        fail({MonitorError::Lost, 0, QString(), {}});
        break;
    case ModbusTransport::Failure::Other:
        fail({MonitorError::ConnectFailed, 0, detail, {}});
        break;
    }
}

void RegisterPoller::fail(const MonitorError &error)
{
    m_replyTimer.stop();
    m_transport->close();
    m_awaiting = false;
    m_buffer.clear();
    // A failure while no poll runs (the connection could not be opened, or broke between polls)
    // still ends a poll, so that whoever waits for one hears of it.
    if (!m_polling) {
        m_polling = true;
        m_next = 0;
        m_current = PollSummary();
        m_current.requests = int(m_plan.size());
        m_pollClock.start();
    }
    for (int i = m_next; i < m_plan.size(); ++i)
        m_table.applyError(m_plan.at(i), error);
    m_current.failure = error;
    m_pauseMs = m_pauseMs == 0 ? m_settings.periodMs : std::min(2 * m_pauseMs, 10 * m_settings.periodMs);
    m_pollWanted = true;
    setState(State::Waiting);
    m_reconnectTimer.start(m_pauseMs);
    finishPoll();
}
