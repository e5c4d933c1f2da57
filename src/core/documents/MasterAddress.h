#pragma once

#include <QString>
#include <QVector>

class TextCatalog;

// A slave whose node address is the converter's own: the converter is the master of the DeviceNet
// network at the MAC ID of its communication settings, and no two nodes of a network can share an
// address. Stored configurations may hold such a slave, so it is asked about and warned of, not refused.
struct SlaveAtMasterAddress
{
    int slave = 0;    // position in the slave list, from 0
    QString slaveId;  // the node address as the list holds it
    int address = 0;  // the master's node address
};

namespace MasterAddress {

// The slaves of the list, by their node addresses as the device gets them, whose address is the master's.
QVector<SlaveAtMasterAddress> find(int masterAddress, const QVector<int> &slaveAddresses);
// As find, for the texts of a slave list and of the communication settings: a text that is no
// number matches nothing (the lists' own checks refuse it).
QVector<SlaveAtMasterAddress> find(const QString &masterAddress, const QStringList &slaveIds);

// The master's node address as the communication settings window shows it: ParGen.xml's value, or
// the value of a configuration without one. Throws AppError when the file cannot be read.
QString settingsAddress(const QString &parGenPath);

// One line per slave.
QString warning(const QVector<SlaveAtMasterAddress> &found, const TextCatalog &catalog);

} // namespace MasterAddress
