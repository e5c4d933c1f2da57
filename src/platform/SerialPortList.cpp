#include "PlatformServices.h"

std::unique_ptr<SerialPorts> createSerialPorts()
{
    return nullptr;
}
