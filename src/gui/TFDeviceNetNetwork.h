#pragma once

#include "DialogBase.h"

class TFDeviceNetNetwork : public DialogBase
{
    Q_OBJECT
public:
    explicit TFDeviceNetNetwork(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;
};
