#pragma once

#include "DocumentSchema.h"

#include <QDomDocument>
#include <QList>
#include <QString>

class XmlTree;

class TextCatalog;

// One row of the slave list (one "row" of DNET_Net.xml): its node address, its input and
// output byte counts and a free description, each kept as the text the user typed.
struct DnetSlaveRow
{
    QString ID;
    QString NB_IN;
    QString NB_OUT;
    QString Mnemonic;

    bool operator==(const DnetSlaveRow &o) const
    {
        return ID == o.ID && NB_IN == o.NB_IN && NB_OUT == o.NB_OUT && Mnemonic == o.Mnemonic;
    }
};

namespace DnetNetDocument {

inline const QString RootName = Schema::name(Schema::DnetNet::Root);
// The editor's table has room for this many slaves.
constexpr int EditorSlaveRows = 63; // the device's table has 64 slots (DeviceSlaveSlots)

struct Loaded
{
    QList<DnetSlaveRow> slaves; // at most EditorSlaveRows, in document order
    int notLoaded = 0;          // rows of the document beyond EditorSlaveRows
};

// Every child node of the root is one slave, whatever its name; an attribute that a row lacks
// reads as empty text.
Loaded fromDocument(const QDomDocument &doc);
// The same from the compact tree: a list of many rows costs little more than its bytes.
Loaded fromTree(const XmlTree &tree);
// Nothing when the file does not exist; throws AppError when it cannot be read or parsed.
Loaded load(const QString &path);

QDomDocument toDocument(const QList<DnetSlaveRow> &slaves);
// The order in which a row's attributes are written.
QStringList attributeOrder();
// Replaces the file whole; throws AppError with the platform's message.
void save(const QList<DnetSlaveRow> &slaves, const QString &path);

// The slaves of a table: the rows from the first one down to the first whose ID is blank.
QList<DnetSlaveRow> filledRun(const QList<DnetSlaveRow> &tableRows);
// True when any cell of the row holds more than blanks.
bool holdsAnything(const DnetSlaveRow &row);
// The table row (from 1) of the first row with a blank ID when that row or any row below it holds
// anything: saving then would drop those rows without a word. 0 when the list saves whole.
int blankRowAboveData(const QList<DnetSlaveRow> &tableRows);

} // namespace DnetNetDocument

// The first refusal of the slave-list check.
struct DnetCheckFailure
{
    int row = 0;       // table row (1 for the first slave), 0 for the byte sums
    int textIndex = 0; // 526, 527 or 528 for a row; 529 or 530 for a sum; 0 when accepted

    bool ok() const { return textIndex == 0; }
    // The message as shown: "Error in row " + row + the row's text, or the sum's text alone.
    QString message(const TextCatalog &catalog) const;
};

// The data check of the slave list: each slave's ID 0..63, input and output bytes 0..455, then the
// total input bytes and the total output bytes at most 6000 each. Only the first failure counts.
// The rows given are the slaves of the list (see filledRun).
DnetCheckFailure Controllo_dati(const QList<DnetSlaveRow> &slaves);
