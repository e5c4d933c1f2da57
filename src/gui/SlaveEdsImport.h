#pragma once

#include <QObject>
#include <QString>

#include <functional>

struct AppContext;
class GridWidget;
class QAction;
class QDialog;
class QMenu;
class QPushButton;

// "Import EDS..." of the slave list: a button and an entry of the rows' context menu that read a slave's
// EDS file, show it in TFImportEds and, on its OK, fill the current row's N Byte IN and N Byte OUT
// and, when the row has none, its Mnemonic with the product name. The ID stays the user's, and
// nothing is saved before the slave list's own OK.
class SlaveEdsImport : public QObject
{
    Q_OBJECT
public:
    SlaveEdsImport(AppContext &context, QDialog &dialog, GridWidget &table);

    // The file to import; empty when the user gives none. Tests replace it.
    std::function<QString()> chooseFile;

    QMenu *menu() const { return m_menu; }
    // An import was taken into the table since the slave list was opened (its Cancel asks first).
    bool hasImported() const { return m_imported; }
    // Imports into the table's current row.
    void importEds();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTexts();
    void placeButton();
    void rowContextMenu(const QPoint &position);
    QString askFile();

    AppContext &m_ctx;
    QDialog &m_dialog;
    GridWidget &m_table;
    QPushButton *m_button = nullptr;
    QMenu *m_menu = nullptr;
    QAction *m_import = nullptr;
    bool m_imported = false;
    QString m_folder; // where the last file came from, for the next file dialog of the run
};
