#include "MasterAddress.h"

#include "ParGenDocument.h"
#include "base/ParseIntOrDefault.h"
#include "text/TextCatalog.h"

#include <QStringList>

namespace MasterAddress {

QVector<SlaveAtMasterAddress> find(int masterAddress, const QVector<int> &slaveAddresses)
{
    QVector<SlaveAtMasterAddress> found;
    for (int s = 0; s < slaveAddresses.size(); ++s) {
        if (slaveAddresses.at(s) == masterAddress)
            found.append({s, QString::number(masterAddress), masterAddress});
    }
    return found;
}

QVector<SlaveAtMasterAddress> find(const QString &masterAddress, const QStringList &slaveIds)
{
    const int master = ParseIntOrDefault(masterAddress, -1);
    QVector<SlaveAtMasterAddress> found;
    if (master < 0)
        return found;
    for (int s = 0; s < slaveIds.size(); ++s) {
        if (ParseIntOrDefault(slaveIds.at(s), -1) == master)
            found.append({s, slaveIds.at(s).trimmed(), master});
    }
    return found;
}

QString settingsAddress(const QString &parGenPath)
{
    return ParGenDocument::load(parGenPath).DNET_DEV_ID;
}

QString warning(const QVector<SlaveAtMasterAddress> &found, const TextCatalog &catalog)
{
    QStringList lines;
    for (const SlaveAtMasterAddress &f : found)
        lines.append(catalog.text(1729).arg(QString::number(f.slave + 1), f.slaveId, QString::number(f.address)));
    return lines.join(QLatin1Char('\n'));
}

} // namespace MasterAddress
