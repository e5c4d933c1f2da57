#include "ErrorReport.h"
#include "FakeMessages.h"
#include "text/TextCatalog.h"

#include <QtTest>

#include <new>

// What the general error report shows for an error that escapes a user command.
class TestErrorReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void outOfMemoryIsAPlainSentence_data();
    void outOfMemoryIsAPlainSentence();
};

void TestErrorReport::outOfMemoryIsAPlainSentence_data()
{
    QTest::addColumn<QString>("language"); // empty: no catalog in use
    QTest::addColumn<QString>("expected");
    QTest::newRow("no catalog")
        << QString() << "There is not enough memory to finish this action. Close other programs and try again.";
    QTest::newRow("English") << "English"
                             << "There is not enough memory to finish this action. Close other programs and try again.";
    QTest::newRow("Deutsch") << "Deutsch"
                             << QString::fromUtf8(
                                    "Für diese Aktion ist nicht genug Arbeitsspeicher frei. Schließen Sie "
                                    "andere Programme und versuchen Sie es erneut.");
    QTest::newRow("Español") << QString::fromUtf8("Español")
                             << QString::fromUtf8("No hay memoria suficiente para completar esta acción. Cierre otros "
                                                  "programas y vuelva a intentarlo.");
    QTest::newRow("Français") << QString::fromUtf8("Français")
                              << QString::fromUtf8(
                                     "Mémoire insuffisante pour terminer cette action. Fermez d'autres programmes et "
                                     "réessayez.");
    QTest::newRow("Italiano") << "Italiano"
                              << "Memoria insufficiente per completare questa operazione. Chiudere altri programmi e "
                                 "riprovare.";
}

void TestErrorReport::outOfMemoryIsAPlainSentence()
{
    QFETCH(QString, language);
    QFETCH(QString, expected);
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    std::optional<ErrorReport::CatalogInUse> inUse;
    if (!language.isEmpty()) {
        const QString file = QStringLiteral(SW_SOURCE_DIR "/lang/") + language + QStringLiteral(".lng");
        QVERIFY(QFileInfo::exists(file));
        catalog.LoadLanguageFile(file);
        inUse.emplace(catalog);
    }
    FakeMessages messages;
    QVERIFY(!ErrorReport::run(messages, [] { throw std::bad_alloc(); }));
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(messages.last(), expected);
}

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
