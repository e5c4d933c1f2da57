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
    p.TcpPortCopy = 10001;
    p.Fixed60 = 9600;
    p.Fixed264 = 10;
    p.Fixed300 = 9600;
    p.Fixed312 = 0xBAC0;
    p.IpAddressCopy = {192, 168, 0, 10};
    p.SubnetMaskCopy = {255, 255, 255, 0};
    p.GatewayCopy = {255, 255, 255, 255};

    record.SlaveTable.fill(SlaveEntry());
    record.ReadTable.fill(RegisterEntry());
    record.WriteTable.fill(RegisterEntry());
}
