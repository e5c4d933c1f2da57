// The register map dialog keeps every control of its own where it was, with the same size, caption
// and order, now that it has its whole-map tools; the tools' own windows fit their captions in
// every shipped language.
#include "TFAutoMap.h"
#include "TFDefineModbusRegs.h"
#include "TFMapOverview.h"
#include "TestWorkspace.h"

#include <QDir>
#include <QGroupBox>

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <algorithm>

namespace {

// objectName, geometry and caption of each control: the window's own, then each page's in tab order,
// each in creation order.
QStringList controlsOf(QWidget *window)
{
    static const QStringList prefixes = {"P_", "L_", "LB_", "E_", "CB_", "Btn_", "PC_"};
    QList<QWidget *> widgets;
    const auto withChildren = [&widgets](QWidget *w) {
        widgets += w;
        widgets += w->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    };
    for (QWidget *w : window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        withChildren(w);
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("PC_Modbus"));
    for (int i = 0; i < tabs->count(); ++i)
        withChildren(tabs->widget(i));
    QStringList controls;
    for (QWidget *w : widgets) {
        const QString name = w->objectName();
        const bool wanted =
            name.startsWith(QLatin1String("TS_")) ||
            std::any_of(prefixes.begin(), prefixes.end(), [&](const QString &p) { return name.startsWith(p); });
        if (!wanted || w->window() != window || name == QLatin1String("L_SW_Code") ||
            name == QLatin1String("Btn_Map_Tools"))
            continue;
        QString caption;
        if (auto *label = qobject_cast<QLabel *>(w))
            caption = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            caption = button->text();
        else if (name.startsWith(QLatin1String("TS_")))
            caption = tabs->tabText(tabs->indexOf(w));
        const QRect g = w->geometry();
        controls.append(name.startsWith(QLatin1String("TS_")) ? QStringLiteral("%1 %2").arg(name, caption)
                                                              : QStringLiteral("%1 %2,%3 %4x%5 %6")
                                                                    .arg(name)
                                                                    .arg(g.x())
                                                                    .arg(g.y())
                                                                    .arg(g.width())
                                                                    .arg(g.height())
                                                                    .arg(caption));
    }
    return controls;
}

} // namespace

class TestRegisterMapLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void controlsStayInPlace();
    void toolCaptionsFit_data();
    void toolCaptionsFit();
};

void TestRegisterMapLayout::controlsStayInPlace()
{
    TestWorkspace ws;
    ws.makeProject(QStringLiteral("P"));
    TFDefineModbusRegs dlg(ws.context);
    dlg.show();
    // The window's own controls, then the read page's; the write page's are the same with its names.
    const QStringList window = {
        QStringLiteral("P_Title 0,0 629x69 "),
        QStringLiteral("L_SW_Desc 16,42 605x20 Define Modbus Registers for each DeviceNet Slave"),
        QStringLiteral("PC_Modbus 8,72 613x412 "),
        QStringLiteral("Btn_OK 385,494 110x28 OK"),
        QStringLiteral("Btn_Cancel 503,494 110x28 Cancel"),
        // What the last whole-map tool did; empty on opening.
        QStringLiteral("L_Status 146,486 232x42 "),
    };
    const QStringList readPage = {
        QStringLiteral("TS_Read Modbus Registers in Read"),
        QStringLiteral("L_Slave_List_1_Read 6,6 166x16 List of DeviceNet Slave"),
        QStringLiteral("L_Slave_List_2_Read 6,22 166x16 ID               N Byte OUT"),
        QStringLiteral("LB_DeviceNet_Slave_Read_Frames 6,42 160x330 "),
        QStringLiteral("L_Reg_List_1_Read 174,6 200x16 List of Modbus Registers"),
        QStringLiteral("L_Reg_List_2_Read 174,22 200x16 Relative to the Slave Selected"),
        QStringLiteral("LB_Modbus_Read_Regs 174,42 200x330 "),
        QStringLiteral("L_Editor_1_Read 382,6 220x16 Create/Modify a Modbus Register"),
        QStringLiteral("L_Editor_2_Read 382,22 220x16 Index of Modbus Register"),
        QStringLiteral("E_Index_Modbus_Read 382,42 120x22 "),
        QStringLiteral("L_High_1_Read 382,74 220x16 Select the Byte to Put in the High "),
        QStringLiteral("L_High_2_Read 382,90 220x16 Part of the Modbus Register"),
        QStringLiteral("CB_Byte_High_Part_Read 382,108 200x22 "),
        QStringLiteral("L_Low_1_Read 382,140 220x16 Select the Byte to Put in the Low"),
        QStringLiteral("L_Low_2_Read 382,156 220x16 Part of the Modbus Register"),
        QStringLiteral("CB_Byte_Low_Part_Read 382,174 200x22 "),
        QStringLiteral("Btn_Create_Read 382,214 96x26 Create"),
        QStringLiteral("Btn_Modify_Read 486,214 96x26 Modify"),
        QStringLiteral("Btn_Delete_Read 382,248 96x26 Delete"),
        QStringLiteral("Btn_Copy_Read 382,296 96x26 Copy"),
        QStringLiteral("Btn_Paste_Read 486,296 96x26 Paste"),
    };
    QStringList expected = window + readPage;
    for (QString control : readPage)
        expected.append(control.replace(QLatin1String("_Read"), QLatin1String("_Write"))
                            .replace(QLatin1String("in Read"), QLatin1String("in Write"))
                            .replace(QLatin1String("N Byte OUT"), QLatin1String("N Byte IN")));
    const QStringList actual = controlsOf(&dlg);
    if (actual != expected) {
        for (const QString &c : actual)
            qInfo().noquote() << c;
    }
    QCOMPARE(actual, expected);

    // The one new button takes free room: it covers no other control of the window.
    auto *tools = dlg.findChild<QPushButton *>(QStringLiteral("Btn_Map_Tools"));
    QVERIFY(tools);
    for (QWidget *w : dlg.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (w != tools && w->isVisible())
            QVERIFY2(!w->geometry().intersects(tools->geometry()), qPrintable(w->objectName()));
    }
}

