#include "Cli.h"

#include "Commands.h"
#include "base/SafeFile.h"
#include "text/TextCatalog.h"

#include <new>

namespace Cli {

namespace {

struct Command
{
    const char *name;
    const char *summary;
    int (*run)(const QStringList &, QTextStream &, QTextStream &);
};

const Command kCommands[] = {
    {"compile", "compile PROJECT_FOLDER   write bin/bank.bin and bin/bank2.bin of a configuration", compileCommand},
    {"dump", "dump FILE                decode a bank.bin or bank2.bin into readable text", dumpCommand},
    {"lang-template", "lang-template            write a complete English language file to standard output",
     langTemplateCommand},
    {"lang-check", "lang-check FILE          report what a language file leaves unread or in English",
     langCheckCommand},
    {"map",
     "map PROJECT_FOLDER [--csv]\n"
     "                           print the register map by address, or write it as CSV",
     mapCommand},
    {"map-import",
     "map-import PROJECT_FOLDER FILE\n"
     "                           replace the register map with the registers of a CSV file",
     mapImportCommand},
    {"automap",
     "automap PROJECT_FOLDER [--start N] [--step N] [--page read|write|both] [--high-first]\n"
     "                           map every byte without a register onto free registers",
     autoMapCommand},
    {"eds", "eds FILE...              print what a DeviceNet EDS file gives for N Byte IN and N Byte OUT",
     edsCommand},
    {"monitor",
     "monitor PROJECT_FOLDER [--host H] [--port P] [--unit N] [--function 3|4] [--once] [--csv]\n"
     "                           read the mapped registers from the converter over Modbus TCP",
     monitorCommand},
    {"report",
     "report PROJECT_FOLDER [--pdf] [-o FILE] [--language NAME]\n"
     "                           write the configuration report (HTML, or PDF with --pdf)",
     reportCommand},
};

void usage(QTextStream &stream)
{
    stream << "Usage: SW40917-cli COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const Command &c : kCommands)
        stream << "  " << c.summary << "\n";
    stream << "\nRun SW40917-cli COMMAND --help for one command.\n"
              "Exit codes: 0 success, 1 the command failed, 2 wrong usage.\n";
}

} // namespace

bool wantsHelp(const QStringList &args)
{
    return args.size() == 1 && (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"));
}

int helpOrUsage(const QStringList &args, QTextStream &out, QTextStream &err, void (*help)(QTextStream &))
{
    if (wantsHelp(args)) {
        help(out);
        return Ok;
    }
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        help(err);
        return Usage;
    }
    return -1;
}

int guarded(QTextStream &err, const std::function<int()> &command)
{
    try {
        return command();
    } catch (const std::bad_alloc &) {
        err << "Out of memory. " << TextCatalog::defaultText(1200) << "\n";
        return Failed;
    }
}

bool writesExactBytes(const QStringList &arguments)
{
    return arguments.value(0) == QLatin1String("map") && arguments.contains(QLatin1String("--csv"));
}

namespace {

int runCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (arguments.isEmpty()) {
        usage(err);
        return Usage;
    }
    const QString name = arguments.first();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        usage(out);
        return Ok;
    }
    for (const Command &c : kCommands) {
        if (name == QLatin1String(c.name))
            return guarded(err, [&] { return c.run(arguments.mid(1), out, err); });
    }
    err << "Unknown command: " << name << "\n\n";
    usage(err);
    return Usage;
}

// A command's exit code once its output is flushed: a text that did not reach its place is a failure.
int withOutputChecked(int code, QTextStream &out, QTextStream &err)
{
    out.flush();
    if (out.status() == QTextStream::Ok)
        return code;
    err << "Cannot write standard output: "
        << (out.device() ? SafeFile::failureReason(*out.device()) : QStringLiteral("the stream took no more text"))
        << "\n";
    return code == Ok ? Failed : code;
}

} // namespace

int run(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    return withOutputChecked(runCommand(arguments, out, err), out, err);
}

} // namespace Cli
