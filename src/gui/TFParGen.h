#pragma once

#include "DialogBase.h"

class TFParGen : public DialogBase
{
    Q_OBJECT
public:
    explicit TFParGen(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
};
