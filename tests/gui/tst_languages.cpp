// Every shipped language in every window: no caption may be cut off where the English one fits.
// With SW_SCREENSHOT_DIR set, each window is also saved as <language>_<window>.png for a look.
#include "AppWindows.h"
#include "TFAbout.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFFabricoreFirmWare.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"
#include "TestWorkspace.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace {

QString shippedFolder()
{
    return QStringLiteral(SW_SOURCE_DIR "/lang");
}

// The room a caption needs beyond its own width, against the room it has; empty when it fits.
QMap<QString, QString> cutOffCaptions(QWidget *window)
{
    QMap<QString, QString> cut;
    const QString windowName = window->objectName();
    auto key = [&](QWidget *w, const QString &extra = QString()) {
        return windowName + QLatin1Char('/') + w->objectName() + extra;
    };
    // The dialogs are children of the main window: each widget is measured in its own window only.
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->window() != window || button->text().isEmpty())
            continue;
        if (button->sizeHint().width() > button->width())
            cut.insert(key(button), QStringLiteral("%1 needs %2, has %3")
                                        .arg(button->text())
                                        .arg(button->sizeHint().width())
                                        .arg(button->width()));
    }
    for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
        if (tabs->window() != window)
            continue;
        int needed = 0;
        for (int i = 0; i < tabs->count(); ++i)
            needed += tabs->tabBar()->fontMetrics().horizontalAdvance(tabs->tabText(i)) + 24;
        if (needed > tabs->width())
            cut.insert(key(tabs), QStringLiteral("tabs need %1, have %2").arg(needed).arg(tabs->width()));
    }
    for (QGroupBox *group : window->findChildren<QGroupBox *>()) {
        if (group->window() != window)
            continue;
        if (group->fontMetrics().horizontalAdvance(group->title()) + 16 > group->width())
            cut.insert(key(group), group->title());
    }
    for (QLabel *label : window->findChildren<QLabel *>()) {
        if (label->window() != window || label->text().isEmpty() || label->wordWrap() ||
            label->textFormat() == Qt::RichText || !label->pixmap().isNull())
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        // Cut by its own box, or running past the window's right edge.
        const int right = label->mapTo(window, QPoint(0, 0)).x() + std::min(needed, label->width());
        if (needed > label->width() + 1)
            cut.insert(key(label),
                       QStringLiteral("%1 needs %2, has %3").arg(label->text()).arg(needed).arg(label->width()));
        else if (right > window->width())
            cut.insert(key(label, QStringLiteral(" (edge)")),
                       QStringLiteral("%1 ends at %2 of %3").arg(label->text()).arg(right).arg(window->width()));
    }
    return cut;
}

// The version service, always knowing a newer version.
class NewerVersionHttp : public HttpClient
{
public:
    std::optional<QByteArray> get(const QString &, quint16, const QString &, const Headers &, int, qint64) override
    {
        return QByteArray("VER. 9.999");
    }
};

// Where a shown link label cannot be read whole: cut by its own box, past the window's edge, or
// under another control of its window.
QStringList unreadableLink(QLabel *link)
{
    QWidget *window = link->window();
    const QRect box(link->mapTo(window, QPoint(0, 0)), link->size());
    QStringList problems;
    const QSize needed =
        link->wordWrap() ? QSize(link->width(), link->heightForWidth(link->width())) : link->sizeHint();
    if (needed.width() > link->width() || needed.height() > link->height())
        problems.append(QStringLiteral("needs %1x%2, has %3x%4")
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(link->width())
                            .arg(link->height()));
    if (!window->rect().contains(box))
        problems.append(QStringLiteral("runs past the window"));
    for (QWidget *other : window->findChildren<QWidget *>()) {
        if (other == link || !other->isVisible() || other->window() != window || other->isAncestorOf(link) ||
            other->parentWidget() != link->parentWidget())
            continue;
        if (QRect(other->mapTo(window, QPoint(0, 0)), other->size()).intersects(box))
            problems.append(QStringLiteral("lies under ") + other->objectName());
    }
    return problems;
}

struct Program
{
    TestWorkspace ws;
    std::unique_ptr<AppWindows> windows;
    NewerVersionHttp http;

    explicit Program(const QString &language)
    {
        QDir().mkpath(ws.context.paths.LanguageFolder);
        const QDir shipped(shippedFolder());
        for (const QString &f : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(f), joinPath(ws.context.paths.LanguageFolder, f));
        AppSettings settings;
        settings.language = language;
        settings.write(ws.context.settingsPath());
        // An open configuration: the editors then show their empty documents.
        QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/Demo/bin"));
        settings.projectname = QStringLiteral("Demo");
        settings.write(ws.context.settingsPath());
        ws.context.platform.http = &http;
        // Qt's translations as the build ships them, and nowhere else.
        ws.context.qtTranslationFolders = {QStringLiteral(SW_PROGRAM_DIR "/translations")};
        windows = std::make_unique<AppWindows>(ws.context);
    }

    // As the options dialog does it: the catalog reloads, then every window puts its texts again.
    void switchTo(const QString &language)
    {
        ws.context.settings.language = language;
        ws.context.catalog.LoadLanguage(ws.context.settings.language, ws.context.paths.LanguageFolder);
        windows->mainWindow()->Change_Language();
    }

    // The version check answers in another language, then the user switches to this one.
    QLabel *updateLinkAfterSwitch()
    {
        const QString language = ws.context.settings.language;
        switchTo(language == QLatin1String("English") ? QStringLiteral("Deutsch") : QStringLiteral("English"));
        windows->mainWindow()->Timer_UpdateTimer();
        switchTo(language);
        return windows->mainWindow()->findChild<QLabel *>(QStringLiteral("LL_Update"));
    }

