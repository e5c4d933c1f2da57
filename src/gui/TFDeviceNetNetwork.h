#pragma once

#include "DialogBase.h"
#include "documents/DnetNetDocument.h"
#include "documents/RegisterRenumber.h"

class GridWidget;
class QPushButton;

// The DeviceNet slave list of the active configuration (DNET_Net.xml), edited in a table of 63
// rows: node address, input bytes, output bytes and a description per slave.
class TFDeviceNetNetwork : public DialogBase
{
    Q_OBJECT
public:
    explicit TFDeviceNetNetwork(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // Every data row of the table, in order (63 of them).
    QList<DnetSlaveRow> tableRows() const;

    // True once Copy Row has been used since the dialog was last opened.
    bool Do_Copy = false;
    // Header hints of columns 1 to 4.
    QStringList Hint_DN_Net;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // Cancel, Escape and the close box: EDS imports are not thrown away without a word.
    void reject() override;

private:
    void FormCreate();
    void FormShow();
    bool Controllo_dati();
    void Btn_OKClick();
    void Btn_DelRowClick();
    void Btn_InsRowClick();
    void Btn_CopyRowClick();
    void Btn_PasteRowClick();
    void fillTable(const QList<DnetSlaveRow> &slaves);
    // Saves the slave list and, when the user wants it, renumbers DefReg.xml so that each register
    // stays with its slave, dropping the registers of deleted slaves and those carrying bytes beyond
    // their slave's new count. False when the user called it off or the register map was not saved.
    bool saveWithRegisters(const QList<DnetSlaveRow> &slaves);
    // What the save would do to the registers, slave by slave, and what each answer means.
    QString registerQuestion(const RegisterRenumber::Result &change, const QList<DnetSlaveRow> &slaves) const;

    GridWidget *sga = nullptr;
    QWidget *m_buttonBand = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
    QPushButton *Btn_DelRow = nullptr;
    QPushButton *Btn_InsRow = nullptr;
    QPushButton *Btn_CopyRow = nullptr;
    QPushButton *Btn_PasteRow = nullptr;
    // For each table row, the position (from 1) in DNET_Net.xml of the slave loaded into it, or 0:
    // Delete Row and Insert Row move these along with the rows, so that on OK it is known where each
    // loaded slave went. Editing or pasting into a row keeps its entry.
    QVector<int> m_origin;
    // The slaves as loaded, and where each went (from 1, 0 deleted) at the last OK.
    QList<DnetSlaveRow> m_loaded;
    QVector<int> m_newPositions;
};
