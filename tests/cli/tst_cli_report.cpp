// `SW40917-cli report`: its exit codes, the HTML on standard output or in a file, and the PDF's text as
// pdftotext reads it (skipped where poppler-utils is missing, as under Wine).
#include "CliRun.h"
#include "ReportSupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace ReportSupport;

namespace {

const QByteArray kParGen =
    "<Par_Gen><Device_Type>1</Device_Type><DNET_DEV_ID>10</DNET_DEV_ID><DNET_BAUD>1</DNET_BAUD>"
    "<DNET_INTERSCAN_DELAY>0</DNET_INTERSCAN_DELAY><MTCPs_IP1>192</MTCPs_IP1><MTCPs_IP2>168</MTCPs_IP2>"
    "<MTCPs_IP3>0</MTCPs_IP3><MTCPs_IP4>10</MTCPs_IP4><MTCPs_SUB1>255</MTCPs_SUB1><MTCPs_SUB2>255</MTCPs_SUB2>"
    "<MTCPs_SUB3>255</MTCPs_SUB3><MTCPs_SUB4>0</MTCPs_SUB4><MTCPs_EN_GAT>0</MTCPs_EN_GAT>"
    "<MTCPs_GAT1>192</MTCPs_GAT1><MTCPs_GAT2>168</MTCPs_GAT2><MTCPs_GAT3>0</MTCPs_GAT3><MTCPs_GAT4>1</MTCPs_GAT4>"
    "<MTCPs_PORT>502</MTCPs_PORT><MTCPs_DN_State>0</MTCPs_DN_State></Par_Gen>";

// A workspace as the program lays it out: PROJECTS/<name> and LANGUAGE beside it.
struct Workspace
{
    QTemporaryDir dir;
    QString project(const QString &name = QStringLiteral("Plant A")) const
    {
        return QDir::toNativeSeparators(dir.filePath(QStringLiteral("PROJECTS/") + name));
    }
    QString make(const QVector<Slave> &slaves, const QVector<Register> &registers,
                 const QString &name = QStringLiteral("Plant A")) const
    {
        writeDocuments(project(name), slaves, registers);
        write(project(name) + QStringLiteral("/ParGen.xml"), kParGen);
        return project(name);
    }
    QString file(const QString &name) const { return QDir::toNativeSeparators(dir.filePath(name)); }
};

// The PDF's text, pages split at form feeds, runs of blanks made one.
QStringList pdfPages(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    for (QString &page : pages)
        page.replace(blanks, QStringLiteral(" "));
    return pages;
}

bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

} // namespace

class TestCliReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void usage_data();
    void usage();
    void failures_data();
    void failures();
    void htmlToOutputOrFile();
    void languageFromTheWorkspace();
    void pdfText_data();
    void pdfText();
    void largestPdfWhole();

private:
    Workspace m_ws;
};

void TestCliReport::usage_data()
{
    addUsageColumns();
    const QString folder = m_ws.make({{QStringLiteral("1"), 2, 2, QStringLiteral("A")}}, {});
    QTest::newRow("help") << QStringList{"report", "--help"} << 0 << "PDF instead and needs -o" << "";
    QTest::newRow("no folder") << QStringList{"report"} << 2 << "" << "Usage: SW40917-cli report";
    QTest::newRow("pdf to standard output")
        << QStringList{"report", folder, "--pdf"} << 2 << "" << "--pdf needs -o FILE";
    QTest::newRow("-o without file") << QStringList{"report", folder, "-o"} << 2 << "" << "Usage:";
    QTest::newRow("two folders") << QStringList{"report", folder, folder} << 2 << "" << "Usage:";
    QTest::newRow("unknown option") << QStringList{"report", folder, "--csv"} << 2 << "" << "Usage:";
}

void TestCliReport::usage()
{
    checkUsageRow();
}

