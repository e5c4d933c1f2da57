#include "ModbusMap.h"

#include "DocumentSchema.h"
#include "ProjectDocument.h"
#include "XmlTree.h"
#include "base/ParseIntOrDefault.h"

#include <QFileInfo>

namespace {

const QString RootName = Schema::name(Schema::DefReg::Root);
const QString ReadSection = Schema::name(Schema::DefReg::ReadSection);
const QString WriteSection = Schema::name(Schema::DefReg::WriteSection);
const QString RowName = Schema::name(Schema::DefReg::Row);
const QString IdName = Schema::name(Schema::DnetNet::Id);
const QString InName = Schema::name(Schema::DnetNet::InputBytes);
const QString OutName = Schema::name(Schema::DnetNet::OutputBytes);
const QString MnemonicName = Schema::name(Schema::DnetNet::Mnemonic);
const QString IndexName = Schema::name(Schema::DefReg::Index);
const QString NodeName = Schema::name(Schema::DefReg::SlaveNumber);
const QString PosCompName = Schema::name(Schema::DefReg::Position);

int indexValue(const QString &indexText)
{
    return ParseIntOrDefault(indexText, -1);
}

// An attribute's value as a view into the tree (empty when missing): only for values read on the spot.
QString treeText(const XmlTree &tree, int node, const QString &name)
{
    QString value;
    tree.attribute(node, name, &value);
    return value;
}

// An attribute's value the map keeps: a copy of its own, since the tree goes away after reading.
QString ownText(const XmlTree &tree, int node, const QString &name)
{
    const QString value = treeText(tree, node, name);
    return QString(value.constData(), value.size());
}

} // namespace

void ModbusMap::clear()
{
    m_slaves.clear();
    m_indexUse.clear();
    m_registerCount = 0;
}

void ModbusMap::appendSlave(const QString &id, int numByteIn, int numByteOut, const QString &mnemonic)
{
    TDNET_Slave slave;
    slave.ID = id;
    slave.Mnemonic = mnemonic;
    slave.Num_Byte_IN = numByteIn;
    slave.Num_Byte_OUT = numByteOut;
    m_slaves.append(slave);
}

bool ModbusMap::hasRegister(int slavePosition, int page, int registerPosition) const
{
    return hasSlave(slavePosition) && (page == Read || page == Write) && registerPosition >= 0 &&
           registerPosition < registers(slavePosition, page).size();
}

const QVector<TMod_Reg> &ModbusMap::registers(int slavePosition, int page) const
{
    const TDNET_Slave &s = m_slaves.at(slavePosition);
    return page == Read ? s.Lista_Mod_Reg_Read : s.Lista_Mod_Reg_Write;
}

QVector<TMod_Reg> &ModbusMap::list(int slavePosition, int page)
{
    TDNET_Slave &s = m_slaves[slavePosition];
    return page == Read ? s.Lista_Mod_Reg_Read : s.Lista_Mod_Reg_Write;
}

int ModbusMap::byteCount(int slavePosition, int page) const
{
    const TDNET_Slave &s = m_slaves.at(slavePosition);
    return page == Read ? s.Num_Byte_OUT : s.Num_Byte_IN;
}

void ModbusMap::countIndex(const QString &indexText, int delta)
{
    const int value = indexValue(indexText);
    auto it = m_indexUse.find(value);
    if (it == m_indexUse.end())
        it = m_indexUse.insert(value, 0);
    it.value() += delta;
    if (it.value() <= 0)
        m_indexUse.erase(it);
    m_registerCount += delta;
}

void ModbusMap::appendRegister(int slavePosition, int page, const TMod_Reg &reg)
{
    list(slavePosition, page).append(reg);
    countIndex(reg.Ind_Mod, +1);
}

void ModbusMap::replaceRegister(int slavePosition, int page, int registerPosition, const TMod_Reg &reg)
{
    TMod_Reg &stored = list(slavePosition, page)[registerPosition];
    countIndex(stored.Ind_Mod, -1);
    stored = reg;
    countIndex(reg.Ind_Mod, +1);
}

void ModbusMap::removeRegister(int slavePosition, int page, int registerPosition)
{
    QVector<TMod_Reg> &regs = list(slavePosition, page);
    countIndex(regs.at(registerPosition).Ind_Mod, -1);
    regs.removeAt(registerPosition);
}

bool ModbusMap::Check_Mod_Reg_in_Use(int ind_MR, int app_ind_J1939, int app_ind_MR, int read_write) const
{
    int uses = m_indexUse.value(ind_MR, 0);
    // The register being modified does not collide with itself.
    if (uses > 0 && hasRegister(app_ind_J1939, read_write, app_ind_MR) &&
        indexValue(registers(app_ind_J1939, read_write).at(app_ind_MR).Ind_Mod) == ind_MR)
        --uses;
    return uses > 0;
}

