#pragma once

#include "base/ParseIntOrDefault.h"
#include "documents/DocumentSchema.h"
#include "documents/ModbusMap.h"
#include "documents/ProjectDocument.h"

#include <QDomDocument>

// The register map read from whole DOM documents, as the editors' document model sees them. The map
// itself reads the compact tree; tests and the document fuzzer check that both readings agree.
namespace DomRegisterMap {

inline QString value(const QDomNode &row, const char *name)
{
    return ProjectDocument::attribute(row, Schema::name(name)).value_or(QString());
}

// Every child node of the root is a slave, whatever its kind; a missing attribute reads as an empty text.
inline void readSlaves(ModbusMap &map, const QDomDocument &dnetNet)
{
    namespace DN = Schema::DnetNet;
    map.clear();
    const QDomNode root = ProjectDocument::firstNode(dnetNet);
    for (QDomNode row = ProjectDocument::firstRow(root); !row.isNull(); row = row.nextSibling())
        map.appendSlave(value(row, DN::Id), ParseIntOrDefault(value(row, DN::InputBytes), 0),
                        ParseIntOrDefault(value(row, DN::OutputBytes), 0), value(row, DN::Mnemonic));
}

// Every child node of each section is a register; rows naming a slave that does not exist are dropped.
inline void readRegisters(ModbusMap &map, const QDomDocument &defReg)
{
    namespace DR = Schema::DefReg;
    const QDomNode root = ProjectDocument::firstNode(defReg);
    for (int page : {ModbusMap::Read, ModbusMap::Write}) {
        const QDomElement section = ProjectDocument::firstChildElement(
            root, Schema::name(page == ModbusMap::Read ? DR::ReadSection : DR::WriteSection));
        for (QDomNode row = ProjectDocument::firstRow(section); !row.isNull(); row = row.nextSibling()) {
            const qint64 slavePosition = qint64(ParseIntOrDefault(value(row, DR::SlaveNumber), -1)) - 1;
            if (slavePosition < 0 || slavePosition >= map.slaveCount())
                continue;
            TMod_Reg reg;
            reg.Ind_Mod = value(row, DR::Index);
            ModbusMap::splitPosComp(ParseIntOrDefault(value(row, DR::Position), 0), &reg.HiPart, &reg.LoPart);
            map.appendRegister(int(slavePosition), page, reg);
        }
    }
}

} // namespace DomRegisterMap
