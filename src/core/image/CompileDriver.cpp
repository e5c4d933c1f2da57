#include "CompileDriver.h"

#include "Bank2Image.h"
#include "BankImage.h"
#include "DocumentReaders.h"
#include "app/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

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

    return {bank.bytes(), bank2.bytes()};
}

namespace {

void openForWriting(QSaveFile &file)
{
    if (!file.open(QIODevice::WriteOnly))
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

void writeAll(QSaveFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), error));
    }
}

void commit(QSaveFile &file)
{
    if (!file.commit())
        throw AppError(QStringLiteral("Cannot write %1: %2").arg(file.fileName(), file.errorString()));
}

} // namespace

CompileResult WriteImageFiles(const WorkspacePaths &paths, const DeviceImages &images)
{
    const QString binFolder = paths.binFolder();
    if (!QFileInfo(binFolder).isDir() && !QDir(paths.ProjectFolder).mkdir(QStringLiteral("bin")))
        throw AppError(QStringLiteral("Cannot create the folder %1").arg(binFolder));

    CompileResult result;
    result.bankPath = joinPath(binFolder, QStringLiteral("bank.bin"));
    result.bank2Path = joinPath(binFolder, QStringLiteral("bank2.bin"));

    // Both files are written in full before either replaces its predecessor, so a failure while
    // writing leaves both old files in place.
    QSaveFile bankFile(result.bankPath);
    QSaveFile bank2File(result.bank2Path);
    openForWriting(bankFile);
    openForWriting(bank2File);
    writeAll(bankFile, images.bank);
    writeAll(bank2File, images.bank2);
    commit(bankFile);
    commit(bank2File);

    result.bankSize = images.bank.size();
    result.bank2Size = images.bank2.size();
    return result;
}

CompileResult CompileDeviceImages(const WorkspacePaths &paths)
{
    return WriteImageFiles(paths, BuildDeviceImages(paths));
}
