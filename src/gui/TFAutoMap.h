#pragma once

#include "DialogBase.h"
#include "documents/AutoMap.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Asks how auto-map lays out the registers: first index, step, byte order and, for all slaves, the
// pages. The object lives as long as the register map dialog, so the values accepted last are
// offered again for the rest of the run; a Cancel brings them back.
class TFAutoMap : public DialogBase
{
    Q_OBJECT
public:
    explicit TFAutoMap(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // The page choice is offered only for all slaves; one slave is mapped on the page it was picked on,
    // which the description line names with the slave.
    void setForAllSlaves(bool allSlaves);
    void setForSlave(int position, const QString &id, int page);

    // The values accepted last.
    const AutoMapOptions &options() const { return m_options; }
    int pages() const { return m_pages; }

    // 0 when the fields hold usable values, else the catalog index of the first failure.
    int Controllo_Dati() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void Btn_OKClick();

    AutoMapOptions m_options;
    int m_pages = AutoMap::BothPages;

    QLabel *L_Start = nullptr;
    QLineEdit *E_Start = nullptr;
    QLabel *L_Step = nullptr;
    QLineEdit *E_Step = nullptr;
    QGroupBox *GB_Byte_Order = nullptr;
    QRadioButton *RB_Low_First = nullptr;
    QRadioButton *RB_High_First = nullptr;
    QLabel *L_Pages = nullptr;
    QComboBox *CB_Pages = nullptr;
    QLabel *L_Message = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
