#pragma once

#include "base/ConfigurationLock.h"
#include "base/SafeFile.h"
#include "base/WorkspacePaths.h"
#include "documents/MasterAddress.h"
#include "documents/PastBytes.h"

#include <QByteArray>
#include <QString>

// What one compile wrote.
struct CompileResult
{
    QString bankPath;
    QString bank2Path;
    qint64 bankSize = 0;
    qint64 bank2Size = 0;
};

// The two images of a configuration, built in memory.
struct DeviceImages
{
    QByteArray bank;  // bank.bin
    QByteArray bank2; // bank2.bin
    // Registers that carry bytes their slave does not have; the images hold them as the documents say.
    QVector<RegisterPastBytes> pastBytes;
    // Slaves at the converter's own node address; the images hold them as the documents say.
    QVector<SlaveAtMasterAddress> slavesAtMasterAddress;
};

// Builds both images from the documents, bank.bin first, then the record and bank2.bin.
// Throws AppError at the first failure; nothing is written.
DeviceImages BuildDeviceImages(const WorkspacePaths &paths);

// Stores both images in the project's bin folder (created when missing) as a pair: both are replaced
// or neither. A file that cannot be written, or a link in place of the bin folder or of an image,
// throws AppError naming it; then both old files are as they were.
CompileResult WriteImageFiles(const WorkspacePaths &paths, const DeviceImages &images,
                              SafeFile::Steps &steps = SafeFile::Steps::real());

// Turns the three documents of the active configuration into bin/bank.bin and bin/bank2.bin, holding
// the configuration's lock throughout. Throws AppError (with the message to show) and then writes nothing;
// so too when another compile holds the lock for longer than lockWaitMs.
CompileResult CompileDeviceImages(const WorkspacePaths &paths, int lockWaitMs = ConfigurationLock::DefaultWaitMs);
