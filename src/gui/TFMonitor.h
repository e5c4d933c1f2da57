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
// slave-state register, read over Modbus TCP every period. It opens idle, showing the address, port,
// unit and function it would use, and sends nothing before Connect. Changing the address, port, unit
// or function ends the connection and clears every value (they belong to the device asked before);
// closing it ends the connection at once. The window can be resized; its size is kept in the settings.
class TFMonitor : public DialogBase
{
    Q_OBJECT
public:
    // Reads the saved documents of the active configuration; throws AppError when one cannot be read.
    // onScreen: the map a window shows, which may hold changes not saved yet; the monitor then says
    // that they are not in what it reads.
    TFMonitor(AppContext &context, QWidget *parent = nullptr, const ModbusMap *onScreen = nullptr);
    ~TFMonitor() override;
    void Set_Lang() override;

    // Opens the monitor of the active configuration modally.
    static void Show_Monitor(AppContext &context, QWidget *parent, const ModbusMap *onScreen = nullptr);

    // Connect starts polling with the values of the fields; Disconnect ends it.
    void Btn_ConnectClick();
    MonitorModel *model() const { return m_model; }
    RegisterPoller *poller() const { return m_poller.get(); }
    const MonitorTable &table() const { return m_table; }
    // How long one request may wait for its answer; tests shorten it.
    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }

    static constexpr int DefaultHeight = 600;

protected:
    void done(int result) override;

private:
    PollSettings fieldSettings() const;
    void connectionFieldChanged();
    void periodChanged();
    void filterChanged();
    void pollFinished(const PollSummary &summary);
    void showStatus();
    void fitColumns();
    // Room for every column but the error, and some for the error.
    int fittingWidth() const;

    MonitorSource m_source;
    MonitorTable m_table;
    std::unique_ptr<RegisterPoller> m_poller;
    MonitorModel *m_model = nullptr;
    PollSummary m_lastAnswered; // the last poll that brought any answer
    PollSummary m_last;
    bool m_anyPoll = false;
    bool m_settingsChanged = false; // the connection ended because its settings changed
    bool m_unsavedOnScreen = false;
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
    QPushButton *Btn_Connect = nullptr;
    QLabel *L_Filter_Slave = nullptr;
    QComboBox *CB_Filter_Slave = nullptr;
    QLabel *L_Filter_Page = nullptr;
    QComboBox *CB_Filter_Page = nullptr;
    QLabel *L_Saved_Notice = nullptr;
    QTableView *TV_Monitor = nullptr;
    QLabel *L_Status = nullptr;
    QPushButton *Btn_Close = nullptr;
};
