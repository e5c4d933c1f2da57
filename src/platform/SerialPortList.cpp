#include "PlatformServices.h"

#include "update/PortNames.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>

#include <algorithm>
#include <vector>
#else
#include <QSerialPortInfo>
#endif

namespace {

#ifdef Q_OS_WIN

HKEY rootKey(RegistryRoot root)
{
    return root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// Windows lists each serial port as one value of HARDWARE\DEVICEMAP\SERIALCOMM: the driver's
// device as the name, the port (COM1...) as the text. Listing opens no port.
class SerialPortList : public SerialPorts
{
public:
    QStringList portNames() override
    {
        return serialPortNamesInRegistry(RegistryRoot::LocalMachine, QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM"));
    }
};

#else

// The port names as the system reports them (ttyS0, ttyUSB0...). Listing opens no port, so a port
// that another program holds is listed as well.
class SerialPortList : public SerialPorts
{
public:
    QStringList portNames() override
    {
        QStringList names;
        const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : ports)
            names.append(info.portName());
        return sortPortNames(names);
    }
};

#endif

} // namespace

#ifdef Q_OS_WIN

QStringList serialPortNamesInRegistry(RegistryRoot root, const QString &subKey)
{
    HKEY key = nullptr;
    // Windows makes the key only while a port is present: without it there is no port.
    if (::RegOpenKeyExW(rootKey(root), reinterpret_cast<const wchar_t *>(subKey.utf16()), 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return {};
    DWORD longestName = 0;
    DWORD largestData = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName, &largestData,
                       nullptr, nullptr);
    std::vector<wchar_t> name(longestName + 1);
    // One character more than the largest value, so that a text stored without its final zero still ends.
    std::vector<wchar_t> data(largestData / sizeof(wchar_t) + 2);
    QStringList names;
    DWORD index = 0;
    int grown = 0;
    for (;;) {
        DWORD nameLength = DWORD(name.size());
        DWORD dataSize = DWORD((data.size() - 1) * sizeof(wchar_t));
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE *>(data.data()), &dataSize);
        if (result == ERROR_MORE_DATA && grown++ < 4) {
            // A port arrived with a longer value since the key was measured: measure again.
            ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                               &largestData, nullptr, nullptr);
            name.resize(std::max<size_t>(name.size() * 2, longestName + 1));
            data.resize(std::max<size_t>(data.size() * 2, largestData / sizeof(wchar_t) + 2));
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        ++index;
        if (type != REG_SZ)
            continue;
        data[dataSize / sizeof(wchar_t)] = L'\0';
        const QString port = QString::fromWCharArray(data.data()).trimmed();
        if (!port.isEmpty())
            names.append(port);
    }
    ::RegCloseKey(key);
    return sortPortNames(names);
}

#endif

std::unique_ptr<SerialPorts> createSerialPorts()
{
    return std::make_unique<SerialPortList>();
}
