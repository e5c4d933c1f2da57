// The text catalog with language files applied: what a file changes, and what it must leave alone.
#include "TestWorkspace.h"
#include "text/Plural.h"
#include "text/TextCatalog.h"

#include "Portable.h"
#include <QTest>

class TestCatalog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void defaults();
    void languageFileLine_data();
    void languageFileLine();
    void onlyNamedEntriesChange();
    void windows1252WithoutBom();
    void unicodeEncodings_data();
    void unicodeEncodings();
    void switchingRestoresEnglish();
    void missingLanguageFallsBackToEnglish_data();
    void missingLanguageFallsBackToEnglish();
    void countsTakeTheLanguagesForm_data();
    void countsTakeTheLanguagesForm();
};

void TestCatalog::defaults()
{
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    QCOMPARE(catalog.size(), 2000);
    QCOMPARE(catalog.text(18), QStringLiteral("Error! Project not Valid"));
    QCOMPARE(catalog.text(1100), QStringLiteral("Row Already used. Do you want to overwrite the values?"));
    QCOMPARE(catalog.text(1999), QStringLiteral(" "));
    QCOMPARE(catalog.text(305), QStringLiteral("Page "));
    QCOMPARE(catalog.text(306), QStringLiteral(" / "));
}

void TestCatalog::languageFileLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    const QString pilcrow = QStringLiteral("\u00B6");
    QTest::newRow("plain") << QByteArray("STR18 = Fehler") << 18 << QStringLiteral("Fehler");
    QTest::newRow("pilcrows keep both blanks")
        << QString(QStringLiteral("STR306 = %1 / %1").arg(pilcrow)).toUtf8() << 306 << QStringLiteral(" / ");
    QTest::newRow("pilcrows keep the trailing blank")
        << QString(QStringLiteral("STR305 = %1Seite %1").arg(pilcrow)).toUtf8() << 305 << QStringLiteral("Seite ");
    QTest::newRow("two pilcrows empty the entry")
        << QString(QStringLiteral("STR5 = %1%1").arg(pilcrow)).toUtf8() << 5 << QString();
    QTest::newRow("comment cut and trimmed")
        << QByteArray("STR9 = Nothing open /#/ old wording") << 9 << QStringLiteral("Nothing open");
    QTest::newRow("only a comment keeps the entry")
        << QByteArray("STR9 = /#/ nothing") << 9 << QStringLiteral("None Configuration Opened ");
    QTest::newRow("empty text keeps the entry")
        << QByteArray("STR9 =   ") << 9 << QStringLiteral("None Configuration Opened ");
    QTest::newRow("lower-case str ignored") << QByteArray("str4 = x") << 4 << QStringLiteral("Step 4");
    QTest::newRow("index above the catalog ignored") << QByteArray("STR2000 = x") << 1999 << QStringLiteral(" ");
    QTest::newRow("negative index ignored") << QByteArray("STR-1 = x") << 0 << QStringLiteral("Begin");
    QTest::newRow("no blank before the equals sign") << QByteArray("STR12=Options") << 12 << QStringLiteral("Options");
    QTest::newRow("blanks and tabs around")
        << QByteArray("  \tSTR 13 \t=\t Optionen  ") << 13 << QStringLiteral("Optionen");
    QTest::newRow("text with an equals sign") << QByteArray("STR14 = a = b") << 14 << QStringLiteral("a = b");
    QTest::newRow("no equals sign") << QByteArray("STR14 Schliessen") << 14 << QStringLiteral("Close Configurator");
    QTest::newRow("index not a number") << QByteArray("STRx = y") << 0 << QStringLiteral("Begin");
}

void TestCatalog::languageFileLine()
{
    QFETCH(QByteArray, line);
    QFETCH(int, index);
    QFETCH(QString, expected);
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("x.lng"));
    TestWorkspace::writeFile(path, QByteArray("Header\r\n") + line + QByteArray("\r\n"));
    ws.context.catalog.LoadLanguageFile(path);
    QCOMPARE(ws.context.catalog.text(index), expected);
}

void TestCatalog::onlyNamedEntriesChange()
{
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("x.lng"));
    TestWorkspace::writeFile(path, "STR18 = Fehler\nSTR15 = Erst\nSTR15 = Zweit\n");
    ws.context.catalog.LoadLanguageFile(path);
    for (int i = 0; i < TextCatalog::Size; ++i) {
        if (i == 18)
            QCOMPARE(ws.context.catalog.text(i), QStringLiteral("Fehler"));
        else if (i == 15)
            QCOMPARE(ws.context.catalog.text(i), QStringLiteral("Zweit")); // the later line wins
        else
            QCOMPARE(ws.context.catalog.text(i), TextCatalog::defaultText(i));
    }
}

void TestCatalog::windows1252WithoutBom()
{
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("x.lng"));
    // B6 is the pilcrow, E4 "ä", 80 the euro sign: a file saved by a Western Windows editor.
    TestWorkspace::writeFile(path, QByteArray("STR305 = \xB6S\xE4ite \xB6\r\nSTR18 = 5 \x80\r\n"));
    ws.context.catalog.LoadLanguageFile(path);
    QCOMPARE(ws.context.catalog.text(305), QStringLiteral("S\u00E4ite "));
    QCOMPARE(ws.context.catalog.text(18), QStringLiteral("5 \u20AC"));
}

