#pragma once

#include "DialogBase.h"
#include "eds/EdsFile.h"

class QComboBox;
class QLabel;
class QListWidget;

// Shows what a slave's EDS file gives before the slave list takes it: the device, the connection taken,
// and the two counts in words ("data the slave produces: 10 bytes -> N Byte IN"), with a choice of
// entry where the connection has more than one, the table row and node address that OK fills, and
// the file's warnings in a list. OK leaves the counts to take in inputBytes() and outputBytes(); the
// window itself changes nothing. Values wrap, and the window is as high as its content needs.
class TFImportEds : public DialogBase
{
    Q_OBJECT
public:
    // row counts from 1, as the slave list shows it; nodeAddress is the row's ID (may be empty).
    TFImportEds(AppContext &context, const Eds::Device &device, const QString &path, const QStringList &warnings,
                int row, const QString &nodeAddress, QWidget *parent = nullptr);
    void Set_Lang() override;

    int inputBytes() const;
    int outputBytes() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateCounts();
    void fitHeight();

    Eds::Device m_device;
    QString m_path;
    int m_row = 0;
    QString m_nodeAddress;

    QWidget *m_titleBand = nullptr;
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
    QLabel *L_Target = nullptr;
    QLabel *L_Warnings = nullptr;
    QListWidget *LB_Warnings = nullptr;
    QPushButton *Btn_OK = nullptr;
    QPushButton *Btn_Cancel = nullptr;
};
