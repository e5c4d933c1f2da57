#pragma once

#include "documents/MapOverview.h"

#include <QAbstractTableModel>

class TextCatalog;

// The registers of the overview as a table: address, page, slave, ID, mnemonic, high and low byte,
// and the note that marks a register past its slave's bytes in words as well as in colour.
// Built once per opening from the map, which must outlive the model and stay unchanged meanwhile.
class MapOverviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // True for a register that carries a byte beyond its slave's count.
    static constexpr int PastCountRole = Qt::UserRole + 1;

    MapOverviewModel(const ModbusMap &map, const TextCatalog &catalog, QObject *parent = nullptr);

    // Shows only one slave (position; -1 all) and one page (0 both).
    void setFilter(int slave, int page);
    int slaveFilter() const { return m_slave; }
    int pageFilter() const { return m_page; }
    // The register shown in a row.
    const OverviewRow &overviewRow(int row) const { return m_all.at(m_shown.at(row)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const ModbusMap &m_map;
    const TextCatalog &m_catalog;
    QVector<OverviewRow> m_all;
    QVector<int> m_shown; // positions in m_all that pass the filter
    int m_slave = -1;
    int m_page = 0;
};
