#pragma once

#include "DialogBase.h"

class TFDefineModbusRegs : public DialogBase
{
    Q_OBJECT
public:
    explicit TFDefineModbusRegs(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
};