void TestCliReport::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("errContains");
    const QString folder = m_ws.make({{QStringLiteral("1"), 2, 2, QStringLiteral("A")}}, {});
    const QString broken = m_ws.make({}, {}, QStringLiteral("Broken"));
    write(broken + QStringLiteral("/DefReg.xml"), "<InfoMod><Modbus_Read><row");
    write(broken + QStringLiteral("/DNET_Net.xml"), "<DNET_Net><row ID=\"1\" NB_IN=\"2\" NB_OUT=\"2\"/></DNET_Net>");
    const QString missingFolder = m_ws.file(QStringLiteral("no such folder/report.html"));
    QTest::newRow("not a folder") << QStringList{"report", m_ws.file(QStringLiteral("nothing"))}
                                  << "Not a configuration folder";
    QTest::newRow("document unreadable") << QStringList{"report", broken} << "DefReg.xml";
    QTest::newRow("html not writable") << QStringList{"report", folder, "-o", missingFolder} << "report.html";
    QTest::newRow("pdf not writable") << QStringList{"report", folder, "--pdf", "-o", missingFolder} << "report.html";
    // A report never replaces the configuration's own files.
    QTest::newRow("onto a document") << QStringList{"report", folder, "-o", folder + QStringLiteral("/DefReg.xml")}
                                     << "is a file of the configuration";
    QTest::newRow("onto an image") << QStringList{"report", folder, "--pdf", "-o", folder + QStringLiteral("/bin/bank2.bin")}
                                   << "is a file of the configuration";
    QTest::newRow("unknown language") << QStringList{"report", folder, "--language", "Klingon"} << "Klingon.lng";
}

void TestCliReport::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, errContains);
    const CliRun r = runCli(arguments);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(errContains), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(m_ws.file(QStringLiteral("no such folder"))));
    QFile map(m_ws.project() + QStringLiteral("/DefReg.xml"));
    QVERIFY(map.open(QIODevice::ReadOnly));
    QVERIFY(map.readAll().startsWith("<InfoMod>"));
    QVERIFY(!QFileInfo::exists(m_ws.project() + QStringLiteral("/bin/bank2.bin")));
}

void TestCliReport::htmlToOutputOrFile()
{
    const QString folder = m_ws.make({{QStringLiteral("5"), 2, 4, QStringLiteral("Pump")}}, {{1, QStringLiteral("9"), 1, 1, 2}});
    const CliRun toOutput = runCli({QStringLiteral("report"), folder});
    QCOMPARE(toOutput.code, 0);
    QCOMPARE(toOutput.err, QString());
    const Html html = readHtml(toOutput.out);
    QVERIFY2(html.error.isEmpty(), qPrintable(html.error));
    QCOMPARE(html.table(QStringLiteral("map"), 0).value(1),
             (QStringList{"9", "400010", "300010", "1: 5", "1", "2", "Pump"}));

    const QString file = m_ws.file(QStringLiteral("out.html"));
    const CliRun toFile = runCli({QStringLiteral("report"), folder, QStringLiteral("-o"), file});
    QCOMPARE(toFile.code, 0);
    QCOMPARE(toFile.out, file + QLatin1Char('\n'));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    // The same report but for the moment it was made.
    static const QRegularExpression madeOn(QStringLiteral("\\d{4}-\\d\\d-\\d\\dT[^<]*"));
    QCOMPARE(QString::fromUtf8(written.readAll()).replace(madeOn, QString()),
             QString(toOutput.out).replace(madeOn, QString()));
}

void TestCliReport::languageFromTheWorkspace()
{
    const QString folder = m_ws.make({{QStringLiteral("1"), 2, 2, QStringLiteral("A")}}, {});
    QDir().mkpath(m_ws.dir.filePath(QStringLiteral("LANGUAGE")));
    QFile::remove(m_ws.dir.filePath(QStringLiteral("LANGUAGE/Deutsch.lng")));
    QVERIFY(QFile::copy(QStringLiteral(SW_SOURCE_DIR "/lang/Deutsch.lng"),
                        m_ws.dir.filePath(QStringLiteral("LANGUAGE/Deutsch.lng"))));
    const CliRun r = runCli({QStringLiteral("report"), folder, QStringLiteral("--language"), QStringLiteral("Deutsch")});
    QCOMPARE(r.code, 0);
    const Html html = readHtml(r.out);
    QCOMPARE(html.texts.value(QStringLiteral("map")).value(0), QStringLiteral("Registertabelle"));
    QCOMPARE(html.table(QStringLiteral("slaves"), 0).value(0).value(1), QStringLiteral("Knotenadresse"));
}

