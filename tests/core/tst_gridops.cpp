#include "FakeMessages.h"
#include "TextGrid.h"
#include "app/AppSettings.h"
#include "app/GridOps.h"
#include "text/TextCatalog.h"

#include <QtTest>

namespace {

// Rows 1..5 of a 6-row, 5-column table, each cell naming its place ("r2c3"); column 0 numbered.
TextGrid numberedGrid(int filledRows = 5)
{
    TextGrid grid(6, 5);
    for (int r = 1; r < 6; ++r) {
        grid.setCell(r, 0, QString::number(r));
        for (int c = 1; c < 5 && r <= filledRows; ++c)
            grid.setCell(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    }
    return grid;
}

QStringList rowOf(int r)
{
    return {QStringLiteral("r%1c1").arg(r), QStringLiteral("r%1c2").arg(r), QStringLiteral("r%1c3").arg(r),
            QStringLiteral("r%1c4").arg(r)};
}

const QStringList EmptyRow{QString(), QString(), QString(), QString()};

QStringList column0(const TextGrid &grid)
{
    QStringList numbers;
    for (int r = 1; r < grid.rowCount(); ++r)
        numbers << grid.cell(r, 0);
    return numbers;
}

} // namespace

class TestGridOps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void enterKeyJump_data();
    void enterKeyJump();
    void autoSizeOnlyOnHeaderWithOption();
    void deleteRow_data();
    void deleteRow();
    void insertRow_data();
    void insertRow();
    void copyRowReplacesClipboard();
    void pasteRefusals_data();
    void pasteRefusals();
    void pasteIntoUsedRow_data();
    void pasteIntoUsedRow();

private:
    TextCatalog m_catalog;
    FakeMessages m_messages;
};

void TestGridOps::init()
{
    m_catalog.LoadDefaultTexts();
    m_messages.clear();
}

void TestGridOps::enterKeyJump_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<int>("key");
    QTest::addColumn<QPoint>("from"); // (column, row)
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("consumed");
    QTest::newRow("next column") << true << int(Qt::Key_Return) << QPoint(1, 2) << QPoint(2, 2) << true;
    QTest::newRow("keypad enter") << true << int(Qt::Key_Enter) << QPoint(3, 2) << QPoint(4, 2) << true;
    QTest::newRow("last column to next row") << true << int(Qt::Key_Return) << QPoint(4, 2) << QPoint(1, 3) << true;
    QTest::newRow("last cell wraps to row 1") << true << int(Qt::Key_Return) << QPoint(4, 5) << QPoint(1, 1) << true;
    QTest::newRow("header row stays, key consumed")
        << true << int(Qt::Key_Return) << QPoint(2, 0) << QPoint(2, 0) << true;
    QTest::newRow("number column stays, key consumed")
        << true << int(Qt::Key_Return) << QPoint(0, 3) << QPoint(0, 3) << true;
    QTest::newRow("option off") << false << int(Qt::Key_Return) << QPoint(1, 2) << QPoint(1, 2) << false;
    QTest::newRow("other key") << true << int(Qt::Key_Tab) << QPoint(1, 2) << QPoint(1, 2) << false;
}

void TestGridOps::enterKeyJump()
{
    QFETCH(bool, option);
    QFETCH(int, key);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(bool, consumed);
    AppSettings settings;
    settings.enable_jump_field_tables = option;
    TextGrid grid = numberedGrid();
    grid.setCurrentCell(from.y(), from.x());
    const int pressed = key;
    GridEnterKeyJump(grid, settings, key);
    QCOMPARE(QPoint(grid.currentCol(), grid.currentRow()), to);
    QCOMPARE(key, consumed ? 0 : pressed);
}

void TestGridOps::autoSizeOnlyOnHeaderWithOption()
{
    AppSettings settings;
    TextGrid grid = numberedGrid();
    GridAutoSizeOnDoubleClick(grid, settings, 0, 2);
    settings.Double_Click_Auto_Size = true;
    GridAutoSizeOnDoubleClick(grid, settings, 3, 2);
    GridAutoSizeOnDoubleClick(grid, settings, 0, 4);
    QCOMPARE(grid.fittedColumns(), QVector<int>{4});
}

void TestGridOps::deleteRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<QStringList>>("expected"); // rows 1..5
    QTest::newRow("first of five") << 1 << QList<QStringList>{rowOf(2), rowOf(3), rowOf(4), rowOf(5), EmptyRow};
    QTest::newRow("middle") << 3 << QList<QStringList>{rowOf(1), rowOf(2), rowOf(4), rowOf(5), EmptyRow};
    QTest::newRow("last") << 5 << QList<QStringList>{rowOf(1), rowOf(2), rowOf(3), rowOf(4), EmptyRow};
}

