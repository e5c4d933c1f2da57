#pragma once

#include "DialogBase.h"
#include "documents/MapOverview.h"

#include <optional>

class MapOverviewModel;
class QComboBox;
class QLabel;
class QListWidget;
class QTableView;

// The whole register map at a glance, read-only: every register of both pages by address, filtered
// by slave and page, and below it the bytes that no register carries and, beside them when there are
// any, the bytes that registers carry but their slave does not have. Activating a register
// (double-click, Enter or Space) closes the window with it chosen, for the editor to select it.
// The table is one stop of the Tab order: Tab, Shift+Tab and Ctrl+Tab leave it, the arrows move in it.
class TFMapOverview : public DialogBase
{
    Q_OBJECT
public:
    // The map must stay unchanged while the window is open.
    TFMapOverview(AppContext &context, const ModbusMap &map, QWidget *parent = nullptr);
    void Set_Lang() override;

    const std::optional<OverviewRow> &chosen() const { return m_chosen; }
    MapOverviewModel *model() const { return m_model; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void filterChanged();
    void fillByteLists();
    void placeByteLists();
    // Closes the window with the register of that row chosen.
    void registerChosen(const QModelIndex &index);

    const ModbusMap &m_map;
    QVector<FreeBytes> m_free;
    QVector<FreeBytes> m_past;
    std::optional<OverviewRow> m_chosen;
    MapOverviewModel *m_model = nullptr;
    QWidget *m_titleBand = nullptr;

    QLabel *L_Filter_Slave = nullptr;
    QComboBox *CB_Filter_Slave = nullptr;
    QLabel *L_Filter_Page = nullptr;
    QComboBox *CB_Filter_Page = nullptr;
    QLabel *L_Count = nullptr;
    QTableView *TV_Registers = nullptr;
    QLabel *L_Free_Bytes = nullptr;
    QListWidget *LB_Free_Bytes = nullptr;
    QLabel *L_Past_Bytes = nullptr;
    QListWidget *LB_Past_Bytes = nullptr;
    QPushButton *Btn_Close = nullptr;
    QPushButton *Btn_Monitor = nullptr;
};
