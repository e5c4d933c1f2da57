#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Reading of language files (.lng): lines "STR" + index + " = " + text.
namespace LanguageFile {

enum class LineKind {
    Ignored,    // not an entry line (does not start with "STR" after trimming)
    Entry,      // sets the entry
    NoEquals,   // starts with "STR" but has no "="
    BadIndex,   // the index is not an integer
    OutOfRange, // the index is below 0 or not below the catalog size
    EmptyText,  // nothing left after "=" (or before "/#/"): the entry keeps its text
};

struct Line
{
    int lineNumber = 0; // 1-based
    LineKind kind = LineKind::Ignored;
    int index = -1;
    QString text;
};

// Decodes a file's bytes: a byte-order mark selects UTF-8 or UTF-16; without one, valid UTF-8
// is read as UTF-8 and anything else as Windows-1252 (where the pilcrow is the byte B6).
QString decode(const QByteArray &bytes);
// Windows-1252 as a spreadsheet on Windows writes it; the five bytes that code no character are kept as the
// control characters of the same number.
QString decodeWindows1252(const QByteArray &bytes);
// False when the decoded text holds a character no text file has (NUL or another control character
// besides tab, line feed, form feed and carriage return): the bytes were no text in a known encoding,
// such as UTF-16 without a byte-order mark, or a binary file.
bool isText(const QString &decoded);
// Splits at CR LF, LF or CR.
QStringList splitLines(const QString &text);
// Reads one line. The index is the whole text between "STR" and the first "=", trimmed.
Line parseLine(const QString &line, int lineNumber, int catalogSize);
QVector<Line> parse(const QByteArray &bytes, int catalogSize);
// The form a text takes in a file: framed by pilcrows when a blank at either end matters.
QString encodeText(const QString &text);

} // namespace LanguageFile
