// "Import EDS..." of the slave list driven through its widgets: the button and the rows' context menu,
// the import window with its counts and choices, what a row takes on OK, and refusals that change nothing.
#include "EdsSamples.h"
#include "GridWidget.h"
#include "ModalHelper.h"
#include "SlaveEdsImport.h"
#include "TFDeviceNetNetwork.h"
#include "TestWorkspace.h"
#include "eds/EdsFile.h"

#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace {

const QByteArray Slaves = "<DNET_Net>"
                          "<row ID=\"5\" NB_IN=\"1\" NB_OUT=\"1\" Mnemonic=\"left pump\"/>"
                          "<row ID=\"7\" NB_IN=\"\" NB_OUT=\"\" Mnemonic=\"\"/>"
                          "</DNET_Net><!--SW_VERSION = 2.004-->";

struct Fixture
{
    TestWorkspace ws;
    std::unique_ptr<TFDeviceNetNetwork> dlg;
    SlaveEdsImport *import = nullptr;
    QString edsPath;

    explicit Fixture(const QByteArray &eds = EdsSamples::pollDevice())
    {
        ws.makeProject(QStringLiteral("Plant"));
        TestWorkspace::writeFile(ws.context.paths.DnetNetPath, Slaves);
        edsPath = ws.path(QStringLiteral("device.eds"));
        TestWorkspace::writeFile(edsPath, eds);
        dlg = std::make_unique<TFDeviceNetNetwork>(ws.context);
        import = dlg->findChild<SlaveEdsImport *>();
        if (!import)
            qFatal("no SlaveEdsImport");
        import->chooseFile = [this] { return edsPath; };
        dlg->show();
    }

    GridWidget *table() const { return dlg->findChild<GridWidget *>(QStringLiteral("sga")); }
    QStringList row(int r) const
    {
        QStringList texts;
        for (int c = 1; c <= 4; ++c)
            texts << table()->cells().cell(r, c);
        return texts;
    }
    void selectRow(int r) const { table()->setCurrentCell(r - 1, 1); }
    void clickImport() const
    {
        QTest::mouseClick(dlg->findChild<QPushButton *>(QStringLiteral("Btn_Import_EDS")), Qt::LeftButton);
    }
};

QString labelText(QWidget *window, const char *name)
{
    auto *label = window->findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

// Checks the import window that is about to run, lets the action change it, then presses the button.
void answerImport(const char *button, const std::function<void(QWidget *)> &check)
{
    whenModal([=](QWidget *w) {
        QVERIFY(w && w->objectName() == QLatin1String("TFImportEds"));
        check(w);
        QTest::mouseClick(w->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
    });
}

} // namespace

class TestSlaveEdsImport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void importFillsTheRow();
    void describedRowKeepsItsMnemonic();
    void cancelChangesNothing();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void chosenEntryGivesTheCounts();
    void contextMenuOnARow();
    void enterConfirms();
    void manyWarningsScroll();
    void cancelAsksAfterAnImport();
    void windowFitsEveryLanguage_data();
    void windowFitsEveryLanguage();
};

void TestSlaveEdsImport::importFillsTheRow()
{
    Fixture f;
    auto *button = f.dlg->findChild<QPushButton *>(QStringLiteral("Btn_Import_EDS"));
    QCOMPARE(button->text(), QStringLiteral("Import EDS\u2026"));
    QVERIFY(f.dlg->rect().contains(button->geometry()));
    const QByteArray before = TestWorkspace::readFile(f.ws.context.paths.DnetNetPath);

    f.selectRow(2);
    answerImport("Btn_OK", [](QWidget *w) {
        QCOMPARE(labelText(w, "L_Product_Name"), QStringLiteral("Pump 10/6"));
        QCOMPARE(labelText(w, "L_Vendor_Name"), QStringLiteral("Acme Drives"));
        QCOMPARE(labelText(w, "L_Codes_Value"), QStringLiteral("1234 / 56"));
        QCOMPARE(labelText(w, "L_Revision_Value"), QStringLiteral("2.003"));
        QCOMPARE(labelText(w, "L_Connection_Value"), QStringLiteral("Poll"));
        QCOMPARE(labelText(w, "L_Input"), QStringLiteral("data the slave produces: 10 bytes \u2192 N Byte IN"));
        QCOMPARE(labelText(w, "L_Output"), QStringLiteral("data the slave consumes: 6 bytes \u2192 N Byte OUT"));
        QVERIFY(!w->findChild<QComboBox *>(QStringLiteral("CB_Input"))->isVisible());
        QVERIFY(!w->findChild<QListWidget *>(QStringLiteral("LB_Warnings"))->isVisible());
        // The window names the row that OK fills, by its number and node address.
        QCOMPARE(labelText(w, "L_Target"), QStringLiteral("OK fills row 2 of the slave list (node address 7)."));
    });
    f.clickImport();
    QCOMPARE(f.ws.messages.count(), 0);
    // The ID stays the user's; an empty description takes the product name.
    QCOMPARE(f.row(2), QStringList({"7", "10", "6", "Pump 10/6"}));
    QCOMPARE(f.row(1), QStringList({"5", "1", "1", "left pump"}));
    // Nothing is saved before the list's own OK.
    QCOMPARE(TestWorkspace::readFile(f.ws.context.paths.DnetNetPath), before);
    QTest::mouseClick(f.dlg->findChild<QPushButton *>(QStringLiteral("Btn_OK")), Qt::LeftButton);
    QVERIFY(TestWorkspace::readFile(f.ws.context.paths.DnetNetPath)
                .contains("<row ID=\"7\" NB_IN=\"10\" NB_OUT=\"6\" Mnemonic=\"Pump 10/6\"/>"));
}

