#pragma once

#include "DialogBase.h"
#include "monitor/MonitorSource.h"
#include "monitor/MonitorTable.h"
#include "monitor/RegisterPoller.h"

#include <memory>

class MonitorModel;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;

// A live, read-only view of the converter's registers: every register of the saved map and the
// slave-state register, read over Modbus TCP every period. The address, port, unit, function and
// period can be changed while it is open (Apply); closing it ends the connection at once.
class TFMonitor : public DialogBase
{
    Q_OBJECT
public:
    // Reads the saved documents of the active configuration; throws AppError when one cannot be read.
    TFMonitor(AppContext &context, QWidget *parent = nullptr);
    ~TFMonitor() override;
    void Set_Lang() override;

    // Opens the monitor of the active configuration modally.
    static void Show_Monitor(AppContext &context, QWidget *parent);

    // Starts polling with the values of the fields (Apply does the same).
    void Btn_ApplyClick();
    MonitorModel *model() const { return m_model; }
    RegisterPoller *poller() const { return m_poller.get(); }
    const MonitorTable &table() const { return m_table; }
    // How long one request may wait for its answer; tests shorten it.
    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    void filterChanged();
    void pollFinished(const PollSummary &summary);
    void showStatus();

    MonitorSource m_source;
    MonitorTable m_table;
    std::unique_ptr<RegisterPoller> m_poller;
    MonitorModel *m_model = nullptr;
    PollSummary m_lastAnswered; // the last poll that brought any value
    PollSummary m_last;
    bool m_anyPoll = false;
    int m_replyTimeoutMs = 2000;

    QLabel *L_Host = nullptr;
    QLineEdit *E_Host = nullptr;
    QLabel *L_Port = nullptr;
    QSpinBox *E_Port = nullptr;
    QLabel *L_Unit = nullptr;
    QSpinBox *E_Unit = nullptr;
    QLabel *L_Function = nullptr;
    QComboBox *CB_Function = nullptr;
    QLabel *L_Period = nullptr;
    QSpinBox *E_Period = nullptr;
    QPushButton *Btn_Apply = nullptr;
    QLabel *L_Filter_Slave = nullptr;
    QComboBox *CB_Filter_Slave = nullptr;
    QLabel *L_Filter_Page = nullptr;
    QComboBox *CB_Filter_Page = nullptr;
    QTableView *TV_Monitor = nullptr;
    QLabel *L_Status = nullptr;
    QPushButton *Btn_Close = nullptr;
};
