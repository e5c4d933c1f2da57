#pragma once

#include "DialogBase.h"

class TFBoot : public DialogBase
{
    Q_OBJECT
public:
    explicit TFBoot(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // 1: update over Ethernet (UDP); 0: over a serial port. Set before showing.
    int Form_Type = 1;
};
