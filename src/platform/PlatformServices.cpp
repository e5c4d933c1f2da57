#include "PlatformServices.h"

PlatformServices::PlatformServices()
    : m_echo(createIcmpEcho())
    , m_serialPorts(createSerialPorts())
    , m_launcher(createProgramLauncher())
    , m_http(createHttpClient())
    , m_urlOpener(createUrlOpener())
    , m_modbus(createModbusTransportFactory())
{}

PlatformServices::~PlatformServices() = default;

Platform PlatformServices::platform() const
{
    Platform p;
    p.echo = m_echo.get();
    p.serialPorts = m_serialPorts.get();
    p.launcher = m_launcher.get();
    p.http = m_http.get();
    p.urlOpener = m_urlOpener.get();
    p.modbus = m_modbus.get();
    return p;
}
