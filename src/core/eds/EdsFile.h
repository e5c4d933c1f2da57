#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

class TextCatalog;

// An Electronic Data Sheet (EDS): the text file in which a DeviceNet device states what it is and the
// sizes of its I/O connections. Read here far enough to fill a slave's byte counts: the syntax of the
// whole file, then [Device] and [IO_Info].
namespace Eds {

// The most input or output bytes the converter takes from one slave.
constexpr int MaxBytesPerSlave = 455;
// Far above any data sheet (the large ones, with parameter lists, stay under 1 MiB).
constexpr qint64 MaxFileSize = qint64(8) * 1024 * 1024;
// The warnings a reading keeps; the rest are only counted. A file that could repeat an entry a million
// times would otherwise cost more to report than to read.
constexpr int MaxWarnings = 1000;
// InputN and OutputN: N is a connection number of the device, 1 to 65535, written without leading
// zeros; 0 in a connection entry means none.
constexpr int MaxEntryNumber = 65535;

// N of an InputN or OutputN keyword (kind "Input" or "Output", letter case aside), or 0 when the
// keyword is not one: the one rule for entry numbers, for the default entry and for the choices.
int entryNumber(QStringView keyword, QStringView kind);

// A finding on one line of the file (lines counted from 1).
struct Problem
{
    int line = 0;
    QString what;
};

struct Entry
{
    QString keyword;    // as written
    QStringList fields; // strings without their quotes (adjacent ones joined), other values trimmed
    int line = 0;       // where the keyword stands
};

struct Section
{
    QString name; // as written first
    int line = 0;
    QVector<Entry> entries;

    // The entry of that keyword (letter case does not matter), or null.
    const Entry *entry(const QString &keyword) const;
};

// The file's sections and entries in their order, vendor keywords (a number and an underscore
// first) left out; a repeated entry keeps the first one and leaves a warning (keywords compared with
// A to Z as a to z). On a syntax error the reading stops there.
struct Parsed
{
    QVector<Section> sections;
    QVector<Problem> warnings; // the first MaxWarnings
    int warningCount = 0;      // all of them, also those past MaxWarnings
    std::optional<Problem> error;

    const Section *section(const QString &name) const;
};

} // namespace Eds

// Moved in memory as they are when a section's entries grow.
Q_DECLARE_TYPEINFO(Eds::Entry, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Eds::Section, Q_RELOCATABLE_TYPE);
Q_DECLARE_TYPEINFO(Eds::Problem, Q_RELOCATABLE_TYPE);

namespace Eds {

// keep names the sections whose entries are kept (letter case aside); when empty, all of them. The
// others are read for their syntax and repeated entries alone.
Parsed parse(const QString &text, const TextCatalog &catalog, const QStringList &keep = {});

// The I/O connection types, by their bit in the connection masks.
enum class Connection {
    Poll = 0x1,
    Strobe = 0x2,
    ChangeOfState = 0x4,
    Cyclic = 0x8,
};

// One InputN or OutputN entry: N (0 for none), its size and its name.
struct IoEntry
{
    int number = 0;
    int bytes = 0;
    QString name;
};

// What the import shows and fills.
struct Device
{
    QString productName;
    QString vendorName;
    QString vendorCode;  // in decimal, empty when the file has none
    QString productCode; // in decimal, empty when the file has none
    QString revision;    // major.minor, the minor in three digits ("1.003"); empty without MajRev
    Connection connection = Connection::Poll;
    // The entries the connection may use, by N: the default one and the others whose type mask
    // names the connection. A connection without one (entry number 0, or a strobe's output) has
    // the single entry {0, 0 bytes}.
    QVector<IoEntry> inputs;
    QVector<IoEntry> outputs;
    int defaultInput = 0; // index in inputs
    int defaultOutput = 0;

    int inputBytes() const { return inputs.value(defaultInput).bytes; }
    int outputBytes() const { return outputs.value(defaultOutput).bytes; }
};

struct Result
{
    std::optional<Device> device;
    QString error; // a sentence naming the file, set when there is no device
    // Sentences naming the file and the line, at most MaxWarnings; past that a last sentence says how
    // many more there are.
    QStringList warnings;
};

// Reads the file as the bounded file reader allows and applies the rule for the two counts. Nothing
// is thrown: every failure, a shortage of memory included, comes back as the result's error.
Result readFile(const QString &path, const TextCatalog &catalog);
// The same on bytes already read; name is the file as messages name it.
Result read(const QByteArray &bytes, const QString &name, const TextCatalog &catalog);

// "Poll", or the other type with the remark that it is not a poll connection.
QString connectionText(Connection connection, const TextCatalog &catalog);

} // namespace Eds
