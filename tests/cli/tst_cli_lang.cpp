// lang-template and lang-check: the shipped language files pass, a faulty file is reported line by line.
#include "CliRun.h"
#include "TestWorkspace.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QTest>

namespace {

QString shippedFolder()
{
    return QStringLiteral(SW_SOURCE_DIR "/lang");
}
} // namespace

class TestCliLang : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void shippedFilesPass_data();
    void shippedFilesPass();
    void shippedFilesHaveBomAndFlag_data();
    void shippedFilesHaveBomAndFlag();
    void templateReadsBackAsEnglish();
    void templateUnderAnotherNameIsAllEnglish();
    void faultyLines_data();
    void faultyLines();
    void sameMarkAndCommonTexts();
    void unreadableFile_data();
    void unreadableFile();
    void usage();
};

void TestCliLang::shippedFilesPass_data()
{
    QTest::addColumn<QString>("file");
    const QStringList files = QDir(shippedFolder()).entryList({QStringLiteral("*.lng")}, QDir::Files);
    QVERIFY(files.size() >= 5);
    for (const QString &f : files)
        QTest::newRow(qPrintable(f)) << QDir(shippedFolder()).filePath(f);
}

void TestCliLang::shippedFilesPass()
{
    QFETCH(QString, file);
    const CliRun r = runCli({QStringLiteral("lang-check"), file});
    QVERIFY2(r.code == Cli::Ok, qPrintable(r.out + r.err));
}

void TestCliLang::shippedFilesHaveBomAndFlag_data()
{
    shippedFilesPass_data();
}

void TestCliLang::shippedFilesHaveBomAndFlag()
{
    QFETCH(QString, file);
    QVERIFY(TestWorkspace::readFile(file).startsWith("\xEF\xBB\xBF"));
    QVERIFY(QFile::exists(file.chopped(4) + QStringLiteral(".bmp")));
    QVERIFY(QFile::exists(QDir(shippedFolder()).filePath(QStringLiteral("DefaultFlag.bmp"))));
}

void TestCliLang::templateReadsBackAsEnglish()
{
    const CliRun r = runCli({QStringLiteral("lang-template")});
    QCOMPARE(r.code, int(Cli::Ok));
    // Every shown text comes back exactly, blanks at either end included; nothing else is set.
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    int entries = 0;
    for (const LanguageFile::Line &line : LanguageFile::parse(r.out.toUtf8(), TextCatalog::Size)) {
        QVERIFY2(line.kind == LanguageFile::LineKind::Ignored || line.kind == LanguageFile::LineKind::Entry,
                 qPrintable(QString::number(line.lineNumber)));
        if (line.kind != LanguageFile::LineKind::Entry)
            continue;
        ++entries;
        QCOMPARE(line.text, TextCatalog::defaultText(line.index));
        QVERIFY(TextCatalog::defaultText(line.index) != QLatin1String(" "));
    }
    int shown = 0;
    for (int i = 0; i < TextCatalog::Size; ++i)
        shown += TextCatalog::defaultText(i) != QLatin1String(" ");
    QCOMPARE(entries, shown);

    TestWorkspace ws;
    const QString english = ws.path(QStringLiteral("English.lng"));
    TestWorkspace::writeFile(english, r.out.toUtf8());
    const CliRun check = runCli({QStringLiteral("lang-check"), english});
    QVERIFY2(check.code == Cli::Ok, qPrintable(check.out));
}

void TestCliLang::templateUnderAnotherNameIsAllEnglish()
{
    TestWorkspace ws;
    const QString file = ws.path(QStringLiteral("Deutsch.lng"));
    TestWorkspace::writeFile(file, runCli({QStringLiteral("lang-template")}).out.toUtf8());
    const CliRun r = runCli({QStringLiteral("lang-check"), file});
    QCOMPARE(r.code, int(Cli::Failed));
    QVERIFY(r.out.contains(QStringLiteral("texts the same as in English")));
    QVERIFY(r.out.contains(QStringLiteral("STR15 = New Configuration")));
    QVERIFY(!r.out.contains(QStringLiteral("STR103 = OK")));
}

