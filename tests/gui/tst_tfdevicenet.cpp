#include "Portable.h"
#include "GridWidget.h"
#include "TFDeviceNetNetwork.h"
#include "TestWorkspace.h"
#include "documents/DnetNetDocument.h"
#include "documents/ParGenDocument.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QtTest>

namespace {

using Rows = QList<QStringList>; // table rows 1.. as {ID, NB_IN, NB_OUT, Mnemonic}

Rows slaves(int count, const QString &in, const QString &out)
{
    Rows rows;
    for (int i = 0; i < count; ++i)
        rows.append({QString::number(i), in, out, QStringLiteral("slave %1").arg(i)});
    return rows;
}

QByteArray rowXml(const QStringList &row)
{
    return QStringLiteral("<row ID=\"%1\" NB_IN=\"%2\" NB_OUT=\"%3\" Mnemonic=\"%4\"/>")
        .arg(row.at(0), row.at(1), row.at(2), row.at(3))
        .toUtf8();
}

QByteArray documentOf(const Rows &rows)
{
    QByteArray bytes("<DNET_Net>");
    for (const QStringList &row : rows)
        bytes += rowXml(row);
    return bytes + "</DNET_Net><!--SW_VERSION = 2.004-->";
}

const QStringList EmptyRow{QString(), QString(), QString(), QString()};

} // namespace

class TestTFDeviceNet : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void emptyProjectOpensNumberedTable();
    void typedRowsReadBackExactly();
    void okTakesTheCellBeingEdited();
    void check_data();
    void check();
    void deleteAndInsertRows();
    void copyAndPaste();
    void moreRowsThanTheTableWarns();
    void unreadableDocumentOpensEmpty();
    void failedSaveKeepsDialogOpen();
    void enterJumpsWithTheOption_data();
    void enterJumpsWithTheOption();
    void headerDoubleClickFitsColumn();
    void tabSkipsTheRowNumbers_data();
    void tabSkipsTheRowNumbers();
    void slaveAtTheMasterAddress_data();
    void slaveAtTheMasterAddress();

private:
    GridWidget *sga() const { return m_dlg->findChild<GridWidget *>("sga"); }
    QPushButton *button(const char *name) const { return m_dlg->findChild<QPushButton *>(name); }
    QStringList row(int r) const
    {
        QStringList texts;
        for (int c = 1; c <= 4; ++c)
            texts << sga()->cells().cell(r, c);
        return texts;
    }
    void setRows(const Rows &rows, int first = 1)
    {
        for (int i = 0; i < rows.size(); ++i)
            for (int c = 1; c <= 4; ++c)
                sga()->cells().setCell(first + i, c, rows.at(i).at(c - 1));
    }
    // Types into a cell through its editor, as the user does, and leaves the editor open.
    QLineEdit *typeCell(int r, int c, const QString &text)
    {
        sga()->setCurrentCell(r - 1, c);
        sga()->edit(sga()->currentIndex());
        auto *editor = qobject_cast<QLineEdit *>(sga()->indexWidget(sga()->currentIndex()));
        if (editor) {
            editor->selectAll();
            QTest::keyClicks(editor, text);
        }
        return editor;
    }
    void selectRow(int r) { sga()->setCurrentCell(r - 1, 1); }
    QByteArray savedFile() const { return TestWorkspace::readFile(m_ws->context.paths.DnetNetPath); }

    std::unique_ptr<TestWorkspace> m_ws;
    std::unique_ptr<TFDeviceNetNetwork> m_dlg;
};

void TestTFDeviceNet::init()
{
    m_ws = std::make_unique<TestWorkspace>();
    m_ws->makeProject(QStringLiteral("Plant"));
    m_dlg = std::make_unique<TFDeviceNetNetwork>(m_ws->context);
}

void TestTFDeviceNet::cleanup()
{
    m_dlg.reset();
    m_ws.reset();
}

