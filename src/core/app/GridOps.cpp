#include "GridOps.h"

#include "AppSettings.h"
#include "Messages.h"
#include "base/TextUtil.h"
#include "text/TextCatalog.h"

#include <QtCore/qnamespace.h>

namespace {

bool isDataRow(const GridTable &table, int row)
{
    return row >= 1 && row < table.rowCount();
}

void copyRowCells(GridTable &table, int from, int to)
{
    for (int c = 1; c < table.colCount(); ++c)
        table.setCell(to, c, table.cell(from, c));
}

void clearRowCells(GridTable &table, int row)
{
    for (int c = 1; c < table.colCount(); ++c)
        table.setCell(row, c, QString());
}

} // namespace

void GridEnterKeyJump(GridTable &table, const AppSettings &settings, int &key)
{
    if (!settings.enable_jump_field_tables || (key != Qt::Key_Return && key != Qt::Key_Enter))
        return;
    const int row = table.currentRow();
    const int col = table.currentCol();
    if (row > 0 && col > 0) {
        if (col < table.colCount() - 1)
            table.setCurrentCell(row, col + 1);
        else if (row < table.rowCount() - 1)
            table.setCurrentCell(row + 1, 1);
        else
            table.setCurrentCell(1, 1);
    }
    key = 0;
}

void GridAutoSizeOnDoubleClick(GridTable &table, const AppSettings &settings, int row, int col)
{
    if (settings.Double_Click_Auto_Size && row == 0 && col >= 0 && col < table.colCount())
        table.fitColumnWidth(col);
}

void GridDeleteRow(int row, GridTable &table)
{
    if (!isDataRow(table, row))
        return;
    for (int r = row; r <= table.rowCount() - 2; ++r)
        copyRowCells(table, r + 1, r);
    clearRowCells(table, table.rowCount() - 1);
}

void GridInsertRow(int row, GridTable &table)
{
    if (!isDataRow(table, row))
        return;
    for (int r = table.rowCount() - 2; r >= row; --r)
        copyRowCells(table, r, r + 1);
    clearRowCells(table, row);
}

void GridCopyRow(GridTable &table, int row, QStringList &clipboard)
{
    if (!isDataRow(table, row))
        return;
    clipboard.clear();
    for (int c = 1; c < table.colCount(); ++c)
        clipboard.append(table.cell(row, c));
}

void GridPasteRow(GridTable &table, int row, bool copyDone, const QStringList &clipboard, Messages &messages,
                  const TextCatalog &catalog)
{
    if (!copyDone) {
        messages.error(catalog.text(1102));
        return;
    }
    if (clipboard.size() != table.colCount() - 1) {
        messages.error(catalog.text(1101));
        return;
    }
    if (!isDataRow(table, row))
        return;
    bool inUse = false;
    for (int c = 1; c < table.colCount() && !inUse; ++c)
        inUse = table.editorKind(c) != GridEditor::CheckBox && !trimControl(table.cell(row, c)).isEmpty();
    if (inUse && !messages.question(catalog.text(1100)))
        return;
    for (int c = 1; c < table.colCount(); ++c)
        table.setCell(row, c, clipboard.at(c - 1));
}
