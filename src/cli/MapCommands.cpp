// The register map from the command line: the overview, the CSV tag list, an import and auto-map.
// They read and write DefReg.xml through the same map model and the same save as the dialog.
#include "Cli.h"
#include "Commands.h"

#include "base/AppError.h"
#include "base/ConfigurationLock.h"
#include "base/ParseIntOrDefault.h"
#include "base/WorkspacePaths.h"
#include "documents/AutoMap.h"
#include "documents/DocumentSchema.h"
#include "documents/MapCsv.h"
#include "documents/MapOverview.h"
#include "documents/SlaveListLimits.h"
#include "documents/XmlTree.h"
#include "image/DeviceConfigRecord.h"
#include "image/DocumentReaders.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFileInfo>

namespace Cli {

namespace {

void mapHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli map PROJECT_FOLDER [--csv]\n\n"
              "Prints the register map of the configuration: every register of both pages by address (the\n"
              "0-based register address a Modbus client sends), with its page, slave number, slave ID and\n"
              "mnemonic, high and low byte; then the bytes of each slave that no register carries.\n"
              "With --csv it writes the map as CSV (RFC 4180, UTF-8, a header line) to standard output instead,\n"
              "in DefReg.xml's order: the tag list for the PLC side, and the form map-import reads.\n\n"
              "Exit codes: 0 printed, 1 a document could not be read, 2 wrong usage.\n";
}

void importHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli map-import PROJECT_FOLDER FILE\n\n"
              "Replaces every register of the configuration's DefReg.xml with the registers of a CSV file in\n"
              "the form that map --csv writes (comma or semicolon separated, UTF-8 or Windows-1252). The header\n"
              "line names the columns, in any order; ID and Mnemonic may be left out. Every line is checked as\n"
              "the register map dialog checks a new register: index 0 to 65535 and used once, a slave of the\n"
              "configuration with its ID, bytes within the slave's byte count; at most 6144 registers a page.\n"
              "A file with any error changes nothing; each refused line is named with its reason.\n\n"
              "Exit codes: 0 imported, 1 refused or a file could not be read or written, 2 wrong usage.\n";
}

void autoMapHelp(QTextStream &stream)
{
    stream << "Usage: SW40917-cli automap PROJECT_FOLDER [--start N] [--step N] [--page read|write|both]\n"
              "                           [--high-first]\n\n"
              "Maps every byte of every slave that no register carries yet onto free register indexes, two bytes\n"
              "per register, and saves DefReg.xml. Slaves are taken in list order, the read page before the\n"
              "write page; each slave gets one run of free indexes together, the first from --start (default 0)\n"
              "that holds it, starting at --start plus a multiple of --step when that is above 1. Bytes pair as\n"
              "1-2, 3-4, ...; by default the odd byte goes into the low part, so a 16-bit value of the slave\n"
              "reads as the same number in its register; --high-first puts it into the high part. A byte\n"
              "without a free partner goes alone\n"
              "into the low part. A slave without such a run up to 65535, or more than 6144 registers on a page,\n"
              "is refused and nothing changes.\n\n"
              "Exit codes: 0 mapped (or nothing to map), 1 refused or a file could not be read or written,\n"
              "2 wrong usage.\n";
}

// The document paths of a configuration folder; false (with the message) when it is none.
bool projectPaths(const QString &folder, WorkspacePaths &paths, QTextStream &err)
{
    const QFileInfo info(folder);
    if (!info.isDir()) {
        err << "Not a configuration folder: " << folder << "\n";
        return false;
    }
    paths.ProjectFolder = QDir::toNativeSeparators(QDir::cleanPath(info.absoluteFilePath()));
    paths.ProjectName = info.fileName();
    paths.Set_Files();
    return true;
}

// The slave list is held to what the DeviceNet Network step accepts before the map is built from it:
// a hand-edited byte count of two thousand million would otherwise size the map's lists.
void refuseSlaveListBeyondLimits(const WorkspacePaths &paths)
{
    const SlaveListLimitFailure refused = checkSlaveListLimits(paths.DnetNetPath);
    if (!refused.ok())
        throw AppError(paths.DnetNetPath + QStringLiteral(": ") + refused.message(TextCatalog::english()));
}

ModbusMap loadMap(const WorkspacePaths &paths)
{
    refuseSlaveListBeyondLimits(paths);
    ModbusMap map;
    map.loadSlaves(paths.DnetNetPath);
    map.loadRegisters(paths.DefRegPath);
    return map;
}


// The rows of both sections of a DefReg.xml, also those that name no slave: everything a save of a new
// map drops.
int registerRows(const QString &defRegPath)
{
    if (!QFileInfo::exists(defRegPath))
        return 0;
    const XmlTree tree = XmlTree::load(defRegPath);
    int rows = 0;
    for (const char *section : {Schema::DefReg::ReadSection, Schema::DefReg::WriteSection}) {
        const int node = tree.firstChildElement(tree.firstNode(), Schema::name(section));
        for (int row = tree.firstRow(node); row != XmlTree::None; row = tree.nextSibling(row))
            ++rows;
    }
    return rows;
}

// A whole number from 0 to 65535, or -1.
int optionValue(const QString &text)
{
    const int value = ParseIntOrDefault(text, -1);
    return value <= ModbusMap::MaxIndex ? value : -1;
}

} // namespace

int mapCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        mapHelp(out);
        return Ok;
    }
    QStringList rest = args;
    const bool csv = rest.removeAll(QStringLiteral("--csv")) > 0;
    if (rest.size() != 1 || rest.first().startsWith(QLatin1Char('-'))) {
        mapHelp(err);
        return Usage;
    }
    WorkspacePaths paths;
    if (!projectPaths(rest.first(), paths, err))
        return Failed;
    try {
        const ModbusMap map = loadMap(paths);
        if (csv)
            out << QString::fromUtf8(MapCsv::toCsv(map));
        else
            out << MapOverview::text(map, TextCatalog::english());
        return Ok;
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
}

int mapImportCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        importHelp(out);
        return Ok;
    }
    if (args.size() != 2 || args.at(0).startsWith(QLatin1Char('-')) || args.at(1).startsWith(QLatin1Char('-'))) {
        importHelp(err);
        return Usage;
    }
    WorkspacePaths paths;
    if (!projectPaths(args.at(0), paths, err))
        return Failed;
    try {
        // A refused slave list leaves the configuration as it was: checked before the lock makes bin.
        refuseSlaveListBeyondLimits(paths);
        const ConfigurationLock lock(paths.ProjectFolder, ConfigurationLock::MapChange);
        const ModbusMap map = loadMap(paths);
        const TextCatalog &texts = TextCatalog::english();
        const MapCsv::ImportResult result = MapCsv::parse(MapCsv::readFile(args.at(1)), map, texts);
        const QString refused = args.at(1) + QStringLiteral(": not imported, DefReg.xml is unchanged:\n");
        if (!result.problems.isEmpty()) {
            err << refused << MapCsv::problemsText(result.problems, texts, MapCsv::MaxProblems, result.problemCount)
                << "\n";
            return Failed;
        }
        int perPage[3] = {0, 0, 0};
        for (int s = 0; s < result.map.slaveCount(); ++s) {
            for (int page : {ModbusMap::Read, ModbusMap::Write})
                perPage[page] += int(result.map.registers(s, page).size());
        }
        // The compile would refuse the map: say so now, as it would.
        for (int page : {ModbusMap::Read, ModbusMap::Write}) {
            if (perPage[page] > MaxRegisters) {
                err << refused
                    << tooManyRegistersMessage(paths.DefRegPath,
                                               Schema::name(page == ModbusMap::Read ? Schema::DefReg::ReadSection
                                                                                    : Schema::DefReg::WriteSection))
                    << "\n";
                return Failed;
            }
        }
        const int replaced = registerRows(paths.DefRegPath);
        result.map.saveRegisters(paths.DefRegPath);
        out << paths.DefRegPath << ": " << result.registers << " registers imported (" << perPage[ModbusMap::Read]
            << " read, " << perPage[ModbusMap::Write] << " write), " << replaced << " replaced\n";
        if (result.hasMnemonic)
            out << texts.text(1674) << "\n";
        return Ok;
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
}

int autoMapCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (wantsHelp(args)) {
        autoMapHelp(out);
        return Ok;
    }
    QString folder;
    AutoMapOptions options;
    int pages = AutoMap::BothPages;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if ((a == QLatin1String("--start") || a == QLatin1String("--step")) && hasValue) {
            const int value = optionValue(args.at(++i));
            if (value < 0) {
                err << a << " needs a whole number from 0 to 65535, not \"" << args.at(i) << "\"\n";
                return Usage;
            }
            (a == QLatin1String("--start") ? options.start : options.step) = value;
        } else if (a == QLatin1String("--page") && hasValue) {
            const QString page = args.at(++i);
            if (page == QLatin1String("read"))
                pages = ModbusMap::Read;
            else if (page == QLatin1String("write"))
                pages = ModbusMap::Write;
            else if (page == QLatin1String("both"))
                pages = AutoMap::BothPages;
            else {
                err << "--page takes read, write or both, not \"" << page << "\"\n";
                return Usage;
            }
        } else if (a == QLatin1String("--high-first")) {
            options.highFirst = true;
        } else if (!a.startsWith(QLatin1Char('-')) && folder.isEmpty()) {
            folder = a;
        } else {
            autoMapHelp(err);
            return Usage;
        }
    }
    if (folder.isEmpty()) {
        autoMapHelp(err);
        return Usage;
    }
    WorkspacePaths paths;
    if (!projectPaths(folder, paths, err))
        return Failed;
    try {
        // A refused slave list leaves the configuration as it was: checked before the lock makes bin.
        refuseSlaveListBeyondLimits(paths);
        const ConfigurationLock lock(paths.ProjectFolder, ConfigurationLock::MapChange);
        ModbusMap map = loadMap(paths);
        const TextCatalog &texts = TextCatalog::english();
        const AutoMapResult result = AutoMap::mapAll(map, pages, options);
        if (result.failure) {
            err << result.message(texts) << "\n";
            return Failed;
        }
        if (result.added == 0) {
            out << "Nothing to map: every byte already has a register. DefReg.xml is unchanged.\n";
            return Ok;
        }
        // What was mapped is printed only once it is saved.
        map.saveRegisters(paths.DefRegPath);
        for (const AutoMapResult::Block &b : result.blocks) {
            out << (b.page == ModbusMap::Read ? "read " : "write") << "  slave " << (b.slave + 1) << " (ID "
                << map.slave(b.slave).ID << "): " << b.count << (b.count == 1 ? " register" : " registers")
                << ", indexes " << b.first << " to " << b.last << "\n";
        }
        out << paths.DefRegPath << ": " << result.added << (result.added == 1 ? " register" : " registers")
            << " added\n";
        return Ok;
    } catch (const AppError &error) {
        err << error.message() << "\n";
        return Failed;
    }
}

} // namespace Cli