void TestTFDeviceNet::emptyProjectOpensNumberedTable()
{
    m_dlg->show();
    const GridTable &cells = sga()->cells();
    QCOMPARE(cells.rowCount(), 64);
    QCOMPARE(cells.colCount(), 5);
    for (int r = 1; r < 64; ++r) {
        QCOMPARE(cells.cell(r, 0), QString::number(r));
        QCOMPARE(row(r), EmptyRow);
    }
    QVERIFY(!(sga()->item(0, 0)->flags() & Qt::ItemIsEditable));
    QStringList headers, hints;
    for (int c = 0; c < 5; ++c) {
        headers << cells.cell(0, c);
        hints << sga()->horizontalHeaderItem(c)->toolTip();
        // No narrower than the style lets a header section be (Windows' is wider than Linux's).
        if (c < 4)
            QCOMPARE(sga()->columnWidth(c),
                     qMax(QList<int>({40, 90, 90, 90}).at(c), sga()->horizontalHeader()->minimumSectionSize()));
    }
    // The description fills the rest of the row: the table needs no horizontal scroll bar.
    QCoreApplication::processEvents();
    QVERIFY(sga()->columnWidth(4) >= 300);
    QCOMPARE(sga()->horizontalScrollBar()->maximum(), 0);
    QVERIFY(!sga()->horizontalScrollBar()->isVisible());
    QCOMPARE(headers, QStringList({"N", "ID Device", "N Byte IN", "N Byte OUT", "Mnemonic"}));
    QCOMPARE(
        hints,
        QStringList({"", "Insert the ID Device of DeviceNet Slave", "Insert the Number of Bytes IN of DeviceNet Slave",
                     "Insert the Number of Bytes OUT of DeviceNet Slave", "Insert a description of the CAN Frame"}));
    // The row height follows the font: 21 pixels with Linux's, on Windows whatever fits the system's font.
    if (Portable::IsWindows)
        QVERIFY(sga()->rowHeight(5) >= sga()->fontMetrics().height() + 2);
    else
        QCOMPARE(sga()->rowHeight(5), 21);
    QCOMPARE(m_dlg->size(), QSize(766, 337));

    button("Btn_OK")->click();
    QVERIFY(!m_dlg->isVisible());
    QCOMPARE(m_dlg->result(), int(QDialog::Accepted));
    QCOMPARE(savedFile(), QByteArray("<DNET_Net/><!--SW_VERSION = 2.004-->"));
}

void TestTFDeviceNet::typedRowsReadBackExactly()
{
    const Rows typed = {{" 7", "$1C7", "0x10", "Valve island, 24 V "},
                        {"63", "0", "455", ""},
                        {"x3F", "+1", " 2", "  <I/O> & \"more\""}};
    m_dlg->show();
    for (int r = 1; r <= 3; ++r)
        for (int c = 1; c <= 4; ++c) {
            QLineEdit *editor = typeCell(r, c, typed.at(r - 1).at(c - 1));
            QVERIFY(editor);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!sga()->isEditing());
            QCOMPARE(sga()->cells().cell(r, c), typed.at(r - 1).at(c - 1));
        }
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList());
    QCOMPARE(savedFile(), documentOf({{" 7", "$1C7", "0x10", "Valve island, 24 V "},
                                      {"63", "0", "455", ""},
                                      {"x3F", "+1", " 2", "  &lt;I/O&gt; &amp; &quot;more&quot;"}}));
    m_dlg->show();
    for (int r = 1; r <= 3; ++r)
        QCOMPARE(row(r), typed.at(r - 1));
    QCOMPARE(row(4), EmptyRow);
}

void TestTFDeviceNet::okTakesTheCellBeingEdited()
{
    m_dlg->show();
    setRows({{"1", "2", "3", "still typing"}});
    QVERIFY(typeCell(1, 4, QStringLiteral("done")));
    QVERIFY(sga()->isEditing());
    button("Btn_OK")->click();
    QCOMPARE(savedFile(), documentOf({{"1", "2", "3", "done"}}));
}

