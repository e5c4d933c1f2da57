#pragma once

#include "DialogBase.h"
#include "documents/ModbusMap.h"

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

// Step "Define Modbus": which Modbus registers carry which bytes of each DeviceNet slave, for the
// read page and the write page. Edits act on the in-memory map; only OK writes DefReg.xml.
class TFDefineModbusRegs : public DialogBase
{
    Q_OBJECT
    // Auto-map, overview and CSV act on the map and the lists as the page's own buttons do.
    friend class RegisterMapTools;

public:
    explicit TFDefineModbusRegs(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    const ModbusMap &map() const { return Lista_DNET_Slave; }

    void FormShow();
    // Opens only on a slave list that the DeviceNet Network step could have written; else says which
    // row breaks a limit and stays closed.
    int exec() override;
    // Cancel, Escape and the close box: after auto-map or import changed the map, asks first.
    void reject() override;
    void LB_DeviceNet_Slave_Click();
    void LB_Modbus_Regs_Click();
    void Aggiorna_Lista_Frame();
    void Aggiorna_Lista_ModReg();
    void Aggiorna_Green_Fields();
    void Aggiorna_Lista_Byte();
    void Add_Mod_Reg(int page);
    void Modify_Mod_Reg(int page);
    // The register the editor of a page describes, or nothing after its refusal was shown
    // (position: the register being modified, -1 for a new one).
    std::optional<TMod_Reg> editorRegister(int page, int slave, int position);
    void Delete_Mod_Reg(int page);
    void Copy_Mod_Reg(int page);
    void Paste_Mod_Reg(int page);
    void Btn_OKClick();
    bool Check_Mod_Reg_in_Use(int ind_MR, int app_ind_J1939, int app_ind_MR, int read_write) const
    {
        return Lista_DNET_Slave.Check_Mod_Reg_in_Use(ind_MR, app_ind_J1939, app_ind_MR, read_write);
    }

    // The copy buffer, shared by both pages; it lives as long as the dialog object, i.e. the whole run.
    QString ACopy_Ind_Mod;
    int ACopy_HiPort = 0;
    int ACopy_LoPort = 0;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // The controls of one page; pages are numbered 1 (read) and 2 (write).
    struct Page
    {
        QWidget *tab = nullptr;
        QListWidget *slaves = nullptr;
        QListWidget *regs = nullptr;
        QLineEdit *index = nullptr;
        QComboBox *high = nullptr;
        QComboBox *low = nullptr;
        QPushButton *create = nullptr;
        QPushButton *modify = nullptr;
        QPushButton *remove = nullptr;
        QPushButton *copy = nullptr;
        QPushButton *paste = nullptr;
        QLabel *slaveCaption[2] = {};
        QLabel *regCaption[2] = {};
        QLabel *editorCaption[2] = {};
        QLabel *highCaption[2] = {};
        QLabel *lowCaption[2] = {};
    };

    void buildPage(int page);
    // The title, with the count of registers past their slave's bytes when there are any.
    void updateTitle();
    // The status line below the pages says what the last whole-map tool did.
    void showStatus(const QString &status);
    Page &page(int p) { return m_pages[p - 1]; }
    int selectedSlave(int p) const;
    int selectedRegister(int p) const;
    QString partText(int part) const;
    // The names of parts 0 (none) to highest, as the byte lists show them.
    QStringList partTexts(int highest) const;
    // One line of the register list; parts are named from partNames where it holds them.
    QString registerLine(const TMod_Reg &reg, const QStringList &partNames) const;

    ModbusMap Lista_DNET_Slave;
    Page m_pages[2];
    // A document of this showing could not be read: OK must not replace DefReg.xml with what little was loaded.
    bool m_loadFailed = false;
    // Auto-map or import changed the map since this showing began.
    bool m_bulkChanged = false;
    QLabel *L_Status = nullptr;
    QTabWidget *PC_Modbus = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
