#pragma once

#include "DialogBase.h"

#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// Picks one of the configuration folders under PROJECTS.
class TFOpenConf : public DialogBase
{
    Q_OBJECT
public:
    explicit TFOpenConf(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    QStringList SL;    // folder names found at the last showing, sorted ignoring case
    QString Name_Conf; // the chosen name: the dialog's result

    void FormShow();
    void Load_Existing_Configuration();
    int Search_Open_Conf(const QString &name) const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ListBox1Click();

    QLabel *m_listLabel;
    QListWidget *ListBox1;
    QWidget *m_buttonBand;
    QPushButton *Btn_OK;
    QPushButton *Btn_Cancel;
};