void TestTFDeviceNet::check_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("saved");       // rows written when accepted
    QTest::newRow("ID 63") << Rows{{"63", "1", "1", ""}} << "" << 1;
    QTest::newRow("ID 64") << Rows{{"64", "1", "1", ""}} << "Error in row 1!! ID Device must be between 0 and 63" << 0;
    QTest::newRow("ID -1 in row 3") << Rows{{"1", "1", "1", ""}, {"2", "1", "1", ""}, {"-1", "1", "1", ""}}
                                    << "Error in row 3!! ID Device must be between 0 and 63" << 0;
    QTest::newRow("455 bytes") << Rows{{"1", "455", "455", ""}} << "" << 1;
    QTest::newRow("456 bytes in") << Rows{{"1", "456", "0", ""}}
                                  << "Error in row 1!! Number Byte IN must be between 0 and 455" << 0;
    QTest::newRow("456 bytes out") << Rows{{"1", "0", "456", ""}}
                                   << "Error in row 1!! Number Byte OUT must be between 0 and 455" << 0;
    QTest::newRow("byte cells empty") << Rows{{"1", "", "", "only a name"}}
                                      << "Error in row 1!! Number Byte IN must be between 0 and 455" << 0;
    QTest::newRow("same ID twice") << Rows{{"4", "1", "1", "a"}, {"4", "1", "1", "b"}} << "" << 2;
    // A blank ID ends the list: OK is refused while anything stands from that row on, which saving
    // would drop without a word.
    const QString blankRow2 = QStringLiteral("Error in row 2!! ID Device is empty, so this row and the rows below it "
                                             "would not be saved: fill in the ID or delete the row");
    QTest::newRow("rows 1 and 3") << Rows{{"1", "1", "1", ""}, EmptyRow, {"999", "x", "x", "lost"}} << blankRow2 << 0;
    QTest::newRow("blank ID over its own values") << Rows{{"1", "1", "1", ""}, {" ", "9", "9", "x"}} << blankRow2 << 0;
    QTest::newRow("only blanks below the list") << Rows{{"1", "1", "1", ""}, {" ", " ", "\t", " "}} << "" << 1;
    QTest::newRow("blank first row, data below")
        << Rows{EmptyRow, {"1", "1", "1", "a"}}
        << "Error in row 1!! ID Device is empty, so this row and the rows below it would not be saved: fill in the ID "
           "or delete the row"
        << 0;
    QTest::newRow("blank row before row 63")
        << (Rows{{"1", "1", "1", ""}, EmptyRow} + Rows(60, EmptyRow) << QStringList{"63", "1", "1", "far"}) << blankRow2
        << 0;
    QTest::newRow("6000 bytes each way") << slaves(15, "400", "400") << "" << 15;
    Rows oneMoreIn = slaves(15, "400", "400");
    oneMoreIn[14][1] = QStringLiteral("401");
    QTest::newRow("6001 bytes in") << oneMoreIn << "Error!! Number Byte IN must be under 6000" << 0;
    QTest::newRow("6001 bytes out") << (slaves(15, "400", "400") << QStringList{"1", "0", "1", ""})
                                    << "Error!! Number Byte OUT must be under 6000" << 0;
    QTest::newRow("both sums too high") << slaves(16, "400", "400") << "Error!! Number Byte IN must be under 6000" << 0;
    QTest::newRow("row before sums") << (slaves(16, "400", "400") << QStringList{"1", "0", "-1", ""})
                                     << "Error in row 17!! Number Byte OUT must be between 0 and 455" << 0;
}

