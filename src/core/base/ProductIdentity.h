#pragma once

#include <QString>

// Fixed texts of the product; not in the text catalog, they never change with the language.
namespace Product {
inline const QString SoftwareCode = QStringLiteral("SW40917");
inline const QString HardwareCode = QStringLiteral("HD40917");
inline const QString Description = QStringLiteral("DeviceNet Master / Modbus TCP Slave - Converter");
inline const QString Version = QStringLiteral(SW_PROGRAM_VERSION);
inline const QString WindowTitle =
    QStringLiteral("Korvane - Configurator SW40917 - DeviceNet Master / Modbus TCP Slave ");
inline const QString DocumentCode = QStringLiteral("MN40917");

// The maker's web server. Its real host is not known here, so it is a name under the reserved
// "example" domain: no request ever reaches a stranger's server.
inline const QString MakerHost = QStringLiteral("www.korvane.example");
// The web address as the windows show it.
inline const QString MakerWebAddress = QStringLiteral("korvane.example");
inline QString homePageUrl()
{
    return QStringLiteral("http://") + MakerHost + QStringLiteral("/HOME/default.asp?frompg=SW40917");
}
inline QString downloadPageUrl()
{
    return QStringLiteral("http://") + MakerHost + QStringLiteral("/Home/download/download.asp#HD40917");
}
inline QString versionQueryPath()
{
    return QStringLiteral("/home/download/GetversionSW.asp?nomesw=SW40917");
}
} // namespace Product
