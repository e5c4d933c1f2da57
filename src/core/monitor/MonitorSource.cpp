#include "MonitorSource.h"

#include "base/ParseIntOrDefault.h"
#include "base/WorkspacePaths.h"
#include "documents/ParGenDocument.h"

#include <QStringList>

MonitorSource MonitorSource::load(const WorkspacePaths &paths)
{
    MonitorSource source;
    const ParGenValues values = ParGenDocument::load(paths.ParGenPath);
    QStringList parts;
    for (const QString &part : values.MTCPs_IP)
        parts.append(part.trimmed());
    source.settings.host = parts.join(QLatin1Char('.'));
    const int port = ParseIntOrDefault(values.MTCPs_PORT, -1);
    source.settings.port = quint16(port >= 1 && port <= 65535 ? port : 502);
    const int state = ParseIntOrDefault(values.MTCPs_DN_State, -1);
    source.stateRegister = state >= 0 && state <= ModbusMap::MaxIndex ? state : -1;
    source.map.loadSlaves(paths.DnetNetPath);
    source.map.loadRegisters(paths.DefRegPath);
    return source;
}