void TestTFDeviceNet::check()
{
    QFETCH(Rows, rows);
    QFETCH(QString, message);
    QFETCH(int, saved);
    // The rows' IDs take every address from 0 to 63: the converter's is put past them (no question here).
    ParGenValues settings;
    settings.DNET_DEV_ID = QStringLiteral("64");
    ParGenDocument::save(settings, m_ws->context.paths.ParGenPath);
    m_dlg->show();
    setRows(rows);
    button("Btn_OK")->click();
    if (message.isEmpty()) {
        QCOMPARE(m_ws->messages.texts(), QStringList());
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(savedFile(), documentOf(rows.mid(0, saved)));
        return;
    }
    QCOMPARE(m_ws->messages.texts(), QStringList{message});
    QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("error"));
    QVERIFY(m_dlg->isVisible());
    QVERIFY(!QFile::exists(m_ws->context.paths.DnetNetPath));
    QCOMPARE(row(1), rows.at(0));
    // The row the message names is the one selected.
    if (message.contains(QStringLiteral("!! ID Device is empty")))
        QCOMPARE(sga()->cells().currentRow(), message.startsWith(QStringLiteral("Error in row 1!!")) ? 1 : 2);
}

void TestTFDeviceNet::deleteAndInsertRows()
{
    const Rows three = {{"1", "1", "1", "first"}, {"2", "2", "2", "second"}, {"3", "3", "3", "third"}};
    m_dlg->show();
    setRows(three);
    selectRow(2);
    m_ws->messages.setNextAnswer(false);
    button("Btn_DelRow")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList{"Are you sure to delete the Row number 2"});
    QCOMPARE(row(2), three.at(1));

    button("Btn_DelRow")->click(); // answered yes
    QCOMPARE(row(1), three.at(0));
    QCOMPARE(row(2), three.at(2));
    QCOMPARE(row(3), EmptyRow);
    QCOMPARE(sga()->cells().cell(2, 0), QStringLiteral("2"));

    // Insert asks nothing and pushes the rows from the current one down.
    m_ws->messages.clear();
    selectRow(1);
    button("Btn_InsRow")->click();
    QCOMPARE(m_ws->messages.count(), 0);
    QCOMPARE(row(1), EmptyRow);
    QCOMPARE(row(2), three.at(0));
    QCOMPARE(row(3), three.at(2));

    // The last row in use would be pushed out: refused, nothing moves. A Mnemonic alone counts.
    for (const QStringList &last : {QStringList{"63", "9", "9", "last"}, QStringList{"", "", "", "note"}}) {
        m_ws->messages.clear();
        setRows({last}, 63);
        selectRow(2);
        button("Btn_InsRow")->click();
        QCOMPARE(m_ws->messages.texts(),
                 QStringList{"The last row of the table is in use: delete a row before inserting one"});
        QCOMPARE(row(2), three.at(0));
        QCOMPARE(row(63), last);
    }
}

void TestTFDeviceNet::copyAndPaste()
{
    const QStringList source{"5", "10", "20", "drive"};
    // A row copied in an earlier opening, or in another table, does not count.
    m_ws->context.RowClipboard = source;
    m_dlg->show();
    setRows({source, {"6", "1", "1", "used"}});
    selectRow(4);
    button("Btn_PasteRow")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList{"Error!!! Copy a valid row before Paste it"});
    QCOMPARE(row(4), EmptyRow);

    selectRow(1);
    button("Btn_CopyRow")->click();
    QVERIFY(m_dlg->Do_Copy);
    QCOMPARE(m_ws->context.RowClipboard, source);

    m_ws->messages.clear();
    selectRow(4);
    button("Btn_PasteRow")->click(); // an empty row: no question
    QCOMPARE(m_ws->messages.count(), 0);
    QCOMPARE(row(4), source);

    selectRow(2);
    m_ws->messages.setNextAnswer(false);
    button("Btn_PasteRow")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList{"Row Already used. Do you want to overwrite the values?"});
    QCOMPARE(row(2), QStringList({"6", "1", "1", "used"}));
    button("Btn_PasteRow")->click(); // answered yes
    QCOMPARE(row(2), source);

    // A row copied from a table with other columns.
    m_ws->messages.clear();
    m_ws->context.RowClipboard = QStringList{"a", "b", "c"};
    selectRow(5);
    button("Btn_PasteRow")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList{"Error in the Copy values!!! Copy a valid row before Paste it"});
    QCOMPARE(row(5), EmptyRow);

    // A new opening forgets the copy, though the clipboard keeps it.
    m_ws->context.RowClipboard = source;
    m_dlg->hide();
    m_dlg->show();
    QVERIFY(!m_dlg->Do_Copy);
    m_ws->messages.clear();
    selectRow(5);
    button("Btn_PasteRow")->click();
    QCOMPARE(m_ws->messages.texts(), QStringList{"Error!!! Copy a valid row before Paste it"});
    QCOMPARE(m_ws->context.RowClipboard, source);
}

