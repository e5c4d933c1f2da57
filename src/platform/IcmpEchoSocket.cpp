#include "PlatformServices.h"

std::unique_ptr<IcmpEcho> createIcmpEcho()
{
    return nullptr;
}
