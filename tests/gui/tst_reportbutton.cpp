// The main window's "Report..." button: only with an active configuration; it asks for the file, writes
// the report there (HTML or PDF by the file's type) and offers to open it in the desktop's viewer.
#include "AppWindows.h"
#include "ConfigurationReportWriter.h"
#include "ReportSupport.h"
#include "TFFabricoreFirmWare.h"
#include "TestWorkspace.h"

#include <QPushButton>
#include <QUrl>
#include <QtTest>

namespace {

class FakeUrlOpener : public UrlOpener
{
public:
    QStringList opened;
    void open(const QString &url) override { opened.append(url); }
};

// Makes the configuration and lets the main window find it active at its start, as after a restart.
QString rememberProject(TestWorkspace &ws, const QString &name)
{
    const QString folder = ws.makeProject(name);
    AppSettings settings;
    settings.projectname = name;
    settings.write(ws.context.settingsPath());
    return folder;
}

} // namespace

class TestReportButton : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void onlyWithAConfiguration();
    void writesTheChosenFile_data();
    void writesTheChosenFile();
    void nothingWithoutAFile();
    void unwritableFileIsReported();
};

void TestReportButton::onlyWithAConfiguration()
{
    TestWorkspace ws;
    AppWindows windows(ws.context);
    auto *button = windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Report"));
    QVERIFY(button);
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Report…"));
    QCOMPARE(button->geometry(), QRect(258, 308, 170, 36));

    rememberProject(ws, QStringLiteral("Plant"));
    AppWindows reopened(ws.context);
    QVERIFY(reopened.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Report"))->isEnabled());
}

void TestReportButton::writesTheChosenFile_data()
{
    QTest::addColumn<QString>("fileName"); // empty: the suggested one
    QTest::addColumn<bool>("open");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("suggested HTML, opened") << "" << true << QByteArray("<!DOCTYPE html>");
    QTest::newRow("HTML, not opened") << "plant.htm" << false << QByteArray("<!DOCTYPE html>");
    QTest::newRow("PDF") << "Plant.PDF" << true << QByteArray("%PDF-");
}

void TestReportButton::writesTheChosenFile()
{
    QFETCH(QString, fileName);
    QFETCH(bool, open);
    QFETCH(QByteArray, starts);
    TestWorkspace ws;
    FakeUrlOpener opener;
    ws.context.platform.urlOpener = &opener;
    const QString folder = rememberProject(ws, QStringLiteral("Plant"));
    ReportSupport::writeDocuments(folder, {{QStringLiteral("4"), 2, 2, QStringLiteral("Pump")}},
                                  {{1, QStringLiteral("3"), 1, 1, 2}});
    AppWindows windows(ws.context);
    auto *writer = windows.mainWindow()->findChild<ConfigurationReportWriter *>();
    QVERIFY(writer);
    QString suggested;
    const QString chosen = fileName.isEmpty() ? QString() : joinPath(ws.dir.path(), fileName);
    writer->chooseFile = [&](const QString &offered) {
        suggested = offered;
        return chosen.isEmpty() ? offered : chosen;
    };
    ws.messages.setNextAnswer(open);
    QTest::mouseClick(windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Report")), Qt::LeftButton);

    QCOMPARE(suggested, joinPath(folder, QStringLiteral("Plant-report.html")));
    const QString written = chosen.isEmpty() ? suggested : chosen;
    const QByteArray bytes = TestWorkspace::readFile(written);
    QVERIFY2(bytes.startsWith(starts), bytes.left(20).constData());
    if (starts.startsWith("<!")) {
        const ReportSupport::Html html = ReportSupport::readHtml(QString::fromUtf8(bytes));
        QCOMPARE(html.table(QStringLiteral("map"), 0).value(1).mid(0, 3), (QStringList{"3", "400004", "300004"}));
    }
    QCOMPARE(ws.messages.count(), 1);
    QCOMPARE(ws.messages.last(),
             QStringLiteral("The report has been written to %1. Open it now?").arg(QDir::toNativeSeparators(written)));
    QCOMPARE(opener.opened, open ? QStringList(QUrl::fromLocalFile(QDir::fromNativeSeparators(written)).toString())
                                 : QStringList());
}

void TestReportButton::nothingWithoutAFile()
{
    TestWorkspace ws;
    const QString folder = rememberProject(ws, QStringLiteral("Plant"));
    AppWindows windows(ws.context);
    windows.mainWindow()->findChild<ConfigurationReportWriter *>()->chooseFile = [](const QString &) { return QString(); };
    QTest::mouseClick(windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Report")), Qt::LeftButton);
    QCOMPARE(ws.messages.count(), 0);
    QCOMPARE(QDir(folder).entryList({QStringLiteral("*report*")}), QStringList());
}

// A file that cannot be written, or documents that cannot be read, end in an error box; no file is left.
void TestReportButton::unwritableFileIsReported()
{
    TestWorkspace ws;
    const QString folder = rememberProject(ws, QStringLiteral("Plant"));
    AppWindows windows(ws.context);
    const QString target = joinPath(ws.dir.path(), QStringLiteral("missing/report.html"));
    windows.mainWindow()->findChild<ConfigurationReportWriter *>()->chooseFile = [&](const QString &) { return target; };
    auto *button = windows.mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_Report"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QVERIFY2(ws.messages.last().contains(QLatin1String("report.html")), qPrintable(ws.messages.last()));
    QVERIFY(!QFileInfo::exists(target));

    // Chosen by mistake, a document of the configuration stays as it is.
    ws.messages.clear();
    const QString document = joinPath(folder, QStringLiteral("DefReg.xml"));
    TestWorkspace::writeFile(document, "<InfoMod/>");
    windows.mainWindow()->findChild<ConfigurationReportWriter *>()->chooseFile = [&](const QString &) { return document; };
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(ws.messages.last(),
             QStringLiteral("%1 is a file of the configuration: the report is not written over it.").arg(document));
    QCOMPARE(TestWorkspace::readFile(document), QByteArray("<InfoMod/>"));

    ws.messages.clear();
    TestWorkspace::writeFile(joinPath(folder, QStringLiteral("DefReg.xml")), "<InfoMod><Modbus_Read><row");
    TestWorkspace::writeFile(joinPath(folder, QStringLiteral("DNET_Net.xml")),
                             "<DNET_Net><row ID=\"1\" NB_IN=\"2\" NB_OUT=\"2\"/></DNET_Net>");
    const QString elsewhere = joinPath(ws.dir.path(), QStringLiteral("report.html"));
    windows.mainWindow()->findChild<ConfigurationReportWriter *>()->chooseFile = [&](const QString &) { return elsewhere; };
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(ws.messages.lastKind(), QStringLiteral("error"));
    QVERIFY2(ws.messages.last().contains(QLatin1String("DefReg.xml")), qPrintable(ws.messages.last()));
    QVERIFY(!QFileInfo::exists(elsewhere));
}

QTEST_MAIN(TestReportButton)
#include "tst_reportbutton.moc"
