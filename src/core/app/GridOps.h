#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

struct AppSettings;
class Messages;
class TextCatalog;

// How a column's cells are edited. Check-box cells hold a mark rather than a value, so a row whose
// only filled cells are check boxes still counts as unused when pasting over it.
enum class GridEditor { Text, CheckBox };

// An editable table as the row operations see it: text cells, a header row 0 and a numbered
// column 0 that the operations never touch; data cells are rows 1..rowCount()-1 and columns
// 1..colCount()-1. The operations only move cell texts, never rows or columns.
class GridTable
{
public:
    virtual ~GridTable() = default;
    virtual int rowCount() const = 0;
    virtual int colCount() const = 0;
    virtual QString cell(int row, int col) const = 0;
    virtual void setCell(int row, int col, const QString &text) = 0;
    virtual GridEditor editorKind(int col) const = 0;
    virtual int currentRow() const = 0;
    virtual int currentCol() const = 0;
    virtual void setCurrentCell(int row, int col) = 0;
    // Fits the column's width to its widest text, with no margin.
    virtual void fitColumnWidth(int col) = 0;
};

// With enable_jump_field_tables on, Enter moves to the next data cell (the next column, or column 1
// of the next row, or from the last row to row 1) and is consumed: key becomes 0 so the table
// does not act on it. Any other key, or the option off, leaves key alone.
void GridEnterKeyJump(GridTable &table, const AppSettings &settings, int &key);

// With Double_Click_Auto_Size on, a double click on a header cell fits that column's width.
void GridAutoSizeOnDoubleClick(GridTable &table, const AppSettings &settings, int row, int col);

// Moves the rows below up by one; the last row becomes empty.
void GridDeleteRow(int row, GridTable &table);
// Moves the row and those below down by one (the last row's texts are lost); the row becomes empty.
void GridInsertRow(int row, GridTable &table);
// Replaces the clipboard by the data cells of the row.
void GridCopyRow(GridTable &table, int row, QStringList &clipboard);
// Pastes the clipboard into the row. Refused (with an error) before any copy in the calling dialog
// and when the clipboard came from a table with another column count; a row in use (a non-blank
// cell outside check-box columns) is overwritten only when the user says yes.
void GridPasteRow(GridTable &table, int row, bool copyDone, const QStringList &clipboard, Messages &messages,
                  const TextCatalog &catalog);