// A language file in any Unicode encoding, with or without its byte-order mark.
void TestCatalog::unicodeEncodings_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("bom");
    for (const char *encoding : {"UTF-8", "UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        QTest::addRow("%s", encoding) << QByteArray(encoding) << false;
        QTest::addRow("%s with mark", encoding) << QByteArray(encoding) << true;
    }
}

void TestCatalog::unicodeEncodings()
{
    QFETCH(QByteArray, encoding);
    QFETCH(bool, bom);
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("x.lng"));
    const QByteArray bytes = Portable::encoded(
        QStringLiteral("STR305 = \u00B6Seite \u00B6\r\nSTR18 = Fehler \U0001F321\r"), encoding.constData(), bom);
    TestWorkspace::writeFile(path, bytes);
    ws.context.catalog.LoadLanguageFile(path);
    QCOMPARE(ws.context.catalog.text(305), QStringLiteral("Seite "));
    QCOMPARE(ws.context.catalog.text(18), QStringLiteral("Fehler \U0001F321"));
}

void TestCatalog::switchingRestoresEnglish()
{
    TestWorkspace ws;
    const QString folder = ws.context.paths.LanguageFolder;
    QDir().mkpath(folder);
    TestWorkspace::writeFile(joinPath(folder, QStringLiteral("Deutsch.lng")), "STR18 = Fehler\nSTR15 = Neu\n");
    TestWorkspace::writeFile(joinPath(folder, QStringLiteral("Kurz.lng")), "STR15 = Nuovo\n");
    AppSettings settings;
    settings.language = QStringLiteral("Deutsch");
    ws.context.catalog.LoadLanguage(settings.language, folder);
    QCOMPARE(ws.context.catalog.text(18), QStringLiteral("Fehler"));
    settings.language = QStringLiteral("Kurz");
    ws.context.catalog.LoadLanguage(settings.language, folder);
    QCOMPARE(ws.context.catalog.text(15), QStringLiteral("Nuovo"));
    QCOMPARE(ws.context.catalog.text(18), QStringLiteral("Error! Project not Valid"));
    QCOMPARE(settings.language, QStringLiteral("Kurz"));
}

void TestCatalog::missingLanguageFallsBackToEnglish_data()
{
    QTest::addColumn<bool>("englishFilePresent");
    QTest::addColumn<QString>("expected15");
    QTest::newRow("English.lng present") << true << QStringLiteral("New Configuration (en)");
    QTest::newRow("no English.lng") << false << QStringLiteral("New Configuration");
}

void TestCatalog::missingLanguageFallsBackToEnglish()
{
    QFETCH(bool, englishFilePresent);
    QFETCH(QString, expected15);
    TestWorkspace ws;
    const QString folder = ws.context.paths.LanguageFolder;
    QDir().mkpath(folder);
    if (englishFilePresent)
        TestWorkspace::writeFile(joinPath(folder, QStringLiteral("English.lng")), "STR15 = New Configuration (en)\n");
    AppSettings settings;
    settings.language = QStringLiteral("Klingon");
    ws.context.catalog.LoadLanguage(settings.language, folder);
    QCOMPARE(settings.language, QStringLiteral("English"));
    QCOMPARE(ws.context.catalog.text(15), expected15);
    QCOMPARE(ws.context.catalog.size(), TextCatalog::Size);
}

// "1 register", "2 registers": the singular entry where the language says so (French also for 0), and
// a language file without the singular yet keeps its language rather than showing English.
void TestCatalog::countsTakeTheLanguagesForm_data()
{
    QTest::addColumn<QByteArray>("file"); // language file lines; empty: English defaults
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    QTest::newRow("English 1") << QByteArray() << 1 << "1 register";
    QTest::newRow("English 0") << QByteArray() << 0 << "0 registers";
    QTest::newRow("English 2") << QByteArray() << 2 << "2 registers";
    const QByteArray french = "STR1460 = fr\nSTR1406 = %1 registres\nSTR1710 = %1 registre\n";
    QTest::newRow("French 0") << french << 0 << "0 registre";
    QTest::newRow("French 1") << french << 1 << "1 registre";
    QTest::newRow("French 2") << french << 2 << "2 registres";
    const QByteArray italian = "STR1460 = it\nSTR1406 = %1 registri\nSTR1710 = %1 registro\n";
    QTest::newRow("Italian 0") << italian << 0 << "0 registri";
    QTest::newRow("Italian 1") << italian << 1 << "1 registro";
    QTest::newRow("older file without the singular") << QByteArray("STR1460 = de\nSTR1406 = %1 Register\n") << 1
                                                     << "1 Register";
}

void TestCatalog::countsTakeTheLanguagesForm()
{
    QFETCH(QByteArray, file);
    QFETCH(int, count);
    TestWorkspace ws;
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    if (!file.isEmpty()) {
        const QString path = ws.path(QStringLiteral("x.lng"));
        TestWorkspace::writeFile(path, file);
        catalog.LoadLanguageFile(path);
    }
    QTEST(Plural::pick(catalog, count, 1710, 1406).arg(count), "text");
}

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"