void TestSlaveEdsImport::describedRowKeepsItsMnemonic()
{
    Fixture f(EdsSamples::pollDevice() + "Input1 = 3;\n");
    f.selectRow(1);
    answerImport("Btn_OK", [](QWidget *w) {
        // The repeated entry is named in the window; the first one counts.
        auto *warnings = w->findChild<QListWidget *>(QStringLiteral("LB_Warnings"));
        QVERIFY(warnings->isVisible());
        QCOMPARE(warnings->count(), 1);
        QVERIFY2(warnings->item(0)->text().contains(QStringLiteral("line 24: Input1 repeats line 22")),
                 qPrintable(warnings->item(0)->text()));
    });
    f.clickImport();
    QCOMPARE(f.row(1), QStringList({"5", "10", "6", "left pump"}));
}

void TestSlaveEdsImport::cancelChangesNothing()
{
    Fixture f;
    f.selectRow(1);
    answerImport("Btn_Cancel", [](QWidget *) {});
    f.clickImport();
    QCOMPARE(f.row(1), QStringList({"5", "1", "1", "left pump"}));

    // No file given: no window either.
    f.import->chooseFile = [] { return QString(); };
    f.clickImport();
    QCOMPARE(f.row(1), QStringList({"5", "1", "1", "left pump"}));
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestSlaveEdsImport::refusedFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("eds");
    QTest::addColumn<QString>("reason");
    QTest::newRow("CANopen") << EdsSamples::canOpenFile() << QStringLiteral(": a CANopen file, not a DeviceNet EDS");
    QTest::newRow("not text") << QByteArray("MZ\x90\0\x03\0\0\0", 8) << QStringLiteral(": not a text file");
    QTest::newRow("too many bytes")
        << QByteArray(EdsSamples::pollDevice()).replace("Input1 = 10,", "Input1 = 456,")
        << QStringLiteral(", line 22: Input1 gives 456 bytes; the converter takes 0 to 455 per slave");
}

void TestSlaveEdsImport::refusedFileChangesNothing()
{
    QFETCH(QByteArray, eds);
    QFETCH(QString, reason);
    Fixture f(eds);
    f.selectRow(2);
    f.clickImport();
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(f.ws.messages.last(), f.edsPath + reason + QStringLiteral("\nThe row was not changed."));
    QVERIFY(!f.dlg->findChild<QDialog *>(QStringLiteral("TFImportEds")));
    QCOMPARE(f.row(2), QStringList({"7", "", "", ""}));
}

