#pragma once

#include "documents/AutoMap.h"

#include <QObject>
#include <QSize>

#include <functional>

class QAction;
class QListWidget;
class QMenu;
class QPushButton;
class TFAutoMap;
class TFDefineModbusRegs;

// The register map dialog's tools for whole maps: auto-map, the overview, CSV export and import.
// They act on the dialog's in-memory map like its own buttons do, so nothing is saved before OK.
// One menu serves the context menus of both pages' slave and register lists and the small button
// Btn_Map_Tools; it always acts on the page shown.
class RegisterMapTools : public QObject
{
    Q_OBJECT
public:
    explicit RegisterMapTools(TFDefineModbusRegs &dialog);

    // The file to export to (forSave) or import from; empty when the user gives none. Tests replace it.
    std::function<QString(bool forSave)> chooseFile;

    QMenu *menu() const { return m_menu; }
    void autoMapSlave();
    void autoMapAll();
    void showOverview();
    void exportCsv();
    void importCsv();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTexts();
    int shownPage() const;
    void updateActions();
    void popupAt(const QPoint &globalPosition);
    void listContextMenu(QListWidget *list, const QPoint &position);
    void refreshRegisters();
    // After auto-map: the lists refreshed, the status line, the first slave mapped shown.
    void autoMapped(const AutoMapResult &result);
    void showChanged(int page, int slave);
    // "Read page, indexes 0 to 3; Write page, indexes 4 to 6"
    QString pageRanges(const QVector<AutoMapResult::Block> &blocks) const;
    QString askFile(bool forSave) const;

    TFDefineModbusRegs &m_dialog;
    QPushButton *m_button = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_autoMapSlave = nullptr;
    QAction *m_autoMapAll = nullptr;
    QAction *m_overview = nullptr;
    QAction *m_export = nullptr;
    QAction *m_import = nullptr;
    TFAutoMap *m_autoMapDialog = nullptr;
    QSize m_overviewSize; // the overview's size when it was last closed
};
