#pragma once

#include "DialogBase.h"

class TFAbout : public DialogBase
{
    Q_OBJECT
public:
    explicit TFAbout(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
};
