#include "RegisterRenumber.h"

#include "DocumentSchema.h"
#include "ProjectDocument.h"
#include "base/ParseIntOrDefault.h"

namespace {

const QString NodeName = Schema::name(Schema::DefReg::SlaveNumber);

} // namespace

namespace RegisterRenumber {

Result renumber(const QDomDocument &defReg, const QVector<int> &newPositions)
{
    Result result;
    result.document = defReg.cloneNode(true).toDocument();
    const QDomNode root = ProjectDocument::firstNode(result.document);
    // Both sections, and anything else below the root that holds rows: the readers look only at the
    // two sections, so a renumbered row elsewhere does no harm and an untouched one would.
    for (QDomNode section = root.firstChild(); !section.isNull(); section = section.nextSibling()) {
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
                } else if (target != position) {
                    row.toElement().setAttribute(NodeName, QString::number(target));
                    ++result.moved;
                }
            }
            row = next;
        }
    }
    return result;
}

} // namespace RegisterRenumber