void TestSlaveEdsImport::chosenEntryGivesTheCounts()
{
    Fixture f(EdsSamples::choiceDevice());
    f.selectRow(2);
    answerImport("Btn_OK", [](QWidget *w) {
        auto *input = w->findChild<QComboBox *>(QStringLiteral("CB_Input"));
        auto *output = w->findChild<QComboBox *>(QStringLiteral("CB_Output"));
        QVERIFY(input->isVisible());
        QCOMPARE(input->count(), 2);
        QCOMPARE(input->currentText(), QStringLiteral("Extended, 16 bytes"));
        QCOMPARE(output->currentText(), QStringLiteral("Basic, 2 bytes"));
        QCOMPARE(labelText(w, "L_Input"), QStringLiteral("data the slave produces: 16 bytes \u2192 N Byte IN"));
        input->setCurrentIndex(0);
        output->setCurrentIndex(1);
        QCOMPARE(labelText(w, "L_Input"), QStringLiteral("data the slave produces: 4 bytes \u2192 N Byte IN"));
        QCOMPARE(labelText(w, "L_Output"), QStringLiteral("data the slave consumes: 8 bytes \u2192 N Byte OUT"));
    });
    f.clickImport();
    QCOMPARE(f.row(2), QStringList({"7", "4", "8", "Pump 10/6"}));
}

void TestSlaveEdsImport::contextMenuOnARow()
{
    Fixture f;
    f.selectRow(1);
    GridWidget *table = f.table();
    // A right click on the third row picks it and offers the import.
    const QPoint at(table->columnViewportPosition(2) + 5, table->rowViewportPosition(2) + 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, table->viewport()->mapToGlobal(at));
    QApplication::sendEvent(table->viewport(), &event);
    QMenu *menu = f.import->menu();
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(table->cells().currentRow(), 3);
    auto *action = menu->findChild<QAction *>(QStringLiteral("A_Import_EDS"));
    QCOMPARE(action->text(), QStringLiteral("Import EDS\u2026"));
    menu->hide();
    answerImport("Btn_OK", [](QWidget *) {});
    action->trigger();
    QCOMPARE(f.row(3), QStringList({"", "10", "6", "Pump 10/6"}));
}

void TestSlaveEdsImport::enterConfirms()
{
    // Enter takes the counts from the choice and from the window as a whole; on Cancel it cancels.
    Fixture f(EdsSamples::choiceDevice());
    f.selectRow(1);
    whenModal([](QWidget *w) {
        auto *input = w->findChild<QComboBox *>(QStringLiteral("CB_Input"));
        QCOMPARE(w->focusWidget(), input);
        input->setCurrentIndex(0);
        QTest::keyClick(input, Qt::Key_Return);
        QVERIFY(!w->isVisible());
    });
    f.clickImport();
    QCOMPARE(f.row(1), QStringList({"5", "4", "2", "left pump"}));

    f.selectRow(2);
    whenModal([](QWidget *w) {
        auto *cancel = w->findChild<QPushButton *>(QStringLiteral("Btn_Cancel"));
        QApplication::setActiveWindow(w);
        cancel->setFocus();
        QVERIFY(cancel->hasFocus());
        QTest::keyClick(cancel, Qt::Key_Enter);
        QVERIFY(!w->isVisible());
    });
    f.clickImport();
    QCOMPARE(f.row(2), QStringList({"7", "", "", ""}));
}

void TestSlaveEdsImport::manyWarningsScroll()
{
    // Thousands of repeated entries: the first MaxWarnings in a list that scrolls, then how many more.
    Fixture f(EdsSamples::pollDevice() + QByteArray("Output1 = 1;\n").repeated(Eds::MaxWarnings + 2000));
    f.selectRow(1);
    answerImport("Btn_OK", [](QWidget *w) {
        auto *warnings = w->findChild<QListWidget *>(QStringLiteral("LB_Warnings"));
        QVERIFY(warnings->isVisible());
        QCOMPARE(warnings->count(), Eds::MaxWarnings + 1);
        QVERIFY2(warnings->item(warnings->count() - 1)->text().endsWith(QStringLiteral(": ... and 2000 more warnings")),
                 qPrintable(warnings->item(warnings->count() - 1)->text()));
        QVERIFY(warnings->verticalScrollBar()->maximum() > 0);
        // The window stays a window: the list scrolls instead of growing.
        QVERIFY2(w->height() < 700, qPrintable(QString::number(w->height())));
        QCOMPARE(labelText(w, "L_Warnings"), QStringLiteral("Warnings about the file:"));
    });
    f.clickImport();
    QCOMPARE(f.row(1), QStringList({"5", "10", "6", "left pump"}));
}

