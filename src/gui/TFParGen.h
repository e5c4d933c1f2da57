#pragma once

#include "AddressFieldChain.h"
#include "DialogBase.h"
#include "documents/ParGenDocument.h"

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

// Communication settings of the active configuration (ParGen.xml): the DeviceNet master and the
// Modbus TCP slave groups, each of which folds to a strip.
class TFParGen : public DialogBase
{
    Q_OBJECT
public:
    explicit TFParGen(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // The values as the fields show them, with the hidden Device_Type.
    ParGenValues fieldValues() const;

    // True once the user has altered anything since the document was loaded.
    bool Is_Change = false;
    // Expanded (true) or folded; kept for the whole run, never stored.
    bool GB_DeviceNet_Master_Visible = true;
    bool GB_Modbus_TCP_Slave_Visible = true;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Group
    {
        QGroupBox *box = nullptr;
        QToolButton *collapse = nullptr;
        QToolButton *expand = nullptr;
        QList<QWidget *> firstRow; // what would still show in the folded strip
        bool *expanded = nullptr;
    };

    void FormCreate();
    void FormShow();
    void FormActivate();
    void Btn_OKClick();
    void Btn_CancelClick();
    bool Controllo_Dati();
    void Collapse_Expand_Creation();
    void Btn_GB_Collapse(Group &group);
    void Btn_GB_Expande(Group &group);
    void Move_GroupBoxs();
    void RePosition_Objects_917();
    void fillFields(const ParGenValues &values);

    QLineEdit *makeField(QWidget *parent, const QString &name, const QRect &geometry);
    void makeAddressRow(QWidget *parent, const char *prefix, int top, std::array<QLineEdit *, 4> &fields);
    void makeGroupButtons(Group &group, const QString &name);

    Group m_dnetGroup;
    Group m_modbusGroup;

    QLabel *L_ID_DNET_Master = nullptr;
    QLineEdit *E_ID_DNET_Master = nullptr;
    QLabel *L_Baud_DNET_Master = nullptr;
    QComboBox *CB_Baud_DNET_Master = nullptr;
    QLabel *L_DNET_Master_Interscan_Delay = nullptr;
    QLineEdit *E_DNET_Master_Interscan_Delay = nullptr;
    QLabel *L_IP = nullptr;
    std::array<QLineEdit *, 4> E_IP{};
    QLabel *L_SM = nullptr;
    std::array<QLineEdit *, 4> E_SM{};
    QCheckBox *CB_ModTCPs_EN_GAT = nullptr;
    std::array<QLineEdit *, 4> E_GAT{};
    QLabel *L_PORT = nullptr;
    QLineEdit *E_PORT = nullptr;
    QLabel *L_State_DN = nullptr;
    QLineEdit *E_State_DN = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;

    // The twelve address fields in the order a typed "." moves through them.
    AddressFieldChain *m_dotChain = new AddressFieldChain(this);
    // Hidden list position with no control, written back as read.
    int m_deviceType = 1;
    // A stored bit-rate position outside the list: the list then shows none, and the stored value
    // is written back unless the user picks one.
    int m_storedBaud = 2;
};
