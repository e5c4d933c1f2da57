#pragma once

#include <QDomDocument>
#include <QHash>
#include <QString>
#include <QVector>

class XmlTree;

// One Modbus register of the map: which byte of its slave goes into each half (0 = none, n = byte n).
struct TMod_Reg
{
    QString Ind_Mod; // the register index exactly as typed
    int HiPart = 0;
    int LoPart = 0;
};

// One DeviceNet slave as listed in DNET_Net.xml, with its registers of both directions.
class TDNET_Slave
{
public:
    QString ID;       // as stored in DNET_Net.xml
    QString Mnemonic; // shown by the overview and the CSV tag list; the editor does not use it
    int Num_Byte_IN = 0;
    int Num_Byte_OUT = 0;
    QVector<TMod_Reg> Lista_Mod_Reg_Read;
    QVector<TMod_Reg> Lista_Mod_Reg_Write;
};

// The Modbus register map of a project (DefReg.xml) over the slave list of DNET_Net.xml.
// A register belongs to a slave by the slave's position in DNET_Net.xml, never by its ID.
// Registers change only through this class, which keeps a count of every index value in use so
// that the in-use test stays a lookup however large the map grows.
class ModbusMap
{
public:
    // Pages, numbered as DefReg.xml and the editor number them.
    static constexpr int Read = 1;
    static constexpr int Write = 2;
    static constexpr int MaxIndex = 65535;

    void clear();
    void appendSlave(const QString &id, int numByteIn, int numByteOut, const QString &mnemonic = QString());

    int slaveCount() const { return int(m_slaves.size()); }
    const QVector<TDNET_Slave> &slaves() const { return m_slaves; }
    const TDNET_Slave &slave(int position) const { return m_slaves.at(position); }
    bool hasSlave(int position) const { return position >= 0 && position < slaveCount(); }
    bool hasRegister(int slavePosition, int page, int registerPosition) const;
    // Registers of one slave on one page, in creation order.
    const QVector<TMod_Reg> &registers(int slavePosition, int page) const;
    // The bytes a register of that page can take: NB_OUT on the read page, NB_IN on the write page.
    int byteCount(int slavePosition, int page) const;
    int registerCount() const { return m_registerCount; }

    void appendRegister(int slavePosition, int page, const TMod_Reg &reg);
    void replaceRegister(int slavePosition, int page, int registerPosition, const TMod_Reg &reg);
    void removeRegister(int slavePosition, int page, int registerPosition);

    // True when the index value ind_MR is used by any register of the map other than register
    // app_ind_MR of slave app_ind_J1939 on page read_write (pass -1, -1 to exclude none).
    // Stored indexes are compared by value: 007, 7 and $7 are the same register.
    bool Check_Mod_Reg_in_Use(int ind_MR, int app_ind_J1939, int app_ind_MR, int read_write) const;

    // The check of Create (registerPosition -1) and Modify: 0 when the register may be stored,
    // else the catalog index of the first failure: 658 index not 0..65535, 662 a byte choice
    // missing (-1) or beyond the slave's bytes, 659 index already used.
    int checkRegister(int slavePosition, int page, int registerPosition, const QString &indexText, int hiPart,
                      int loPart) const;

    // PosComp of DefReg.xml: high part in the upper 16 bits, low part in the lower 16.
    static int posComp(int hiPart, int loPart);
    static void splitPosComp(int posComp, int *hiPart, int *loPart);

    // Replaces the whole map by the slaves of a DNET_Net.xml document (every child node of its root,
    // whatever its kind; a missing attribute reads as an empty text).
    void readSlaves(const XmlTree &dnetNet);
    // Adds the registers of a DefReg.xml document (every child node of each section); rows naming a
    // slave that does not exist are dropped.
    void readRegisters(const XmlTree &defReg);
    // The DefReg.xml document of the map.
    QDomDocument toDocument() const;

    // File forms, read through the compact tree: a register map of thousands of rows does not need a
    // whole DOM. A missing file is normal: no slaves, or no registers. A file that cannot be
    // parsed throws AppError with the parser's message and the file name, leaving the map as it was.
    void loadSlaves(const QString &dnetNetPath);
    // Reads nothing while the map has no slaves.
    void loadRegisters(const QString &defRegPath);
    // Replaces the file whole; throws AppError when it cannot be written (the old file stays).
    void saveRegisters(const QString &defRegPath) const;

private:
    QVector<TMod_Reg> &list(int slavePosition, int page);
    void readSlaveRow(const QString &id, const QString &numByteIn, const QString &numByteOut, const QString &mnemonic);
    void readRegisterRow(int page, const QString &slaveNumber, const QString &index, const QString &posCompText);
    void countIndex(const QString &indexText, int delta);

    QVector<TDNET_Slave> m_slaves;
    QHash<int, int> m_indexUse; // index value -> number of registers holding it
    int m_registerCount = 0;
};
