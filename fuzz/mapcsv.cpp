// The CSV import of the register map. The input's first byte gives a slave count (0 to 4), the next two bytes
// per slave its input and output byte counts (0 to 16); the rest is the CSV file. Slave n has the ID "1n" and
// the mnemonic "m n". Two properties hold for every input: an accepted import holds only registers that the
// editor's own check accepts, and the export of that map imports back to the same DefReg.xml.
#include "FuzzSupport.h"

#include "documents/MapCsv.h"
#include "documents/ProjectDocument.h"
#include "text/TextCatalog.h"

#include <cstdio>

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "the CSV import breaks a property: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = FuzzSupport::bytes(data, size);
    if (input.isEmpty())
        return 0;
    const int slaves = uchar(input.at(0)) % 5;
    if (input.size() < 1 + 2 * slaves)
        return 0;
    ModbusMap map;
    for (int s = 0; s < slaves; ++s)
        map.appendSlave(QStringLiteral("1%1").arg(s + 1), uchar(input.at(1 + 2 * s)) % 17,
                        uchar(input.at(2 + 2 * s)) % 17, QStringLiteral("m %1").arg(s + 1));
    const QByteArray csv = input.mid(1 + 2 * slaves);

    const MapCsv::ImportResult result = MapCsv::parse(csv, map, TextCatalog::english());
    if (result.problems.size() > MapCsv::MaxProblems || result.problemCount < result.problems.size())
        broken("the problems are not bounded or not counted");
    if (!result.problems.isEmpty()) {
        if (result.map.registerCount() != 0 || result.registers != 0)
            broken("a refused import hands back registers");
        return 0;
    }
    if (result.map.slaveCount() != map.slaveCount() || result.registers != result.map.registerCount())
        broken("the accepted map has other slaves or another count");
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        for (int s = 0; s < result.map.slaveCount(); ++s) {
            const QVector<TMod_Reg> &regs = result.map.registers(s, page);
            for (int r = 0; r < regs.size(); ++r) {
                const TMod_Reg &reg = regs.at(r);
                if (result.map.checkRegister(s, page, r, reg.Ind_Mod, reg.HiPart, reg.LoPart) != 0)
                    broken("an imported register is one the editor refuses");
            }
        }
    }

    const QByteArray document = ProjectDocument::toBytes(result.map.toDocument());
    const MapCsv::ImportResult again = MapCsv::parse(MapCsv::toCsv(result.map), result.map, TextCatalog::english());
    if (!again.problems.isEmpty())
        broken("the export of an accepted map is refused");
    if (ProjectDocument::toBytes(again.map.toDocument()) != document)
        broken("export then import gives another DefReg.xml");
    return 0;
}
