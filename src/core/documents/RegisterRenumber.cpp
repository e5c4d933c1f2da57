#include "RegisterRenumber.h"

#include "DocumentSchema.h"
#include "ModbusMap.h"
#include "ProjectDocument.h"
#include "base/ParseIntOrDefault.h"

namespace {

const QString NodeName = Schema::name(Schema::DefReg::SlaveNumber);
const QString PositionName = Schema::name(Schema::DefReg::Position);
const QString ReadName = Schema::name(Schema::DefReg::ReadSection);
const QString WriteName = Schema::name(Schema::DefReg::WriteSection);

// The page of a section, 0 for anything else below the root.
int pageOf(const QDomNode &section)
{
    if (section.nodeName() == ReadName)
        return ModbusMap::Read;
    if (section.nodeName() == WriteName)
        return ModbusMap::Write;
    return 0;
}

// True when the register's high or low part names a byte beyond count; parts read as the readers read them.
bool beyond(const QDomNode &row, int count)
{
    const std::optional<QString> text = ProjectDocument::attribute(row, PositionName);
    int hi = 0;
    int lo = 0;
    ModbusMap::splitPosComp(text ? ParseIntOrDefault(*text, 0) : 0, &hi, &lo);
    return hi > count || lo > count;
}

} // namespace

namespace RegisterRenumber {

Result renumber(const QDomDocument &defReg, const QVector<int> &newPositions,
                const std::optional<QVector<SlaveBytes>> &newBytes)
{
    Result result;
    result.document = defReg.cloneNode(true).toDocument();
    const QDomNode root = ProjectDocument::firstNode(result.document);
    // Both sections, and anything else below the root that holds rows: the readers look only at the
    // two sections, so a renumbered row elsewhere does no harm and an untouched one would.
    for (QDomNode section = root.firstChild(); !section.isNull(); section = section.nextSibling()) {
        const int page = pageOf(section);
        QDomNode row = section.firstChild();
        while (!row.isNull()) {
            const QDomNode next = row.nextSibling();
            const std::optional<QString> node = ProjectDocument::attribute(row, NodeName);
            const int position = node ? ParseIntOrDefault(*node, -1) : -1;
            if (position >= 1 && position <= newPositions.size()) {
                const int target = newPositions.at(position - 1);
                if (target <= 0) {
                    section.removeChild(row);
                    ++result.removed;
                    ++result.removedOf[position];
                    row = next;
                    continue;
                }
                if (page != 0 && newBytes && target <= newBytes->size()) {
                    const SlaveBytes &bytes = newBytes->at(target - 1);
                    if (beyond(row, page == ModbusMap::Read ? bytes.out : bytes.in)) {
                        section.removeChild(row);
                        ++result.pastBytes;
                        ++result.pastBytesOf[{target, page}];
                        row = next;
                        continue;
                    }
                }
                if (target != position) {
                    row.toElement().setAttribute(NodeName, QString::number(target));
                    ++result.moved;
                    ++result.movedOf[position];
                }
            }
            row = next;
        }
    }
    return result;
}

} // namespace RegisterRenumber
