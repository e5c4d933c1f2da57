#pragma once

#include "platform/HttpClient.h"
#include "platform/IcmpEcho.h"
#include "platform/ModbusTransport.h"
#include "platform/ProgramLauncher.h"
#include "platform/SerialPorts.h"
#include "platform/UrlOpener.h"

// The OS services the program uses, each behind its interface. Not owned.
struct Platform
{
    IcmpEcho *echo = nullptr;
    SerialPorts *serialPorts = nullptr;
    ProgramLauncher *launcher = nullptr;
    HttpClient *http = nullptr;
    UrlOpener *urlOpener = nullptr;
    ModbusTransportFactory *modbus = nullptr;
};
