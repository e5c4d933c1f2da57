#pragma once

#include "base/ConfigurationLock.h"
#include "base/SafeFile.h"
#include "base/WorkspacePaths.h"
#include "documents/MasterAddress.h"
#include "documents/PastBytes.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What one compile wrote.
struct CompileResult
{
    QString bankPath;
    QString bank2Path;
    qint64 bankSize = 0;
    qint64 bank2Size = 0;
    bool written = false; // false only when the approval said no
    // Registers that carry bytes their slave does not have (compiled as the documents say).
    QVector<RegisterPastBytes> pastBytes;
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

// Decides, with the images built and the lock still held, whether they are written (the question about
// registers past their slave's bytes); false writes nothing.
using ImageApproval = std::function<bool(const DeviceImages &images)>;

// The one way the images reach the disk: turns the three documents of the configuration into bin/bank.bin
// and bin/bank2.bin (the bin folder made when missing), holding the configuration's lock from the first
// read of a document to the last rename, so the pair on disk is always one compile's and no map change
// lands in between. The two files are replaced as a pair: both or neither. Throws AppError (with the
// message to show) and then writes nothing: a document that cannot be read, another writer holding the
// lock for longer than lockWaitMs, a link in place of the bin folder or of an image, a file that cannot
// be written (then both old files are as they were). When approve says no, nothing is written and the
// result's `written` is false.
CompileResult CompileDeviceImages(const WorkspacePaths &paths, const ImageApproval &approve = {},
                                  int lockWaitMs = ConfigurationLock::DefaultWaitMs,
                                  SafeFile::Steps &steps = SafeFile::Steps::real());
