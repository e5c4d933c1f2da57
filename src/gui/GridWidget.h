#pragma once

#include "app/GridOps.h"

#include <QTableWidget>

struct AppSettings;
class GridWidget;

// The row operations' view of a GridWidget: grid row 0 is the header, grid row r (r >= 1) is
// table row r - 1; columns are the same.
class GridWidgetCells : public GridTable
{
public:
    explicit GridWidgetCells(GridWidget &widget)
        : m_widget(widget)
    {}
    int rowCount() const override;
    int colCount() const override;
    QString cell(int row, int col) const override;
    void setCell(int row, int col, const QString &text) override;
    GridEditor editorKind(int col) const override;
    int currentRow() const override;
    int currentCol() const override;
    void setCurrentCell(int row, int col) override;
    void fitColumnWidth(int col) override;

private:
    GridWidget &m_widget;
};

// An editable text table with a header row and a numbered, read-only first column. Enter and
// double clicks go through the shared table operations, which read the options in the settings.
class GridWidget : public QTableWidget
{
    Q_OBJECT
public:
    // dataRows rows below the header; columns include the numbered one.
    GridWidget(int dataRows, int columns, const AppSettings &settings, QWidget *parent = nullptr);

    GridTable &cells() { return m_cells; }
    const GridTable &cells() const { return m_cells; }
    GridEditor editorKind(int col) const { return m_editors.value(col, GridEditor::Text); }
    void setEditorKind(int col, GridEditor kind) { m_editors[col] = kind; }

    // Column 0 gets the row numbers, every other cell becomes empty.
    void clearData();
    void setHeader(int col, const QString &caption, const QString &hint = QString());
    bool jumpsOnEnter() const;
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }
    // Puts the text of an open cell editor into its cell and closes the editor.
    void commitOpenEditor();
    // Applies the Enter rule to the current cell; true when the key was consumed.
    bool enterKeyJump(int key);
    // True for a Tab that leaves the table: Tab at its last cell, Shift+Tab at its first, Ctrl+Tab
    // (and Ctrl+Shift+Tab) anywhere.
    bool leavesOnTab(const QKeyEvent *event) const;
    // Keeps what an open editor holds and moves the focus to the dialog's next (or previous) control.
    void leaveTable(bool forward);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    // Tab and Backtab pass over the numbered column, which holds nothing to edit.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    const AppSettings &m_settings;
    GridWidgetCells m_cells;
    QVector<GridEditor> m_editors;
};
