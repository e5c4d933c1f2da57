#pragma once

#include "app/GridOps.h"

#include <QStringList>
#include <QVector>

// A table held in memory: what the row operations are tested on.
class TextGrid : public GridTable
{
public:
    TextGrid(int rows, int cols);
    int rowCount() const override { return m_rows; }
    int colCount() const override { return m_cols; }
    QString cell(int row, int col) const override { return m_cells.at(row * m_cols + col); }
    void setCell(int row, int col, const QString &text) override { m_cells[row * m_cols + col] = text; }
    GridEditor editorKind(int col) const override { return m_editors.at(col); }
    void setEditorKind(int col, GridEditor kind) { m_editors[col] = kind; }
    int currentRow() const override { return m_currentRow; }
    int currentCol() const override { return m_currentCol; }
    void setCurrentCell(int row, int col) override
    {
        m_currentRow = row;
        m_currentCol = col;
    }
    void fitColumnWidth(int col) override { m_fitted.append(col); }
    const QVector<int> &fittedColumns() const { return m_fitted; }
    // The data cells of a row, columns 1 onwards.
    QStringList rowTexts(int row) const;
    void setRowTexts(int row, const QStringList &texts);

private:
    int m_rows;
    int m_cols;
    QVector<QString> m_cells;
    QVector<GridEditor> m_editors;
    int m_currentRow = 1;
    int m_currentCol = 1;
    QVector<int> m_fitted;
};

inline TextGrid::TextGrid(int rows, int cols)
    : m_rows(rows)
    , m_cols(cols)
    , m_cells(rows * cols)
    , m_editors(cols, GridEditor::Text)
{}

inline QStringList TextGrid::rowTexts(int row) const
{
    QStringList texts;
    for (int c = 1; c < m_cols; ++c)
        texts.append(cell(row, c));
    return texts;
}

inline void TextGrid::setRowTexts(int row, const QStringList &texts)
{
    for (int c = 1; c < m_cols && c - 1 < texts.size(); ++c)
        setCell(row, c, texts.at(c - 1));
}