void TestGridOps::deleteRow()
{
    QFETCH(int, row);
    QFETCH(QList<QStringList>, expected);
    TextGrid grid = numberedGrid();
    grid.setCell(0, 1, QStringLiteral("header"));
    GridDeleteRow(row, grid);
    for (int r = 1; r <= 5; ++r)
        QCOMPARE(grid.rowTexts(r), expected.at(r - 1));
    QCOMPARE(column0(grid), QStringList({"1", "2", "3", "4", "5"}));
    QCOMPARE(grid.cell(0, 1), QStringLiteral("header"));
}

void TestGridOps::insertRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<QStringList>>("expected");
    // The old last row is pushed out.
    QTest::newRow("row 2 of full table") << 2 << QList<QStringList>{rowOf(1), EmptyRow, rowOf(2), rowOf(3), rowOf(4)};
    QTest::newRow("row 1") << 1 << QList<QStringList>{EmptyRow, rowOf(1), rowOf(2), rowOf(3), rowOf(4)};
    QTest::newRow("last row") << 5 << QList<QStringList>{rowOf(1), rowOf(2), rowOf(3), rowOf(4), EmptyRow};
}

void TestGridOps::insertRow()
{
    QFETCH(int, row);
    QFETCH(QList<QStringList>, expected);
    TextGrid grid = numberedGrid();
    GridInsertRow(row, grid);
    for (int r = 1; r <= 5; ++r)
        QCOMPARE(grid.rowTexts(r), expected.at(r - 1));
    QCOMPARE(column0(grid), QStringList({"1", "2", "3", "4", "5"}));
}

void TestGridOps::copyRowReplacesClipboard()
{
    TextGrid grid = numberedGrid();
    QStringList clipboard{QStringLiteral("old"), QStringLiteral("values"), QStringLiteral("from"),
                          QStringLiteral("elsewhere"), QStringLiteral("longer")};
    GridCopyRow(grid, 3, clipboard);
    QCOMPARE(clipboard, rowOf(3));
}

void TestGridOps::pasteRefusals_data()
{
    QTest::addColumn<bool>("copyDone");
    QTest::addColumn<QStringList>("clipboard");
    QTest::addColumn<QString>("message");
    QTest::newRow("no copy in this dialog") << false << rowOf(1) << "Error!!! Copy a valid row before Paste it";
    QTest::newRow("copied from a wider table") << true << (rowOf(1) << QStringLiteral("extra"))
                                               << "Error in the Copy values!!! Copy a valid row before Paste it";
    QTest::newRow("clipboard empty") << true << QStringList()
                                     << "Error in the Copy values!!! Copy a valid row before Paste it";
}

void TestGridOps::pasteRefusals()
{
    QFETCH(bool, copyDone);
    QFETCH(QStringList, clipboard);
    QFETCH(QString, message);
    TextGrid grid = numberedGrid(1);
    GridPasteRow(grid, 4, copyDone, clipboard, m_messages, m_catalog);
    QCOMPARE(m_messages.count(), 1);
    QCOMPARE(m_messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(m_messages.last(), message);
    QCOMPARE(grid.rowTexts(4), EmptyRow);
}

void TestGridOps::pasteIntoUsedRow_data()
{
    QTest::addColumn<QStringList>("target");
    QTest::addColumn<bool>("checkBoxColumn3");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("pasted");
    QTest::newRow("empty row") << EmptyRow << false << false << true << true;
    QTest::newRow("blanks only") << QStringList{" ", "\t", "", "  "} << false << false << true << true;
    QTest::newRow("used, yes") << QStringList{"", "", "", "x"} << false << true << true << true;
    QTest::newRow("used, no") << QStringList{"", "", "", "x"} << false << true << false << false;
    QTest::newRow("only a check box set") << QStringList{"", "", "1", ""} << true << false << true << true;
    QTest::newRow("check box and text") << QStringList{"a", "", "1", ""} << true << true << false << false;
}

void TestGridOps::pasteIntoUsedRow()
{
    QFETCH(QStringList, target);
    QFETCH(bool, checkBoxColumn3);
    QFETCH(bool, asks);
    QFETCH(bool, answer);
    QFETCH(bool, pasted);
    TextGrid grid = numberedGrid(1);
    if (checkBoxColumn3)
        grid.setEditorKind(3, GridEditor::CheckBox);
    grid.setRowTexts(2, target);
    m_messages.setNextAnswer(answer);
    GridPasteRow(grid, 2, true, rowOf(1), m_messages, m_catalog);
    QCOMPARE(m_messages.count(), asks ? 1 : 0);
    if (asks) {
        QCOMPARE(m_messages.lastKind(), QStringLiteral("question"));
        QCOMPARE(m_messages.last(), QStringLiteral("Row Already used. Do you want to overwrite the values?"));
    }
    QCOMPARE(grid.rowTexts(2), pasted ? rowOf(1) : target);
    QCOMPARE(grid.cell(2, 0), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestGridOps)
#include "tst_gridops.moc"
