#pragma once

#include <QLatin1String>
#include <QString>

#include <array>

// Every element and attribute name of the three project documents, spelled once, with the value that
// a reader falls back to where the name goes with one. The editors' models, the register map, both
// image readers and the dump command all take their names from here. Names are plain character
// arrays so that they serve as QLatin1String and as labels of the image layouts alike.
namespace Schema {

inline QString name(const char *text)
{
    return QLatin1String(text);
}
// "MTCPs_IP" and 0 give "MTCPs_IP1": the four octets of an address are numbered from 1.
inline QString numbered(const char *prefix, int index)
{
    return QLatin1String(prefix) + QString::number(index + 1);
}

// ParGen.xml: one element per parameter under the root, each holding its value as text.
namespace ParGen {
constexpr char Root[] = "Par_Gen";
constexpr char DeviceType[] = "Device_Type";
constexpr char DeviceId[] = "DNET_DEV_ID";
constexpr char Baud[] = "DNET_BAUD";
constexpr char InterscanDelay[] = "DNET_INTERSCAN_DELAY";
constexpr char IpPrefix[] = "MTCPs_IP";      // MTCPs_IP1 .. MTCPs_IP4
constexpr char SubnetPrefix[] = "MTCPs_SUB"; // MTCPs_SUB1 .. MTCPs_SUB4
constexpr char EnableGateway[] = "MTCPs_EN_GAT";
constexpr char GatewayPrefix[] = "MTCPs_GAT"; // MTCPs_GAT1 .. MTCPs_GAT4
constexpr char Port[] = "MTCPs_PORT";
constexpr char SlaveState[] = "MTCPs_DN_State";

// What the compiler's reader takes when an element is missing or not a number.
constexpr int FallbackDeviceId = 10;
constexpr int FallbackBaud = 2;
constexpr int FallbackInterscanDelay = 0;
constexpr int FallbackPort = 10001;
constexpr int FallbackSlaveState = 0;
constexpr std::array<int, 4> FallbackIp = {192, 168, 0, 10};
constexpr std::array<int, 4> FallbackSubnet = {255, 255, 255, 0};
constexpr std::array<int, 4> FallbackGateway = {192, 168, 0, 1};
} // namespace ParGen

// DNET_Net.xml: one row element per slave under the root.
namespace DnetNet {
constexpr char Root[] = "DNET_Net";
constexpr char Row[] = "row";
constexpr char Id[] = "ID";
constexpr char InputBytes[] = "NB_IN";
constexpr char OutputBytes[] = "NB_OUT";
constexpr char Mnemonic[] = "Mnemonic";
} // namespace DnetNet

// DefReg.xml: under the root, the read and the write section, each a list of register rows. A row
// names its slave by position in the slave list (NrDNNode, from 1) and packs the slave bytes of the
// register's two halves into PosComp.
namespace DefReg {
constexpr char Root[] = "InfoMod";
constexpr char ReadSection[] = "Modbus_Read";
constexpr char WriteSection[] = "Modbus_Write";
constexpr char Row[] = "row";
constexpr char Index[] = "Index";
constexpr char SlaveNumber[] = "NrDNNode";
constexpr char Position[] = "PosComp";
} // namespace DefReg

} // namespace Schema
