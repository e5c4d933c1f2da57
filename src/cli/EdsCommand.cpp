// The EDS reader from the command line: what the slave list's import would fill, per file.
#include "Cli.h"
#include "Commands.h"

#include "eds/EdsFile.h"
#include "text/TextCatalog.h"

namespace Cli {

namespace {

void edsHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli eds FILE...\n\n"
              "Reads each DeviceNet EDS file as the slave list's \"Import EDS\" does and prints its product,\n"
              "vendor, vendor and product codes, revision, the connection taken and the two counts as\n"
              "\"N Byte IN = n\" and \"N Byte OUT = n\", or why the file gives none.\n"
              "Exit code 0: every file gave its counts; 1: at least one did not.\n";
}

QString label(int index)
{
    return TextCatalog::defaultText(index);
}

} // namespace

int edsCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        edsHelp(out);
        return Ok;
    }
    if (args.isEmpty()) {
        edsHelp(err);
        return Usage;
    }
    const TextCatalog &catalog = TextCatalog::english();
    int result = Ok;
    bool first = true;
    for (const QString &path : args) {
        const Eds::Result r = Eds::readFile(path, catalog);
        for (const QString &warning : r.warnings)
            err << warning << "\n";
        if (!r.device) {
            err << r.error << "\n";
            result = Failed;
            continue;
        }
        const Eds::Device &d = *r.device;
        if (!first)
            out << "\n";
        first = false;
        out << path << "\n"
            << label(1523) << " " << d.productName << "\n"
            << label(1524) << " " << d.vendorName << "\n"
            << label(1525) << " " << d.vendorCode << " / " << d.productCode << "\n"
            << label(1526) << " " << d.revision << "\n"
            << label(1527) << " " << Eds::connectionText(d.connection, catalog) << "\n"
            << "N Byte IN = " << d.inputBytes() << "\n"
            << "N Byte OUT = " << d.outputBytes() << "\n";
    }
    return result;
}

} // namespace Cli