void TestTFDeviceNet::moreRowsThanTheTableWarns()
{
    const Rows rows = slaves(65, "1", "1");
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, documentOf(rows));
    m_dlg->show();
    QCOMPARE(m_ws->messages.count(), 1);
    QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("warning"));
    QCOMPARE(m_ws->messages.last(), m_ws->context.text(532));
    QCOMPARE(row(63), rows.at(62));
    // Nothing is dropped until the user confirms with OK.
    QCOMPARE(savedFile(), documentOf(rows));
    button("Btn_OK")->click();
    QCOMPARE(savedFile(), documentOf(rows.mid(0, 63)));
}

void TestTFDeviceNet::unreadableDocumentOpensEmpty()
{
    m_dlg->show();
    setRows({{"1", "1", "1", "from before"}});
    m_dlg->hide();
    const QByteArray broken("<DNET_Net><row ID=\"1\"</DNET_Net>");
    TestWorkspace::writeFile(m_ws->context.paths.DnetNetPath, broken);
    m_dlg->show();
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(m_ws->messages.count(), 1);
    QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("error"));
    QVERIFY(m_ws->messages.last().contains(m_ws->context.paths.DnetNetPath));
    QCOMPARE(row(1), EmptyRow);
    QCOMPARE(sga()->cells().cell(63, 0), QStringLiteral("63"));
    QCOMPARE(savedFile(), broken);
}

void TestTFDeviceNet::failedSaveKeepsDialogOpen()
{
    m_dlg->show();
    setRows({{"1", "1", "1", "kept"}});
    QVERIFY(QDir(m_ws->context.paths.ProjectFolder).removeRecursively());
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.count(), 1);
    QVERIFY(m_ws->messages.last().contains(m_ws->context.paths.DnetNetPath));
    QVERIFY(m_dlg->isVisible());
    QCOMPARE(row(1), QStringList({"1", "1", "1", "kept"}));
}

void TestTFDeviceNet::enterJumpsWithTheOption_data()
{
    QTest::addColumn<bool>("option");
    QTest::addColumn<QPoint>("from"); // (column, row)
    QTest::addColumn<QPoint>("to");
    QTest::newRow("next column") << true << QPoint(1, 1) << QPoint(2, 1);
    QTest::newRow("next row") << true << QPoint(4, 1) << QPoint(1, 2);
    QTest::newRow("last cell to first") << true << QPoint(4, 63) << QPoint(1, 1);
    QTest::newRow("option off") << false << QPoint(2, 3) << QPoint(2, 3);
}

void TestTFDeviceNet::enterJumpsWithTheOption()
{
    QFETCH(bool, option);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    m_ws->context.settings.enable_jump_field_tables = option;
    m_dlg->show();
    // From inside a cell editor: the typed text stays in its cell.
    QLineEdit *editor = typeCell(from.y(), from.x(), QStringLiteral("42"));
    QVERIFY(editor);
    QTest::keyClick(editor, Qt::Key_Return);
    // Without the option the editor commits as it always does, a moment later.
    QTRY_COMPARE(sga()->cells().cell(from.y(), from.x()), QStringLiteral("42"));
    QCOMPARE(QPoint(sga()->cells().currentCol(), sga()->cells().currentRow()), to);
    // And from the table itself, with no editor open.
    sga()->setCurrentCell(from.y() - 1, from.x());
    sga()->setFocus();
    QTest::keyClick(sga(), Qt::Key_Enter);
    QCOMPARE(QPoint(sga()->cells().currentCol(), sga()->cells().currentRow()), option ? to : from);
}

