#include "CompileDriver.h"

#include "Bank2Image.h"
#include "BankImage.h"
#include "DocumentReaders.h"
#include "base/AppError.h"
#include "base/ConfigurationLock.h"
#include "base/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace {

// The registers of the record that carry bytes their slave does not have, as the device gets them.
void findPastBytes(const DeviceConfigRecord &record, int page, QVector<RegisterPastBytes> &found)
{
    const ParameterFields &p = record.DeviceParameters;
    const bool read = page == ModbusMap::Read;
    const auto &table = read ? record.ReadTable : record.WriteTable;
    const quint32 count = std::min<quint32>(read ? p.ReadCount : p.WriteCount, MaxRegisters);
    for (quint32 i = 0; i < count; ++i) {
        const RegisterEntry &reg = table.at(i);
        if (reg.SlaveIndex >= DeviceSlaveSlots)
            continue;
        const SlaveEntry &slave = record.SlaveTable.at(reg.SlaveIndex);
        const int bytes = read ? slave.OutputBytes : slave.InputBytes;
        const QVector<int> beyond = PastBytes::beyond(reg.HiPart, reg.LoPart, bytes);
        if (!beyond.isEmpty())
            found.append({page, QString::number(reg.RegisterIndex), reg.SlaveIndex, QString::number(slave.SlaveId),
                          bytes, beyond});
    }
}

// Stores both images in the project's bin folder as a pair: both are replaced or neither.
CompileResult writeImageFiles(const WorkspacePaths &paths, const DeviceImages &images, SafeFile::Steps &steps)
{
    const QString binFolder = paths.binFolder();
    // A bin folder that is a link would carry the images out of the configuration.
    SafeFile::refuseLink(binFolder);
    if (!QFileInfo(binFolder).isDir() && !QDir(paths.ProjectFolder).mkdir(QStringLiteral("bin")))
        throw AppError(QStringLiteral("Cannot create the folder %1").arg(binFolder));

    CompileResult result;
    result.bankPath = joinPath(binFolder, QStringLiteral("bank.bin"));
    result.bank2Path = joinPath(binFolder, QStringLiteral("bank2.bin"));
    // An updater that flashes a new bank.bin with an old bank2.bin writes a mixed configuration
    // into the device: the two are replaced as a pair.
    SafeFile::writePair(result.bankPath, images.bank, result.bank2Path, images.bank2, steps);

    result.bankSize = images.bank.size();
    result.bank2Size = images.bank2.size();
    result.written = true;
    return result;
}

} // namespace

DeviceImages BuildDeviceImages(const WorkspacePaths &paths)
{
    ImageSources sources(paths);

    // bank.bin first: its stricter reading stops the compile before the record is touched.
    BankImage bank;
    BuildBankImage(bank, sources);

    auto record = std::make_unique<DeviceConfigRecord>();
    ResetDeviceConfig(*record);
    ReadCommunicationSettings(*record, sources);
    ReadSlaveList(*record, sources);
    ReadRegisterMap(*record, sources);

    Bank2Image bank2;
    bank2.length = 0;
    bank2.length = SerialiseRegisterTables(*record, bank2, bank2.length);
    bank2.length = SerialiseParameterBlock(*record, bank2, bank2.length);
    bank2.length = SerialiseSlaveTable(*record, bank2, bank2.length);

    QVector<RegisterPastBytes> pastBytes;
    findPastBytes(*record, ModbusMap::Read, pastBytes);
    findPastBytes(*record, ModbusMap::Write, pastBytes);
    QVector<int> slaveAddresses;
    for (quint32 s = 0; s < std::min<quint32>(record->DeviceParameters.SlaveCount, DeviceSlaveSlots); ++s)
        slaveAddresses.append(record->SlaveTable.at(s).SlaveId);
    return {bank.bytes(), bank2.bytes(), pastBytes,
            MasterAddress::find(record->DeviceParameters.MasterId, slaveAddresses)};
}

CompileResult CompileDeviceImages(const WorkspacePaths &paths, const ImageApproval &approve, int lockWaitMs,
                                  SafeFile::Steps &steps)
{
    // Held from the first read of a document to the last rename (and while the user decides): a second
    // compile or a map change started meanwhile waits, so the pair on disk is always one compile's.
    const ConfigurationLock lock(paths.ProjectFolder, ConfigurationLock::Compile, lockWaitMs);
    const DeviceImages images = BuildDeviceImages(paths);
    CompileResult result;
    if (!approve || approve(images))
        result = writeImageFiles(paths, images, steps);
    result.pastBytes = images.pastBytes;
    return result;
}
