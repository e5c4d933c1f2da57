#include "SlaveListLimits.h"

#include "app/AppError.h"
#include "documents/ModbusMap.h"
#include "text/TextCatalog.h"

namespace {

// What the device takes and what the DeviceNet Network step accepts for one slave.
constexpr int MaxRows = 64;
constexpr int MaxBytesPerSlave = 455;

bool byteCountFits(int count)
{
    return count >= 0 && count <= MaxBytesPerSlave;
}

} // namespace

QString SlaveListLimitFailure::message(const TextCatalog &catalog) const
{
    return ok() ? QString() : catalog.text(textIndex).arg(row);
}

SlaveListLimitFailure checkSlaveListLimits(const ModbusMap &map)
{
    for (int i = 0; i < map.slaveCount(); ++i) {
        const int row = i + 1;
        if (row > MaxRows)
            return {row, 1202};
        const TDNET_Slave &slave = map.slave(i);
        if (!byteCountFits(slave.Num_Byte_IN) || !byteCountFits(slave.Num_Byte_OUT))
            return {row, 1201};
    }
    return {};
}

SlaveListLimitFailure checkSlaveListLimits(const QString &dnetNetPath)
{
    ModbusMap map;
    try {
        map.loadSlaves(dnetNetPath);
    } catch (const AppError &) {
        return {};
    }
    return checkSlaveListLimits(map);
}