void TestRegisterMapLayout::toolCaptionsFit_data()
{
    QTest::addColumn<QString>("file");
    const QDir shipped(QStringLiteral(SW_SOURCE_DIR "/lang"));
    for (const QString &f : shipped.entryList({QStringLiteral("*.lng")}, QDir::Files))
        QTest::newRow(qPrintable(f)) << shipped.filePath(f);
}

void TestRegisterMapLayout::toolCaptionsFit()
{
    QFETCH(QString, file);
    TestWorkspace ws;
    ws.context.catalog.LoadLanguageFile(file);
    TFDefineModbusRegs dlg(ws.context);
    dlg.show();
    TFAutoMap autoMap(ws.context);
    autoMap.setForAllSlaves(true);
    autoMap.show();
    // A register past its slave's bytes: both byte lists are shown, side by side, with their captions.
    ModbusMap map;
    map.appendSlave(QStringLiteral("1"), 2, 0);
    map.appendRegister(0, ModbusMap::Read, {QStringLiteral("0"), 0, 1});
    TFMapOverview overview(ws.context, map);
    overview.show();
    QStringList cut;
    for (QWidget *window : {static_cast<QWidget *>(&autoMap), static_cast<QWidget *>(&overview)}) {
        for (QWidget *w : window->findChildren<QWidget *>()) {
            int needed = 0;
            if (auto *label = qobject_cast<QLabel *>(w); label && label->objectName() != QLatin1String("L_SW_Code"))
                needed = label->fontMetrics().horizontalAdvance(label->text());
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                needed = button->sizeHint().width();
            else if (auto *group = qobject_cast<QGroupBox *>(w))
                needed = group->fontMetrics().horizontalAdvance(group->title()) + 16;
            if (needed > w->width())
                cut.append(QStringLiteral("%1/%2 needs %3, has %4")
                               .arg(window->objectName(), w->objectName())
                               .arg(needed)
                               .arg(w->width()));
        }
    }
    auto *view = overview.findChild<QTableView *>(QStringLiteral("TV_Registers"));
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        const QString caption = view->model()->headerData(c, Qt::Horizontal).toString();
        if (view->horizontalHeader()->fontMetrics().horizontalAdvance(caption) + 8 > view->columnWidth(c))
            cut.append(QStringLiteral("TV_Registers column ") + caption);
    }
    auto *button = dlg.findChild<QPushButton *>(QStringLiteral("Btn_Map_Tools"));
    if (button->sizeHint().width() > button->width())
        cut.append(QStringLiteral("Btn_Map_Tools"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestRegisterMapLayout)
#include "tst_registermaplayout.moc"
