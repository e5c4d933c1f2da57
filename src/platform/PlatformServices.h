#pragma once

#include "platform/Platform.h"

#include <QtGlobal>

#include <memory>

// The real OS services, each created by the factory in its own file.
std::unique_ptr<IcmpEcho> createIcmpEcho();
std::unique_ptr<SerialPorts> createSerialPorts();
std::unique_ptr<ProgramLauncher> createProgramLauncher();
std::unique_ptr<HttpClient> createHttpClient();
std::unique_ptr<UrlOpener> createUrlOpener();
std::unique_ptr<ModbusTransportFactory> createModbusTransportFactory();

#ifdef Q_OS_WIN
enum class RegistryRoot { LocalMachine, CurrentUser };
// The port names given as the texts of a registry key's values, sorted as sortPortNames does; the
// real list reads HARDWARE\DEVICEMAP\SERIALCOMM of the local machine.
QStringList serialPortNamesInRegistry(RegistryRoot root, const QString &subKey);
#endif

// Owns one of each for the whole run.
class PlatformServices
{
public:
    PlatformServices();
    ~PlatformServices();
    Platform platform() const;

private:
    std::unique_ptr<IcmpEcho> m_echo;
    std::unique_ptr<SerialPorts> m_serialPorts;
    std::unique_ptr<ProgramLauncher> m_launcher;
    std::unique_ptr<HttpClient> m_http;
    std::unique_ptr<UrlOpener> m_urlOpener;
    std::unique_ptr<ModbusTransportFactory> m_modbus;
};
