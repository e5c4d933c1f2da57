#pragma once

#include "ModbusFrame.h"
#include "ReadPlan.h"
#include "documents/ModbusMap.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class TextCatalog;

// Why a register has no fresh value.
struct MonitorError
{
    enum Kind {
        None,
        Exception,     // code: the device's exception code
        Timeout,       // no answer in time
        Refused,       // connection refused
        Lost,          // connection closed or broken
        Malformed,     // problem: what did not fit the request
        ConnectFailed, // detail: the system's words
        NoRegister,    // the map's index text is no register number, so it cannot be read
        ConnectTimeout, // code: the milliseconds the connection was given
    };
    Kind kind = None;
    int code = 0;
    QString detail;
    ModbusFrame::Problem problem;

    bool operator==(const MonitorError &o) const
    {
        return kind == o.kind && code == o.code && detail == o.detail && problem == o.problem;
    }
};

// One row of the monitor: a register of the saved map (or the slave-state register of the
// communication settings) and what the device last said about it.
struct MonitorRow
{
    int page = 0;       // ModbusMap::Read or ModbusMap::Write; MonitorTable::StatePage for the state register
    int slave = -1;     // position in the slave list; -1 for the state register
    int address = -1;   // 0-based register address; -1 when the index text is none
    int hiPart = 0;     // byte of the slave in the high half, 0 none
    int loPart = 0;
    bool hasValue = false;
    quint16 value = 0;
    bool old = false;     // the value is from an earlier poll: the last one did not bring it
    bool changed = false; // the last poll brought a value different from the one before
    MonitorError error;

    bool isState() const { return slave < 0; }
};

// Every register of both pages of the map, by address, and the state register first. Applies the
// answers of a poll and keeps the last good value of each register.
class MonitorTable
{
public:
    static constexpr int StatePage = 0;

    // stateRegister: 0..65535, or -1 for none.
    void build(const ModbusMap &map, int stateRegister);
    const QVector<MonitorRow> &rows() const { return m_rows; }
    const ModbusMap &map() const { return m_map; }
    // Every address to read, each once.
    QVector<int> addresses() const;

    // Values of the registers from start on; rows of other addresses in between stay as they are.
    void applyValues(int start, const QVector<quint16> &values);
    // The registers of the range got no value from this poll.
    void applyError(const ReadRange &range, const MonitorError &error);
    // Every value and error goes (the device they came from is no longer the one asked); rows whose
    // index is no register number keep saying so.
    void clearValues();
    // Rows touched since the last call, as [first, last] pairs of row positions, and forget them.
    QVector<QPair<int, int>> takeTouched();

    // Texts of a row's cells, as the window and the command line show them.
    static QString pageText(const MonitorRow &row, const TextCatalog &catalog);
    // 400001 + address for holding registers, 300001 + address for input registers.
    static QString referenceText(const MonitorRow &row, int function);
    QString slaveText(const MonitorRow &row) const;
    // "Byte n" or "None".
    static QString partText(int part, const TextCatalog &catalog);
    static QString hexText(const MonitorRow &row);
    static QString decimalText(const MonitorRow &row);
    // The byte's value when the half carries a byte (both halves as binary for the state register).
    static QString byteValueText(const MonitorRow &row, bool high);
    static QString errorText(const MonitorError &error, const TextCatalog &catalog);
    // What a script reads of a row: "ok" a value of the last poll, "old" a value of an earlier one (the
    // last poll brought an error), "error" no value at all.
    static QString stateWord(const MonitorRow &row);

private:
    template <typename F> void forRange(const ReadRange &range, F f);

    ModbusMap m_map;
    QVector<MonitorRow> m_rows;
    QVector<QPair<int, int>> m_byAddress; // (address, row) rising by address
    QVector<bool> m_touched;
};
