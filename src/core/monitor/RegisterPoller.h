#pragma once

#include "ModbusFrame.h"
#include "MonitorTable.h"
#include "ReadPlan.h"
#include "platform/ModbusTransport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

// Where and how to read.
struct PollSettings
{
    QString host;
    quint16 port = 502;
    quint8 unit = 1;
    int function = ModbusFrame::ReadHoldingRegisters;
    int periodMs = 1000;
    // How long one request may wait for its answer, and a connection to open.
    int replyTimeoutMs = 2000;

    static constexpr int MinPeriodMs = 100;
    static constexpr int MaxPeriodMs = 60000;
};

// How the last poll went.
struct PollSummary
{
    int requests = 0;
    int answered = 0;      // requests answered with values
    int exceptions = 0;    // requests answered with an exception (the device refused them)
    qint64 elapsedMs = 0;
    QDateTime finishedAt;
    MonitorError failure;  // what ended the connection, if anything did

    bool allAnswered() const { return answered == requests && failure.kind == MonitorError::None; }
    // "Last answer 10:15:02: 3 of 3 requests answered in 12 ms", with those answered by an exception
    // said apart; empty before any request was answered.
    QString answeredText(const TextCatalog &catalog) const;
};

// Reads every register of the table from the device over and over: one poll every period, one
// request outstanding at a time, a poll never started while the last one runs. A connection that
// fails is opened again by itself after a pause that grows with each failure, up to ten periods, and
// starts again at one period after a good poll. A connection gets as long to open as a request gets
// for its answer.
// Only read requests are ever sent.
class RegisterPoller : public QObject
{
    Q_OBJECT
public:
    enum class State { Stopped, Connecting, Connected, Waiting };

    RegisterPoller(std::unique_ptr<ModbusTransport> transport, MonitorTable &table, QObject *parent = nullptr);
    ~RegisterPoller() override;

    // (Re)starts with these settings: connects, and polls as soon as the connection is open.
    void start(const PollSettings &settings);
    // Ends the connection at once; nothing is signalled afterwards.
    void stop();

    State state() const { return m_state; }
    const QVector<ReadRange> &plan() const { return m_plan; }
    const PollSettings &settings() const { return m_settings; }
    const PollSummary &lastSummary() const { return m_summary; }
    bool polling() const { return m_polling; }
    // The pause before the next connection attempt (0 while none is planned).
    int reconnectPauseMs() const { return m_pauseMs; }

Q_SIGNALS:
    // A poll ended, answered or not; the table holds its results.
    void pollFinished(const PollSummary &summary);
    void stateChanged(RegisterPoller::State state);

private:
    void setState(State state);
    void periodElapsed();
    void connectNow();
    void transportOpened();
    void transportReceived(const QByteArray &bytes);
    void transportFailed(ModbusTransport::Failure failure, const QString &detail);
    void replyTimedOut();
    static MonitorError malformed(int text, int value = -1);
    void startPoll();
    void sendNext();
    void finishPoll();
    // The connection cannot go on: what was not read in this poll gets the error, and the
    // connection is opened again after a pause.
    void fail(const MonitorError &error);

    std::unique_ptr<ModbusTransport> m_transport;
    MonitorTable &m_table;
    PollSettings m_settings;
    QVector<ReadRange> m_plan;
    State m_state = State::Stopped;
    QTimer m_periodTimer;
    QTimer m_replyTimer;
    QTimer m_reconnectTimer;
    int m_pauseMs = 0;

    bool m_polling = false;
    bool m_pollWanted = false; // a poll falls due as soon as the connection is open
    int m_next = 0;            // plan position of the request outstanding, or of the next one
    bool m_awaiting = false;
    ModbusFrame::ReadRequest m_request;
    quint16 m_transaction = 0;
    QByteArray m_buffer;
    QElapsedTimer m_pollClock;
    PollSummary m_summary;
    PollSummary m_current;
};