    QList<QWidget *> all() const
    {
        return {windows->mainWindow(), windows->newProject(),   windows->openConf(),
                windows->about(),      windows->softOptions(),  windows->parGen(),
                windows->deviceNet(),  windows->defineModbus(), windows->boot()};
    }

    // Each window shown once, so that its layouts have placed everything, then measured.
    QMap<QString, QString> cutOff() const
    {
        QMap<QString, QString> cut;
        for (QWidget *w : all()) {
            w->show();
            QCoreApplication::processEvents();
            cut.insert(cutOffCaptions(w));
            w->hide();
        }
        return cut;
    }
};

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void captionsFit_data();
    void captionsFit();
    void qtTextsFollowTheLanguage_data();
    void qtTextsFollowTheLanguage();
};

void TestLanguages::captionsFit_data()
{
    QTest::addColumn<QString>("language");
    for (const QString &f : QDir(shippedFolder()).entryList({QStringLiteral("*.lng")}, QDir::Files))
        QTest::newRow(qPrintable(f)) << f.chopped(4);
}

void TestLanguages::captionsFit()
{
    QFETCH(QString, language);
    const QMap<QString, QString> english = Program(QStringLiteral("English")).cutOff();

    Program program(language);
    QCOMPARE(program.ws.context.settings.language, language);
    const QMap<QString, QString> cut = program.cutOff();
    QStringList newlyCut;
    for (auto it = cut.begin(); it != cut.end(); ++it) {
        if (!english.contains(it.key()))
            newlyCut.append(it.key() + QStringLiteral(": ") + it.value());
    }
    QVERIFY2(newlyCut.isEmpty(), qPrintable(newlyCut.join(QLatin1Char('\n'))));

    // The update link must be read whole in every language, English included.
    QLabel *link = program.updateLinkAfterSwitch();
    program.windows->mainWindow()->show();
    QCoreApplication::processEvents();
    QVERIFY(link->isVisible());
    QVERIFY(link->text().contains(program.ws.context.text(19).toHtmlEscaped()));
    const QStringList linkProblems = unreadableLink(link);
    QVERIFY2(linkProblems.isEmpty(), qPrintable(linkProblems.join(QStringLiteral("; "))));

    const QString shots = qEnvironmentVariable("SW_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        for (QWidget *w : program.all()) {
            w->show();
            QCoreApplication::processEvents();
            w->grab().save(
                QDir(shots).filePath(language + QLatin1Char('_') + w->objectName() + QStringLiteral(".png")));
            w->hide();
        }
        // The other two option pages as well.
        auto *tabs = program.windows->softOptions()->findChild<QTabWidget *>(QStringLiteral("PC_Options"));
        program.windows->softOptions()->show();
        for (int i = 1; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            program.windows->softOptions()->grab().save(
                QDir(shots).filePath(language + QStringLiteral("_TFSoftOptions_%1.png").arg(i)));
        }
        program.windows->softOptions()->hide();
        // The slave list after OK was refused for a blank row above a filled one: the row is selected.
        TFDeviceNetNetwork *slaves = program.windows->deviceNet();
        slaves->show();
        auto *grid = slaves->findChild<QTableWidget *>(QStringLiteral("sga"));
        for (int c = 1; c <= 4; ++c) {
            grid->item(0, c)->setText(QStringLiteral("1"));
            grid->item(2, c)->setText(QStringLiteral("2"));
        }
        slaves->findChild<QPushButton *>(QStringLiteral("Btn_OK"))->click();
        QCoreApplication::processEvents();
        slaves->grab().save(QDir(shots).filePath(language + QStringLiteral("_TFDeviceNetNetwork_refused.png")));
        QFile message(QDir(shots).filePath(language + QStringLiteral("_TFDeviceNetNetwork_refused.txt")));
        if (message.open(QIODevice::WriteOnly))
            message.write(program.ws.messages.last().toUtf8());
        slaves->hide();
    }
}

// Qt's own texts (here a question's buttons) switch with the program's language, both ways.
void TestLanguages::qtTextsFollowTheLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("buttons"); // Yes, No, Cancel
    QTest::newRow("Deutsch") << "Deutsch" << QStringList{"&Ja", "&Nein", "Abbrechen"};
    QTest::newRow("Español") << "Español" << QStringList{"&Sí", "&No", "Cancelar"};
    QTest::newRow("Français") << "Français" << QStringList{"&Oui", "&Non", "Annuler"};
    QTest::newRow("Italiano") << "Italiano" << QStringList{"&Sì", "&No", "Annulla"};
}

void TestLanguages::qtTextsFollowTheLanguage()
{
    QFETCH(QString, language);
    QFETCH(QStringList, buttons);
    const auto question = [] {
        QMessageBox box(QMessageBox::Question, QString(), QString(),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return QStringList{box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                           box.button(QMessageBox::Cancel)->text()};
    };
    const QStringList english{"&Yes", "&No", "Cancel"};
    Program program(QStringLiteral("English"));
    QCOMPARE(question(), english);
    program.switchTo(language);
    QCOMPARE(question(), buttons);
    program.switchTo(QStringLiteral("English"));
    QCOMPARE(question(), english);
    // Started in the language, as after a restart.
    Program again(language);
    QCOMPARE(question(), buttons);
}

QTEST_MAIN(TestLanguages)
#include "tst_languages.moc"
