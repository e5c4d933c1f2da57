#include "PlatformServices.h"

#include "update/PortNames.h"

#include <QSerialPortInfo>

namespace {

// The port names as the system reports them (COM1... on Windows, ttyS0, ttyUSB0... elsewhere).
// Listing opens no port, so a port that another program holds is listed as well.
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

} // namespace

std::unique_ptr<SerialPorts> createSerialPorts()
{
    return std::make_unique<SerialPortList>();
}