void TestTFDeviceNet::headerDoubleClickFitsColumn()
{
    m_dlg->show();
    setRows({{"1", "1", "1", "x"}});
    QHeaderView *header = sga()->horizontalHeader();
    const auto doubleClickHeader = [header](int col) {
        const int x = header->sectionViewportPosition(col) + header->sectionSize(col) / 2;
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    const int filled = sga()->columnWidth(4);
    doubleClickHeader(4);
    QCOMPARE(sga()->columnWidth(4), filled);
    m_ws->context.settings.Double_Click_Auto_Size = true;
    doubleClickHeader(4);
    // The header's text stays whole, with its margins and a little room beside it.
    const int headerMargin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int headerText = header->fontMetrics().horizontalAdvance(QStringLiteral("Mnemonic"));
    QVERIFY2(sga()->columnWidth(4) >= headerText + 2 * headerMargin + 4,
             qPrintable(QString::number(sga()->columnWidth(4))));
    QVERIFY(sga()->columnWidth(4) < filled);
    // A wider cell sets the width instead.
    const QString wide = QStringLiteral("A description wider than the header");
    setRows({{"1", "1", "1", wide}});
    doubleClickHeader(4);
    QVERIFY(sga()->columnWidth(4) >= sga()->fontMetrics().horizontalAdvance(wide) + 4);
}

void TestTFDeviceNet::tabSkipsTheRowNumbers_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("editing"); // a cell editor is open with typed text
    QTest::addColumn<QPoint>("from");  // (column, table row)
    QTest::addColumn<QPoint>("to");    // (0, 0): the focus left the table
    QTest::addColumn<QString>("focusTo");
    const int none = Qt::NoModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("end of row 1") << none << false << QPoint(4, 1) << QPoint(1, 2) << "sga";
    QTest::newRow("inside a row") << none << false << QPoint(2, 5) << QPoint(3, 5) << "sga";
    QTest::newRow("back from row 2") << shift << false << QPoint(1, 2) << QPoint(4, 1) << "sga";
    // The table is one stop of the dialog's Tab order: its ends lead out of it, as does Ctrl+Tab.
    QTest::newRow("end of the table") << none << false << QPoint(4, 63) << QPoint() << "Btn_OK";
    QTest::newRow("end of the table, editing") << none << true << QPoint(4, 63) << QPoint() << "Btn_OK";
    QTest::newRow("back from row 1") << shift << false << QPoint(1, 1) << QPoint() << "Btn_Import_EDS";
    QTest::newRow("back from row 1, editing") << shift << true << QPoint(1, 1) << QPoint() << "Btn_Import_EDS";
    QTest::newRow("ctrl+tab inside") << ctrl << false << QPoint(2, 5) << QPoint() << "Btn_OK";
    QTest::newRow("ctrl+tab inside, editing") << ctrl << true << QPoint(2, 5) << QPoint() << "Btn_OK";
    QTest::newRow("ctrl+shift+tab inside") << ctrl + shift << false << QPoint(2, 5) << QPoint() << "Btn_Import_EDS";
}

