// The compiler's reader with the whole compile: the input holds ParGen.xml, DNET_Net.xml and DefReg.xml in
// that order, separated by a line "=====" (fewer parts leave the later documents missing). Each run writes
// them into a scratch configuration and builds both images in memory, as Update Device does before it writes.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "documents/ModbusMap.h"
#include "image/CompileDriver.h"

#include <QDir>
#include <QList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const WorkspacePaths paths = [] {
        WorkspacePaths p;
        p.setProgramFolder(FuzzSupport::scratchFolder());
        p.activateProject(QStringLiteral("Fuzz"));
        if (!QDir().mkpath(p.ProjectFolder))
            std::abort();
        return p;
    }();
    const QByteArray input = FuzzSupport::bytes(data, size);
    const QString files[3] = {paths.ParGenPath, paths.DnetNetPath, paths.DefRegPath};
    const QByteArray separator("\n=====\n");
    qsizetype start = 0;
    for (int i = 0; i < 3; ++i) {
        if (start < 0) {
            QFile::remove(files[i]);
            continue;
        }
        const qsizetype end = input.indexOf(separator, start);
        FuzzSupport::writeFile(files[i], input.mid(start, end < 0 ? -1 : end - start));
        start = end < 0 ? -1 : end + separator.size();
    }
    try {
        const DeviceImages images = BuildDeviceImages(paths);
        if (images.bank.isEmpty() || images.bank2.isEmpty())
            std::abort();
    } catch (const AppError &) {
    }
    // The register map dialog reads the same documents with the same compact tree.
    try {
        ModbusMap map;
        map.loadSlaves(paths.DnetNetPath);
        map.loadRegisters(paths.DefRegPath);
    } catch (const AppError &) {
    }
    return 0;
}
