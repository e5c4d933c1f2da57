#include "Cli.h"
#include "Commands.h"

#include "base/AppError.h"
#include "base/WorkspacePaths.h"
#include "documents/SlaveListLimits.h"
#include "image/CompileDriver.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFileInfo>

namespace Cli {

namespace {

void compileHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli compile [--strict] PROJECT_FOLDER\n\n"
              "Compiles ParGen.xml, DNET_Net.xml and DefReg.xml of the configuration in PROJECT_FOLDER into\n"
              "bin/bank.bin and bin/bank2.bin, exactly as the update buttons do, and prints the files written.\n"
              "On an error nothing is written and the message goes to standard error.\n"
              "Registers that carry bytes beyond their slave's byte count are listed on standard error as a\n"
              "warning and compiled as they are, and so is a slave at the converter's own node address (the\n"
              "DeviceNet MAC ID of ParGen.xml); with --strict either is an error and nothing is written.\n\n"
              "Exit codes: 0 both files written, 1 compile or write failed, 2 wrong usage.\n";
}

} // namespace

int compileCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QStringList operands = args;
    const bool strict = operands.removeAll(QStringLiteral("--strict")) > 0;
    if (const int code = helpOrUsage(operands, out, err, compileHelp); code >= 0)
        return code;
    const QFileInfo folder(operands.first());
    if (!folder.isDir()) {
        err << "Not a configuration folder: " << operands.first() << "\n";
        return Failed;
    }

    WorkspacePaths paths;
    paths.ProjectFolder = QDir::toNativeSeparators(QDir::cleanPath(folder.absoluteFilePath()));
    paths.ProjectName = folder.fileName();
    paths.Set_Files();
    // A slave list the DeviceNet Network step could not have written is refused as the map commands refuse it.
    if (const SlaveListLimitFailure refused = checkSlaveListLimits(paths.DnetNetPath); !refused.ok()) {
        err << paths.DnetNetPath << ": " << refused.message(TextCatalog::english()) << "\n";
        return Failed;
    }
    try {
        // The warning or the refusal is decided with the lock held, on the documents that are compiled.
        const CompileResult result = CompileDeviceImages(paths, [&](const DeviceImages &images) {
            // The stored documents are compiled as they stand unless asked otherwise: scripts rely on the exit
            // status.
            const char *kind = strict ? "Error: " : "Warning: ";
            if (!images.pastBytes.isEmpty())
                err << kind << PastBytes::warning(images.pastBytes, TextCatalog::english()) << "\n";
            if (!images.slavesAtMasterAddress.isEmpty())
                err << kind << MasterAddress::warning(images.slavesAtMasterAddress, TextCatalog::english()) << "\n";
            return !(strict && (!images.pastBytes.isEmpty() || !images.slavesAtMasterAddress.isEmpty()));
        });
        if (!result.written)
            return Failed;
        out << result.bankPath << " (" << result.bankSize << " bytes)\n";
        out << result.bank2Path << " (" << result.bank2Size << " bytes)\n";
        return Ok;
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
}

} // namespace Cli
