#pragma once

#include "base/WorkspacePaths.h"
#include "documents/XmlTree.h"

#include <QString>
#include <QStringView>

// One project document as the compiler sees it: present or not, parsed once on first use.
struct SourceDocument
{
    QString path; // empty when the file does not exist
    XmlTree tree;
    bool exists() const { return !path.isEmpty(); }
    // The document's first top-level node, whatever it is (the root element in files the editors write).
    int root() const { return tree.firstNode(); }
    // The root's child element of that name; a missing section stops the compile.
    int section(const QString &name) const;
};

// The documents of one compile. Each file is parsed at most once, at its first use, so parse errors
// surface in the order the image builders ask for the documents.
class ImageSources
{
public:
    explicit ImageSources(const WorkspacePaths &paths);

    const SourceDocument &dnetNet();
    const SourceDocument &defReg();
    // ParGen.xml as bank.bin looks for it: in the project folder, whatever the letter case of its name.
    const SourceDocument &bankParGen();
    // ParGen.xml at the configuration's document path.
    const SourceDocument &parGen();

private:
    struct Slot
    {
        bool loaded = false;
        SourceDocument source;
    };
    const SourceDocument &load(Slot &slot, const QString &existingPath);

    WorkspacePaths m_paths;
    Slot m_dnetNet;
    Slot m_defReg;
    Slot m_bankParGen;
    Slot m_parGen;
};

// Locates name in folder, first exactly, then ignoring the letter case; empty when there is none.
QString findFileIgnoringCase(const QString &folder, const QString &name);

// Where a row's value is read: "row 3" in the slave list, "Modbus_Read row 2" in a register section. Put
// into words only when an error names it, since the compiler reads thousands of rows that have none.
struct RowPlace
{
    QStringView section; // empty for the slave list
    int row = 0;         // 1 for the first row
    QString text() const;
};

// Strict conversions: accept exactly what ParseIntOrDefault accepts, throw AppError naming the file,
// the place and the value otherwise.
int attributeAsInteger(const SourceDocument &source, int row, const RowPlace &where, QStringView name);
// The attribute's text (the tree's storage: valid while the tree lives); a missing attribute (or a node
// that is no element) throws AppError.
QStringView attributeAsText(const SourceDocument &source, int row, const RowPlace &where, QStringView name);
// The text of the root's first child element of that name; a missing element or a text that is no
// integer throws AppError.
int elementAsInteger(const SourceDocument &source, int root, const QString &name);
