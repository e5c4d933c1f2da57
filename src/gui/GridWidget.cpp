#include "GridWidget.h"

#include "app/AppSettings.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyledItemDelegate>

namespace {

bool isEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// Lets Enter typed in a cell editor reach the table's Enter rule: the text is kept, the editor
// closes, and the rule moves on. Without the option the editor handles Enter as usual.
class JumpDelegate : public QStyledItemDelegate
{
public:
    explicit JumpDelegate(GridWidget *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {}

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QWidget *>(object);
        // Tab past the table's end (and the like) leaves it with the typed text kept.
        if (editor && event->type() == QEvent::KeyPress && m_grid->leavesOnTab(static_cast<QKeyEvent *>(event))) {
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_grid->leaveTable(static_cast<QKeyEvent *>(event)->key() == Qt::Key_Tab &&
                               !(static_cast<QKeyEvent *>(event)->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (editor && event->type() == QEvent::KeyPress && isEnter(static_cast<QKeyEvent *>(event)) &&
            m_grid->jumpsOnEnter()) {
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
            m_grid->enterKeyJump(static_cast<QKeyEvent *>(event)->key());
            return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    GridWidget *m_grid;
};

} // namespace

int GridWidgetCells::rowCount() const
{
    return m_widget.rowCount() + 1;
}

int GridWidgetCells::colCount() const
{
    return m_widget.columnCount();
}

QString GridWidgetCells::cell(int row, int col) const
{
    const QTableWidgetItem *item = row == 0 ? m_widget.horizontalHeaderItem(col) : m_widget.item(row - 1, col);
    return item ? item->text() : QString();
}

void GridWidgetCells::setCell(int row, int col, const QString &text)
{
    if (row == 0) {
        if (QTableWidgetItem *header = m_widget.horizontalHeaderItem(col))
            header->setText(text);
        return;
    }
    if (QTableWidgetItem *item = m_widget.item(row - 1, col))
        item->setText(text);
    else
        m_widget.setItem(row - 1, col, new QTableWidgetItem(text));
}

GridEditor GridWidgetCells::editorKind(int col) const
{
    return m_widget.editorKind(col);
}

int GridWidgetCells::currentRow() const
{
    return m_widget.currentRow() + 1;
}

int GridWidgetCells::currentCol() const
{
    return m_widget.currentColumn();
}

void GridWidgetCells::setCurrentCell(int row, int col)
{
    if (row >= 1)
        m_widget.setCurrentCell(row - 1, col);
}

void GridWidgetCells::fitColumnWidth(int col)
{
    // The header is measured as the header draws it (its own font and margins), the cells as the
    // table draws them; a few pixels more keep the text off the column's edge.
    constexpr int Margin = 6;
    const int header = m_widget.horizontalHeader()->sectionSizeHint(col);
    m_widget.setColumnWidth(col, qMax(header, static_cast<const QAbstractItemView &>(m_widget).sizeHintForColumn(col)) +
                                     Margin);
}

GridWidget::GridWidget(int dataRows, int columns, const AppSettings &settings, QWidget *parent)
    : QTableWidget(dataRows, columns, parent)
    , m_settings(settings)
    , m_cells(*this)
    , m_editors(columns, GridEditor::Text)
{
    setItemDelegate(new JumpDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(21);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (int c = 0; c < columns; ++c)
        setHorizontalHeaderItem(c, new QTableWidgetItem());
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int col) { GridAutoSizeOnDoubleClick(m_cells, m_settings, 0, col); });
    connect(this, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int col) { GridAutoSizeOnDoubleClick(m_cells, m_settings, row + 1, col); });
    clearData();
}

void GridWidget::clearData()
{
    for (int r = 0; r < rowCount(); ++r) {
        auto *number = new QTableWidgetItem(QString::number(r + 1));
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(palette().button());
        setItem(r, 0, number);
        for (int c = 1; c < columnCount(); ++c)
            setItem(r, c, new QTableWidgetItem());
    }
}

void GridWidget::setHeader(int col, const QString &caption, const QString &hint)
{
    QTableWidgetItem *header = horizontalHeaderItem(col);
    header->setText(caption);
    header->setToolTip(hint);
    // Qt does not pass a header's tool tip on to assistive technology.
    header->setData(Qt::AccessibleDescriptionRole, hint);
}

void GridWidget::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

bool GridWidget::jumpsOnEnter() const
{
    return m_settings.enable_jump_field_tables;
}

bool GridWidget::enterKeyJump(int key)
{
    GridEnterKeyJump(m_cells, m_settings, key);
    return key == 0;
}

QModelIndex GridWidget::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    if ((cursorAction != MoveNext && cursorAction != MovePrevious) || !next.isValid() || next.column() != 0 ||
        columnCount() < 2)
        return next;
    // From the first data cell of a row, Tab goes on to the same row's data; Backtab goes back to the
    // last cell of the row before (or of the last row, as the table wraps).
    if (cursorAction == MoveNext)
        return model()->index(next.row(), 1);
    const int row = next.row() > 0 ? next.row() - 1 : rowCount() - 1;
    return model()->index(row, columnCount() - 1);
}

bool GridWidget::leavesOnTab(const QKeyEvent *event) const
{
    const bool tab = event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier);
    const bool backtab = event->key() == Qt::Key_Backtab || (event->key() == Qt::Key_Tab && !tab);
    if (!tab && !backtab)
        return false;
    if (event->modifiers() & Qt::ControlModifier)
        return true;
    const QModelIndex at = currentIndex();
    if (tab)
        return !at.isValid() || (at.row() == rowCount() - 1 && at.column() == columnCount() - 1);
    return !at.isValid() || (at.row() == 0 && at.column() <= 1);
}

void GridWidget::leaveTable(bool forward)
{
    commitOpenEditor();
    QWidget::focusNextPrevChild(forward);
}

bool GridWidget::focusNextPrevChild(bool next)
{
    // The table is one stop of the dialog's Tab order: past its last cell (or before its first) the
    // focus goes on to the dialog's other controls instead of wrapping around inside it.
    const QKeyEvent tab(QEvent::KeyPress, next ? Qt::Key_Tab : Qt::Key_Backtab,
                        next ? Qt::NoModifier : Qt::ShiftModifier);
    if (leavesOnTab(&tab))
        return QWidget::focusNextPrevChild(next);
    return QTableWidget::focusNextPrevChild(next);
}

void GridWidget::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) &&
        (event->modifiers() & Qt::ControlModifier)) {
        leaveTable(event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
        event->accept();
        return;
    }
    if (isEnter(event) && enterKeyJump(event->key())) {
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}
