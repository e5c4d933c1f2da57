#include "ErrorReport.h"
#include "FakeMessages.h"
#include "ModalHelper.h"
#include "QtMessages.h"
#include "documents/MasterAddress.h"
#include "documents/PastBytes.h"
#include "text/TextCatalog.h"

#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>

#include <new>

// What the general error report shows for an error that escapes a user command, and how a message
// box on screen lays out its lines.
class TestErrorReport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void outOfMemoryIsAPlainSentence_data();
    void outOfMemoryIsAPlainSentence();
    void questionBoxFitsItsLines_data();
    void questionBoxFitsItsLines();
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

void TestErrorReport::questionBoxFitsItsLines_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &file : QDir(QStringLiteral(SW_SOURCE_DIR "/lang")).entryList({QStringLiteral("*.lng")}))
        QTest::newRow(qPrintable(file)) << file.chopped(4);
}

// The questions about registers past their slave's bytes and a slave at the master's address, as the
// box shows them: every line that the screen has room for is shown whole, and where a long line
// wraps, no number is left alone at the start of a line.
void TestErrorReport::questionBoxFitsItsLines()
{
    QFETCH(QString, language);
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    catalog.LoadLanguageFile(QStringLiteral(SW_SOURCE_DIR "/lang/") + language + QStringLiteral(".lng"));
    QVector<RegisterPastBytes> past;
    for (int i = 0; i < 3; ++i)
        past.append({1, QString::number(40 + i), 1, QStringLiteral("7"), 1, {i + 2}});
    const QStringList questions{
        PastBytes::warning(past, catalog) + QStringLiteral("\n\n") + catalog.text(1486),
        MasterAddress::warning(MasterAddress::find(QStringLiteral("10"), {QStringLiteral("3"), QStringLiteral("10")}),
                               catalog) +
            QStringLiteral("\n\n") + catalog.text(1730)};
    QtMessages messages;
    for (const QString &question : questions) {
        QStringList problems;
        whenModal([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            const int room = box->screen()->availableGeometry().width() * 9 / 10 - 120;
            for (const QString &line : box->text().split(QLatin1Char('\n'))) {
                const int needed = label->fontMetrics().horizontalAdvance(line);
                if (needed <= room && needed > label->width())
                    problems.append(QStringLiteral("%1 needs %2, has %3").arg(line).arg(needed).arg(label->width()));
                // A number stays with its words: no plain space before or after one.
                static const QRegularExpression loose(QStringLiteral("\\S \\d|\\d \\S"));
                if (line.contains(loose))
                    problems.append(QStringLiteral("a number may wrap alone: ") + line);
            }
            if (const QString folder = qEnvironmentVariable("SW_SCREENSHOT_DIR"); !folder.isEmpty())
                box->grab().save(QDir(folder).filePath(QStringLiteral("question-%1-%2.png")
                                                           .arg(language)
                                                           .arg(questions.indexOf(question))));
        });
        QVERIFY(!messages.question(question)); // closed unanswered
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
}

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
