#include "DeviceConfigRecord.h"

void ResetDeviceConfig(DeviceConfigRecord &record)
{
    ParameterFields &p = record.DeviceParameters;
    p = ParameterFields();
    p.BaudRate = 125000;
    p.Fixed12 = 9600;
    p.Fixed24 = 1;
    p.IpAddress = {192, 168, 0, 10};
    p.SubnetMask = {255, 255, 255, 0};
    p.Gateway = {255, 255, 255, 255};
    p.Fixed52 = 10000;
    p.TcpPort = 10001;
    p.Fixed60 = 9600;
    p.Fixed264 = 10;
    p.Fixed300 = 9600;
    p.Fixed312 = 0xBAC0;
    // The device keeps a second copy of the address and the port, equal to the first.
    p.TcpPortCopy = p.TcpPort;
    p.IpAddressCopy = p.IpAddress;
    p.SubnetMaskCopy = p.SubnetMask;
    p.GatewayCopy = p.Gateway;

    record.SlaveTable.fill(SlaveEntry());
    record.ReadTable.fill(RegisterEntry());
    record.WriteTable.fill(RegisterEntry());
}
