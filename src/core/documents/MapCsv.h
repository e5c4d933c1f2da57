#pragma once

#include "ModbusMap.h"
#include "base/SafeFile.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class TextCatalog;

// The register map as a CSV tag list (RFC 4180, UTF-8, a header line): one line per register with
// its 0-based address, page ("read" or "write"), slave number (1-based, as DefReg.xml counts),
// the slave's ID and mnemonic, and the high and low byte (empty for None). Lines follow DefReg.xml's
// order, so an import of an export rebuilds the same document.
namespace MapCsv {

// Larger files are refused before reading: the biggest map of short IDs and mnemonics exports to well
// under 2 MiB. parse() then holds a file to what the given slave list can export (largestImport).
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
// The refused lines an import keeps; it counts the rest (ImportResult::problemCount).
constexpr int MaxProblems = 1000;

QByteArray toCsv(const ModbusMap &map);
// Replaces the file whole through SafeFile; never writes through a symbolic link. Throws AppError naming
// the file; the old file then stays as it was.
void save(const ModbusMap &map, const QString &path, SafeFile::Steps &steps = SafeFile::Steps::real());
// The size a file given to parse() may have: twice the export of a full map (6144 registers a page) whose
// every line carries the longest ID and mnemonic of the slave list, so that a spreadsheet's re-quoting
// fits, and never more than MaxFileSize.
qint64 largestImport(const ModbusMap &map);

// One refused line: its number in the file (0 for the file as a whole) and the reason.
struct Problem
{
    int line = 0;
    QString reason;
};

struct ImportResult
{
    ModbusMap map;             // the slaves of the given map with the file's registers (when no problem)
    QVector<Problem> problems; // the first MaxProblems refused lines; any problem means nothing is to change
    int problemCount = 0;      // all refused lines, also those past MaxProblems
    int registers = 0;
    bool hasMnemonic = false; // the file has a Mnemonic column, which is not imported
};

// Checks every line as the editor's Create checks a register, plus the slave and its ID, and the
// file as a whole for repeated indexes. Comma or semicolon separated, told by the header line, which
// names the columns in any order (the names toCsv writes, letter case and surrounding blanks aside;
// ID and Mnemonic may be absent). UTF-8, or Windows-1252 when the bytes are not UTF-8. Lines are
// checked one by one as they are read. A register the map already holds on the same page and slave
// with the same index value keeps the index text it was typed with. Empty columns after the last
// named one are passed over; a first line naming no column, and a file without a register, are refused.
ImportResult parse(const QByteArray &bytes, const ModbusMap &map, const TextCatalog &catalog);
// A regular file of at most MaxFileSize bytes; throws AppError naming the file.
QByteArray readFile(const QString &path);
// The problems as lines "Line n: reason", at most maxLines of them and then how many more of total
// (-1: the size of problems).
QString problemsText(const QVector<Problem> &problems, const TextCatalog &catalog, int maxLines = 20,
                     int total = -1);

} // namespace MapCsv
