#pragma once

#include "monitor/MonitorTable.h"

#include <QAbstractTableModel>

class TextCatalog;

// The monitor's rows as a table: page, index, reference, slave, high and low part, the value in
// hexadecimal and decimal, each mapped byte's value, the error. Changed values are marked yellow,
// old ones grey. The table must outlive the model; refresh() after each poll.
class MonitorModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Page, Index, Reference, Slave, High, Low, Hex, Decimal, HighValue, LowValue, Error, Columns };

    MonitorModel(const MonitorTable &table, const TextCatalog &catalog, QObject *parent = nullptr);

    // Shows only one slave (position; -1 all) and one page (0 both). The state register shows only
    // while neither filter narrows.
    void setFilter(int slave, int page);
    // The function the references are counted for (3 or 4).
    void setFunction(int function);
    // The values changed: every shown row is repainted.
    void refresh();
    const MonitorRow &monitorRow(int row) const { return m_table.rows().at(m_shown.at(row)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const MonitorTable &m_table;
    const TextCatalog &m_catalog;
    QVector<int> m_shown;
    int m_function = 3;
};