void TestCliLang::faultyLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("report");
    QTest::newRow("lower-case str") << QByteArray("str15 = Neu")
                                    << ":2: skipped: an entry line must begin with upper-case \"STR\"";
    QTest::newRow("no equals") << QByteArray("STR15 Neu") << ":2: skipped: no \"=\" after the index";
    QTest::newRow("bad index") << QByteArray("STR1x5 = Neu") << ":2: skipped: the index is not a number";
    QTest::newRow("out of range") << QByteArray("STR2000 = Neu") << ":2: skipped: index 2000 is outside 0 to 1999";
    QTest::newRow("negative") << QByteArray("STR-1 = Neu") << ":2: skipped: index -1 is outside 0 to 1999";
    QTest::newRow("empty text") << QByteArray("STR15 = /#/ later") << ":2: skipped: STR15 has no text";
    QTest::newRow("repeated") << QByteArray("STR0 = Anfang") << ":2: STR0 repeats line 1; this later line wins";
    QTest::newRow("free entry") << QByteArray("STR47 = x") << ":2: STR47 sets a text that no window shows";
    QTest::newRow("lost trailing blank") << QByteArray("STR305 = Seite")
                                         << ":2: STR305 loses the blank the English text has at its end";
    QTest::newRow("lost leading blank") << QByteArray("STR317 = \xc2\xb6zu \xc2\xb6")
                                        << ":2: STR317 loses the blank the English text has at its start";
}

void TestCliLang::faultyLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, report);
    TestWorkspace ws;
    const QString file = ws.path(QStringLiteral("Test.lng"));
    TestWorkspace::writeFile(file, "STR0 = Start\n" + line + "\n");
    const CliRun r = runCli({QStringLiteral("lang-check"), file});
    QCOMPARE(r.code, int(Cli::Failed));
    QVERIFY2(r.out.contains(file + report), qPrintable(r.out.left(600)));
    QVERIFY(r.out.contains(QStringLiteral("shown texts missing")));
}

void TestCliLang::sameMarkAndCommonTexts()
{
    TestWorkspace ws;
    const QString file = ws.path(QStringLiteral("Test.lng"));
    TestWorkspace::writeFile(
        file, "STR13 = Options /#/ same\nSTR103 = OK\nSTR12 = Information\nSTR306 = \xc2\xb6 / \xc2\xb6\n");
    const CliRun r = runCli({QStringLiteral("lang-check"), file});
    QVERIFY(r.out.contains(QStringLiteral("1 texts the same as in English")));
    QVERIFY(r.out.contains(QStringLiteral("STR12 = Information (line 3)")));
}

// A file that is no language file ends with one clear sentence, not with a list of 244 missing texts.
void TestCliLang::unreadableFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString notText = QStringLiteral(": not a text file in a known encoding");
    // Zero bytes beside the letters, but no character of UTF-16 or UTF-32 at the start.
    QTest::newRow("zeros after the start") << "regular" << QByteArray("\xe4S\0T\0R\0000\0", 9) << notText;
    QTest::newRow("binary") << "regular" << QByteArray::fromHex("7f454c4602010100000000000000000003003e00") << notText;
    QTest::newRow("a stray control character") << "regular" << QByteArray("STR0 = Start\x01\n") << notText;
    QTest::newRow("/dev/zero") << "zero" << QByteArray() << QStringLiteral(": it is not a regular file");
    QTest::newRow("folder") << "folder" << QByteArray() << QStringLiteral(": it is not a regular file");
}

void TestCliLang::unreadableFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    TestWorkspace ws;
    QString file = ws.path(QStringLiteral("Test.lng"));
    if (kind == QLatin1String("zero"))
        file = QStringLiteral("/dev/zero");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkdir(file));
    else
        TestWorkspace::writeFile(file, bytes);
    const CliRun r = runCli({QStringLiteral("lang-check"), file});
    QCOMPARE(r.code, int(Cli::Failed));
    QVERIFY2(r.err.contains(file + message), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

void TestCliLang::usage()
{
    QCOMPARE(runCli({QStringLiteral("lang-check")}).code, int(Cli::Usage));
    QCOMPARE(runCli({QStringLiteral("lang-template"), QStringLiteral("x")}).code, int(Cli::Usage));
    QCOMPARE(runCli({QStringLiteral("lang-check"), QStringLiteral("/nonexistent/x.lng")}).code, int(Cli::Failed));
    QCOMPARE(runCli({QStringLiteral("lang-check"), QStringLiteral("--help")}).code, int(Cli::Ok));
}

QTEST_GUILESS_MAIN(TestCliLang)
#include "tst_cli_lang.moc"
