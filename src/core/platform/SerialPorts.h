#pragma once

#include <QStringList>

// The serial ports present on this computer, in a stable order, found without opening any of them.
class SerialPorts
{
public:
    virtual ~SerialPorts() = default;
    virtual QStringList portNames() = 0;
};