void TestCliReport::pdfText_data()
{
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("example") << "Slave 1" << ""
                             << QStringList{"Configuration report: Plant A", "Baudrate 250K",
                                            "1 1 Slave 1 4 2 4", "100 400101 300101 1: 1 1 2 Slave 1",
                                            "200 400201 300201 2: 2 None 3 Slave 2", "Total 2 8 1 9"};
    QTest::newRow("script") << "<script>alert(1)</script>" << "" << QStringList{"1 1 <script>alert(1)</script> 4 2 4"};
    QTest::newRow("entity") << "&amp;" << "" << QStringList{"1 1 &amp; 4 2 4"};
    QTest::newRow("attribute break") << "\"><img src=x>" << "" << QStringList{"1 1 \"><img src=x> 4 2 4"};
    QTest::newRow("german") << "Slave 1" << "Deutsch"
                            << QStringList{"Konfigurationsbericht: Plant A", "Registertabelle", "Leseseite",
                                           "Knotenadresse"};
}

void TestCliReport::pdfText()
{
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QFETCH(QString, mnemonic);
    QFETCH(QString, language);
    QFETCH(QStringList, lines);
    const QString folder = m_ws.make({{QStringLiteral("1"), 4, 2, mnemonic}, {QStringLiteral("2"), 6, 8, QStringLiteral("Slave 2")}},
                                     {{1, QStringLiteral("100"), 1, 1, 2}, {2, QStringLiteral("200"), 2, 0, 3}});
    const QString pdf = m_ws.file(QStringLiteral("report.pdf"));
    QStringList arguments{QStringLiteral("report"), folder, QStringLiteral("--pdf"), QStringLiteral("-o"), pdf};
    if (!language.isEmpty())
        arguments << QStringLiteral("--language") << QStringLiteral(SW_SOURCE_DIR "/lang/") + language + QStringLiteral(".lng");
    const CliRun r = runCli(arguments);
    QCOMPARE(r.code, 0);
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 5);
    const QString all = pages.join(QLatin1Char('\n'));
    for (const QString &line : lines)
        QVERIFY2(all.contains(line), qPrintable(line + QStringLiteral("\n---\n") + all));
    // Every page's foot: the configuration's name and "n / N".
    for (int i = 0; i < pages.size(); ++i) {
        const QRegularExpression foot(QStringLiteral("Plant A %1 ?/ ?%2\\s*$").arg(i + 1).arg(pages.size()));
        QVERIFY2(foot.match(pages.at(i)).hasMatch(), qPrintable(pages.at(i)));
    }
}

// The largest configuration: every register's reference numbers are in the PDF, on pages of A4.
void TestCliReport::largestPdfWhole()
{
    if (!havePdfToText())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString folder = m_ws.project(QStringLiteral("Largest"));
    writeLargest(folder);
    write(folder + QStringLiteral("/ParGen.xml"), kParGen);
    const QString pdf = m_ws.file(QStringLiteral("largest.pdf"));
    const CliRun r = runCli({QStringLiteral("report"), folder, QStringLiteral("--pdf"), QStringLiteral("-o"), pdf});
    QCOMPARE(r.code, 0);
    QVERIFY(QFileInfo(pdf).size() < 5 * 1024 * 1024);
    const QString text = pdfPages(pdf).join(QLatin1Char('\n'));
    for (int index = 0; index < 2 * 6144; ++index) {
        const QString row = QStringLiteral("\n %1 %2 %3 ").arg(index).arg(400001 + index).arg(300001 + index);
        if (!text.contains(row))
            QFAIL(qPrintable(QStringLiteral("register %1 is missing").arg(index)));
    }
    for (int slave = 1; slave <= 63; ++slave)
        QVERIFY(text.contains(QStringLiteral("\n %1 %1 Slave %1 ").arg(slave)));
}

QTEST_MAIN(TestCliReport)
#include "tst_cli_report.moc"
