#pragma once

#include "DialogBase.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Creates a configuration: a folder under PROJECTS with its bin sub-folder.
class TFNew_Project : public DialogBase
{
    Q_OBJECT
public:
    explicit TFNew_Project(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
    void Btn_OKClick();
    // Called by the main window once a configuration is made active (its Set_Files).
    void setOnProjectCreated(std::function<void()> callback) { m_onCreated = std::move(callback); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();

    QLabel *m_nameLabel;
    QLineEdit *E_New_Proj;
    QPushButton *Btn_OK;
    QPushButton *Btn_Cancel;
    std::function<void()> m_onCreated;
};
