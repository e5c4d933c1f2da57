#pragma once

#include <QObject>

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
};
