#pragma once

#include "DialogBase.h"

#include <functional>

class TFSoftOptions : public DialogBase
{
    Q_OBJECT
public:
    explicit TFSoftOptions(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
    // The main window's Change_Language, run after a confirmed language switch.
    void setChangeLanguage(std::function<void()> changeLanguage) { m_changeLanguage = std::move(changeLanguage); }

private:
    std::function<void()> m_changeLanguage;
};