void TestTFDeviceNet::tabSkipsTheRowNumbers()
{
    QFETCH(int, modifiers);
    QFETCH(bool, editing);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, focusTo);
    m_dlg->show();
    QApplication::setActiveWindow(m_dlg.get());
    sga()->setCurrentCell(from.y() - 1, from.x());
    sga()->setFocus();
    QWidget *target = sga();
    if (editing) {
        sga()->edit(sga()->currentIndex());
        target = sga()->indexWidget(sga()->currentIndex());
        QVERIFY(target);
        QTest::keyClicks(target, QStringLiteral("42"));
    }
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QTest::keyClick(target, (mods & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab, mods);
    QCOMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), focusTo);
    if (!to.isNull())
        QCOMPARE(QPoint(sga()->cells().currentCol(), sga()->cells().currentRow()), to);
    // What was typed stays in its cell.
    if (editing)
        QCOMPARE(sga()->cells().cell(from.y(), from.x()), QStringLiteral("42"));
}

// No two nodes of a DeviceNet network share an address: a slave at the converter's own (its MAC ID in
// the communication settings) is asked about at OK, and No keeps the list open and unsaved.
void TestTFDeviceNet::slaveAtTheMasterAddress_data()
{
    QTest::addColumn<QString>("master"); // ParGen.xml's DNET_DEV_ID; empty: no ParGen.xml
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("asked"); // the question, empty when none
    const QString tail = QStringLiteral(
        " has the node address of the converter itself (DeviceNet MAC ID 10 in the communication settings): no two "
        "nodes of a DeviceNet network can share an address.");
    const QString save = QStringLiteral("\n\nSave the slave list anyway?");
    QTest::newRow("yes saves") << "10" << QStringList{"3", "10"} << true << "Slave 2 (ID 10)" + tail + save;
    QTest::newRow("no stays") << "10" << QStringList{"3", "10"} << false << "Slave 2 (ID 10)" + tail + save;
    QTest::newRow("the same number written otherwise")
        << "$0A" << QStringList{"010"} << true << "Slave 1 (ID 010)" + tail + save;
    QTest::newRow("two slaves there") << "10" << QStringList{"10", "4", "10"} << true
                                      << "Slave 1 (ID 10)" + tail + "\nSlave 3 (ID 10)" + tail + save;
    // Without ParGen.xml the settings show their default of 10.
    QTest::newRow("default settings") << "" << QStringList{"10"} << true << "Slave 1 (ID 10)" + tail + save;
    QTest::newRow("other addresses") << "5" << QStringList{"3", "10"} << true << "";
}

void TestTFDeviceNet::slaveAtTheMasterAddress()
{
    QFETCH(QString, master);
    QFETCH(QStringList, ids);
    QFETCH(bool, answer);
    QFETCH(QString, asked);
    if (!master.isEmpty()) {
        ParGenValues values;
        values.DNET_DEV_ID = master;
        ParGenDocument::save(values, m_ws->context.paths.ParGenPath);
    }
    m_dlg->show();
    Rows rows;
    for (const QString &id : ids)
        rows.append({id, QStringLiteral("2"), QStringLiteral("2"), QString()});
    setRows(rows);
    selectRow(1);
    const QByteArray before = QFileInfo::exists(m_ws->context.paths.DnetNetPath) ? savedFile() : QByteArray();
    m_ws->messages.setNextAnswer(answer);
    button("Btn_OK")->click();
    QCOMPARE(m_ws->messages.texts(), asked.isEmpty() ? QStringList() : QStringList{asked});
    if (!asked.isEmpty())
        QCOMPARE(m_ws->messages.lastKind(), QStringLiteral("question"));
    QCOMPARE(m_dlg->isVisible(), !answer);
    if (answer) {
        QCOMPARE(savedFile(), documentOf(rows));
    } else { // nothing written, and the slave in question is selected
        QCOMPARE(QFileInfo::exists(m_ws->context.paths.DnetNetPath) ? savedFile() : QByteArray(), before);
        QCOMPARE(sga()->cells().currentRow(), ids.indexOf(QStringLiteral("10")) + 1);
    }
}

QTEST_MAIN(TestTFDeviceNet)
#include "tst_tfdevicenet.moc"
