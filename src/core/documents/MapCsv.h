#pragma once

#include "ModbusMap.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class TextCatalog;

// The register map as a CSV tag list (RFC 4180, UTF-8, a header line): one line per register with
// its 0-based address, page ("read" or "write"), slave number (1-based, as DefReg.xml counts),
// the slave's ID and mnemonic, and the high and low byte (empty for None). Lines follow DefReg.xml's
// order, so an import of an export rebuilds the same document.
namespace MapCsv {

// Larger files are refused before reading: the biggest map exports to well under 2 MiB.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QByteArray toCsv(const ModbusMap &map);
// Replaces the file whole; never writes through a symbolic link. Throws AppError naming the file.
void save(const ModbusMap &map, const QString &path);

// One refused line: its number in the file (0 for the file as a whole) and the reason.
struct Problem
{
    int line = 0;
    QString reason;
};

struct ImportResult
{
    ModbusMap map;             // the slaves of the given map with the file's registers (when no problem)
    QVector<Problem> problems; // every refused line; any problem means nothing is to change
    int registers = 0;
};

// Checks every line as the editor's Create checks a register, plus the slave and its ID, and the
// file as a whole for repeated indexes. Comma or semicolon separated, told by the first line.
// A register the map already holds on the same page and slave with the same index value keeps the
// index text it was typed with.
ImportResult parse(const QByteArray &bytes, const ModbusMap &map, const TextCatalog &catalog);
// A regular file of at most MaxFileSize bytes; throws AppError naming the file.
QByteArray readFile(const QString &path);
// The problems as lines "Line n: reason", at most maxLines of them and then how many more.
QString problemsText(const QVector<Problem> &problems, const TextCatalog &catalog, int maxLines = 20);

} // namespace MapCsv
