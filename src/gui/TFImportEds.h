#pragma once

#include "DialogBase.h"
#include "eds/EdsFile.h"

class QComboBox;
class QLabel;

// Shows what a slave's EDS file gives before the slave list takes it: the device, the connection taken,
// and the two counts in words ("data the slave produces: 10 bytes -> N Byte IN"), with a choice of
// entry where the connection has more than one. OK leaves the counts to take in inputBytes() and
// outputBytes(); the window itself changes nothing.
class TFImportEds : public DialogBase
{
    Q_OBJECT
public:
    TFImportEds(AppContext &context, const Eds::Device &device, const QString &path, const QStringList &warnings,
                QWidget *parent = nullptr);
    void Set_Lang() override;

    int inputBytes() const;
    int outputBytes() const;

private:
    void updateCounts();

    Eds::Device m_device;
    QString m_path;

    QLabel *L_Product = nullptr;
    QLabel *L_Product_Name = nullptr;
    QLabel *L_Vendor = nullptr;
    QLabel *L_Vendor_Name = nullptr;
    QLabel *L_Codes = nullptr;
    QLabel *L_Codes_Value = nullptr;
    QLabel *L_Revision = nullptr;
    QLabel *L_Revision_Value = nullptr;
    QLabel *L_Connection = nullptr;
    QLabel *L_Connection_Value = nullptr;
    QLabel *L_Input = nullptr;
    QComboBox *CB_Input = nullptr;
    QLabel *L_Output = nullptr;
    QComboBox *CB_Output = nullptr;
    QLabel *L_Warnings = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
