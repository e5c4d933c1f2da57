#pragma once

#include "Messages.h"

// Message boxes on screen, over the window that is active.
class QtMessages : public Messages
{
public:
    void error(const QString &text) override;
    void warning(const QString &text) override;
    bool question(const QString &text) override;
    Answer questionWithCancel(const QString &text) override;
};
