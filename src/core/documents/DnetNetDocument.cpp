#include "DnetNetDocument.h"

#include "DocumentSchema.h"
#include "ProjectDocument.h"
#include "XmlTree.h"
#include "base/ParseIntOrDefault.h"
#include "base/TextUtil.h"
#include "text/TextCatalog.h"

#include <QFileInfo>

namespace {

const QString RowName = Schema::name(Schema::DnetNet::Row);
const QString IdName = Schema::name(Schema::DnetNet::Id);
const QString InName = Schema::name(Schema::DnetNet::InputBytes);
const QString OutName = Schema::name(Schema::DnetNet::OutputBytes);
const QString MnemonicName = Schema::name(Schema::DnetNet::Mnemonic);

constexpr int MaxBytesPerSlave = 455;
constexpr int MaxBytesInAll = 6000;

} // namespace

namespace DnetNetDocument {

Loaded fromDocument(const QDomDocument &doc)
{
    using ProjectDocument::attribute;
    Loaded result;
    for (QDomNode row = ProjectDocument::firstRow(ProjectDocument::firstNode(doc)); !row.isNull();
         row = row.nextSibling()) {
        if (result.slaves.size() == EditorSlaveRows) {
            ++result.notLoaded;
            continue;
        }
        result.slaves.append({attribute(row, IdName).value_or(QString()), attribute(row, InName).value_or(QString()),
                              attribute(row, OutName).value_or(QString()),
                              attribute(row, MnemonicName).value_or(QString())});
    }
    return result;
}

Loaded fromTree(const XmlTree &tree)
{
    Loaded result;
    const auto value = [&tree](int row, const QString &name) {
        QString text;
        tree.attribute(row, name, &text);
        return QString(text.constData(), text.size()); // a copy of its own: the tree goes away
    };
    for (int row = tree.firstRow(tree.firstNode()); row != XmlTree::None; row = tree.nextSibling(row)) {
        if (result.slaves.size() == EditorSlaveRows) {
            ++result.notLoaded;
            continue;
        }
        result.slaves.append({value(row, IdName), value(row, InName), value(row, OutName), value(row, MnemonicName)});
    }
    return result;
}

Loaded load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return Loaded();
    // The compact tree rather than the DOM: a hand-made list of 100 000 rows would cost hundreds of MB as a DOM.
    return fromTree(XmlTree::load(path));
}

QStringList attributeOrder()
{
    return {IdName, InName, OutName, MnemonicName};
}

QDomDocument toDocument(const QList<DnetSlaveRow> &slaves)
{
    QDomDocument doc = ProjectDocument::create(RootName);
    QDomElement root = ProjectDocument::root(doc);
    for (const DnetSlaveRow &slave : slaves) {
        QDomElement row = ProjectDocument::appendElement(root, RowName);
        row.setAttribute(IdName, slave.ID);
        row.setAttribute(InName, slave.NB_IN);
        row.setAttribute(OutName, slave.NB_OUT);
        row.setAttribute(MnemonicName, slave.Mnemonic);
    }
    return doc;
}

void save(const QList<DnetSlaveRow> &slaves, const QString &path)
{
    ProjectDocument::save(toDocument(slaves), path, attributeOrder());
}

QList<DnetSlaveRow> filledRun(const QList<DnetSlaveRow> &tableRows)
{
    QList<DnetSlaveRow> run;
    for (const DnetSlaveRow &row : tableRows) {
        if (trimControl(row.ID).isEmpty())
            break;
        run.append(row);
    }
    return run;
}

bool holdsAnything(const DnetSlaveRow &row)
{
    for (const QString *cell : {&row.ID, &row.NB_IN, &row.NB_OUT, &row.Mnemonic}) {
        if (!trimControl(*cell).isEmpty())
            return true;
    }
    return false;
}

int blankRowAboveData(const QList<DnetSlaveRow> &tableRows)
{
    const int firstBlank = int(filledRun(tableRows).size());
    for (int i = firstBlank; i < tableRows.size(); ++i) {
        if (holdsAnything(tableRows.at(i)))
            return firstBlank + 1;
    }
    return 0;
}

} // namespace DnetNetDocument

QString DnetCheckFailure::message(const TextCatalog &catalog) const
{
    if (ok())
        return QString();
    if (row == 0)
        return catalog.text(textIndex);
    return catalog.text(525) + QString::number(row) + catalog.text(textIndex);
}

DnetCheckFailure Controllo_dati(const QList<DnetSlaveRow> &slaves)
{
    // Sums in 64 bits: 63 slaves of at most 455 bytes cannot overflow, but the sums stay exact
    // whatever the caller passes.
    qint64 sumIn = 0;
    qint64 sumOut = 0;
    for (int i = 0; i < slaves.size(); ++i) {
        const DnetSlaveRow &slave = slaves.at(i);
        const int row = i + 1;
        const int id = ParseIntOrDefault(slave.ID, -1);
        if (id < 0 || id > 63)
            return {row, 526};
        const int in = ParseIntOrDefault(slave.NB_IN, -1);
        if (in < 0 || in > MaxBytesPerSlave)
            return {row, 527};
        sumIn += in;
        const int out = ParseIntOrDefault(slave.NB_OUT, -1);
        if (out < 0 || out > MaxBytesPerSlave)
            return {row, 528};
        sumOut += out;
    }
    if (sumIn > MaxBytesInAll)
        return {0, 529};
    if (sumOut > MaxBytesInAll)
        return {0, 530};
    return {};
}