int ModbusMap::checkRegister(int slavePosition, int page, int registerPosition, const QString &indexText, int hiPart,
                             int loPart) const
{
    const int value = indexValue(indexText);
    if (value < 0 || value > MaxIndex)
        return 658;
    const int bytes = hasSlave(slavePosition) ? byteCount(slavePosition, page) : 0;
    if (hiPart < 0 || loPart < 0 || hiPart > bytes || loPart > bytes)
        return 662;
    if (Check_Mod_Reg_in_Use(value, slavePosition, registerPosition, page))
        return 659;
    return 0;
}

int ModbusMap::posComp(int hiPart, int loPart)
{
    // 32-bit arithmetic as the file has always held it, so that any loaded value saves back unchanged.
    return int(quint32(hiPart) * 65536u + quint32(loPart));
}

void ModbusMap::splitPosComp(int posComp, int *hiPart, int *loPart)
{
    *hiPart = int((quint32(posComp) >> 16) & 0xFFFFu);
    *loPart = int(quint32(posComp) & 0xFFFFu);
}

void ModbusMap::readSlaveRow(const QString &id, const QString &numByteIn, const QString &numByteOut,
                             const QString &mnemonic)
{
    appendSlave(id, ParseIntOrDefault(numByteIn, 0), ParseIntOrDefault(numByteOut, 0), mnemonic);
}

void ModbusMap::readRegisterRow(int page, const QString &slaveNumber, const QString &index, const QString &posCompText)
{
    // 64-bit, so that the lowest integer minus one stays below every position.
    const qint64 slavePosition = qint64(ParseIntOrDefault(slaveNumber, -1)) - 1;
    if (slavePosition < 0 || slavePosition >= slaveCount())
        return;
    TMod_Reg reg;
    reg.Ind_Mod = index;
    splitPosComp(ParseIntOrDefault(posCompText, 0), &reg.HiPart, &reg.LoPart);
    appendRegister(int(slavePosition), page, reg);
}

void ModbusMap::readSlaves(const XmlTree &dnetNet)
{
    clear();
    const int root = dnetNet.firstNode();
    for (int row = dnetNet.firstRow(root); row != XmlTree::None; row = dnetNet.nextSibling(row))
        readSlaveRow(ownText(dnetNet, row, IdName), treeText(dnetNet, row, InName), treeText(dnetNet, row, OutName),
                     ownText(dnetNet, row, MnemonicName));
}

void ModbusMap::readRegisters(const XmlTree &defReg)
{
    const int root = defReg.firstNode();
    for (int page : {Read, Write}) {
        const int section = defReg.firstChildElement(root, page == Read ? ReadSection : WriteSection);
        for (int row = defReg.firstRow(section); row != XmlTree::None; row = defReg.nextSibling(row))
            readRegisterRow(page, treeText(defReg, row, NodeName), ownText(defReg, row, IndexName),
                            treeText(defReg, row, PosCompName));
    }
}

QDomDocument ModbusMap::toDocument() const
{
    QDomDocument doc = ProjectDocument::create(RootName);
    const QDomElement root = ProjectDocument::root(doc);
    for (int page : {Read, Write}) {
        QDomElement section = ProjectDocument::appendElement(root, page == Read ? ReadSection : WriteSection);
        for (int i = 0; i < slaveCount(); ++i) {
            const QString slaveNumber = QString::number(i + 1);
            for (const TMod_Reg &reg : registers(i, page)) {
                QDomElement row = ProjectDocument::appendElement(section, RowName);
                row.setAttribute(IndexName, reg.Ind_Mod);
                row.setAttribute(NodeName, slaveNumber);
                row.setAttribute(PosCompName, QString::number(posComp(reg.HiPart, reg.LoPart)));
            }
        }
    }
    return doc;
}

void ModbusMap::loadSlaves(const QString &dnetNetPath)
{
    if (!QFileInfo::exists(dnetNetPath)) {
        clear();
        return;
    }
    readSlaves(XmlTree::load(dnetNetPath));
}

void ModbusMap::loadRegisters(const QString &defRegPath)
{
    if (m_slaves.isEmpty() || !QFileInfo::exists(defRegPath))
        return;
    readRegisters(XmlTree::load(defRegPath));
}

void ModbusMap::saveRegisters(const QString &defRegPath) const
{
    ProjectDocument::save(toDocument(), defRegPath);
}