void TestSlaveEdsImport::cancelAsksAfterAnImport()
{
    Fixture f;
    auto *cancel = f.dlg->findChild<QPushButton *>(QStringLiteral("Btn_Cancel"));
    // Nothing imported: Cancel closes without a question.
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!f.dlg->isVisible());
    QCOMPARE(f.ws.messages.count(), 0);

    f.dlg->show();
    f.selectRow(2);
    answerImport("Btn_OK", [](QWidget *) {});
    f.clickImport();
    QCOMPARE(f.row(2), QStringList({"7", "10", "6", "Pump 10/6"}));
    // No: the list stays open with the import.
    f.ws.messages.setNextAnswer(false);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("question"));
    QCOMPARE(f.ws.messages.last(), QStringLiteral("EDS imports changed the slave list since it was opened. Close "
                                                  "without saving these changes?"));
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.row(2), QStringList({"7", "10", "6", "Pump 10/6"}));
    // Escape asks as well; Yes throws the import away.
    f.ws.messages.setNextAnswer(true);
    QTest::keyClick(f.dlg.get(), Qt::Key_Escape);
    QCOMPARE(f.ws.messages.count(), 2);
    QVERIFY(!f.dlg->isVisible());
    QVERIFY(!TestWorkspace::readFile(f.ws.context.paths.DnetNetPath).contains("NB_IN=\"10\""));

    // The next opening starts without imports.
    f.dlg->show();
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(f.ws.messages.count(), 2);
    QVERIFY(!f.dlg->isVisible());
}

void TestSlaveEdsImport::windowFitsEveryLanguage_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &f : QDir(QStringLiteral(SW_SOURCE_DIR "/lang")).entryList({QStringLiteral("*.lng")}))
        QTest::newRow(qPrintable(f)) << f;
}

// The longest texts the window has (a strobe connection, choices, a warning, a row without node address)
// are read whole in every shipped language: labels wrap inside the window, buttons fit their captions.
// With SW_SCREENSHOT_DIR set the window is saved there as <language>_TFImportEds.png.
void TestSlaveEdsImport::windowFitsEveryLanguage()
{
    QFETCH(QString, language);
    const QByteArray strobe = EdsSamples::head() +
                              "[IO_Info]\nDefault = 0x0002;\nStrobeInfo = 0x0002, 1, 0;\n"
                              "Input1 = 8, 0, 0x0002, \"Sensors with a rather long name of their own\";\n"
                              "Input2 = 4, 0, 0x0002, \"Short\";\nInput2 = 4;\n";
    Fixture f(strobe);
    f.ws.context.catalog.LoadLanguageFile(QStringLiteral(SW_SOURCE_DIR "/lang/") + language);
    f.selectRow(3);
    QString problems;
    answerImport("Btn_OK", [&](QWidget *w) {
        QCoreApplication::processEvents();
        const TextCatalog &catalog = f.ws.context.catalog;
        QCOMPARE(labelText(w, "L_Target"), catalog.text(1676).arg(3));
        QCOMPARE(labelText(w, "L_Warnings"), catalog.text(1677));
        if (language != QLatin1String("English.lng")) {
            for (const int index : {1676, 1677})
                QVERIFY2(catalog.text(index) != TextCatalog::defaultText(index), qPrintable(QString::number(index)));
        }
        const QRect inside = w->rect();
        for (QWidget *child : w->findChildren<QWidget *>()) {
            if (!child->isVisible() || child->window() != w)
                continue;
            const QRect box(child->mapTo(w, QPoint(0, 0)), child->size());
            if (!inside.contains(box))
                problems += child->objectName() + QStringLiteral(" runs past the window\n");
            if (auto *label = qobject_cast<QLabel *>(child); label && !label->text().isEmpty() &&
                                                              label->objectName() != QLatin1String("L_SW_Code")) {
                const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                                    : label->sizeHint().width() <= label->width();
                if (!fits)
                    problems += QStringLiteral("%1 is cut: %2\n").arg(label->objectName(), label->text());
            } else if (auto *button = qobject_cast<QPushButton *>(child)) {
                if (button->sizeHint().width() > button->width())
                    problems += QStringLiteral("%1 is cut: %2\n").arg(button->objectName(), button->text());
            }
        }
        const QString shots = qEnvironmentVariable("SW_SCREENSHOT_DIR");
        if (!shots.isEmpty()) {
            QDir().mkpath(shots);
            w->grab().save(QDir(shots).filePath(language.chopped(4) + QStringLiteral("_TFImportEds.png")));
        }
    });
    f.clickImport();
    QVERIFY2(problems.isEmpty(), qPrintable(problems));
    QCOMPARE(f.row(3), QStringList({"", "8", "0", "Pump 10/6"}));
}

QTEST_MAIN(TestSlaveEdsImport)
#include "tst_slaveedsimport.moc"
