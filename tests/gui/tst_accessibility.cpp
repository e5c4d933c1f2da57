// Every window read through QAccessible as a screen reader reads it, in every shipped language:
// each control has a name, each hint is also a description, no two controls share a name.
#include "Accessibility.h"
#include "AccessibilityCheck.h"
#include "AppWindows.h"
#include "TFAbout.h"
#include "TFAutoMap.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFFabricoreFirmWare.h"
#include "TFMapOverview.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"
#include "TestWorkspace.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

namespace {

QString shippedFolder()
{
    return QStringLiteral(SW_SOURCE_DIR "/lang");
}

// The program as installed with the shipped languages, started in one of them, with an open
// (empty) configuration so that every editor opens.
struct Program
{
    TestWorkspace ws;
    std::unique_ptr<AppWindows> windows;
    TFAutoMap *autoMap = nullptr;
    std::unique_ptr<TFMapOverview> overview;

    explicit Program(const QString &language)
    {
        QDir().mkpath(ws.context.paths.LanguageFolder);
        const QDir shipped(shippedFolder());
        for (const QString &f : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(f), joinPath(ws.context.paths.LanguageFolder, f));
        QDir(ws.dir.path()).mkpath(QStringLiteral("PROJECTS/Demo/bin"));
        AppSettings settings;
        settings.language = language;
        settings.projectname = QStringLiteral("Demo");
        settings.write(ws.context.settingsPath());
        windows = std::make_unique<AppWindows>(ws.context);
        windows->mainWindow()->show();
    }

    // The update dialog is one window per kind of update; auto-map and the overview are opened from
    // the register map dialog, which puts the current texts on them at every opening.
    QWidget *window(const QString &name)
    {
        if (name == QLatin1String("TFAutoMap")) {
            if (!autoMap)
                autoMap = new TFAutoMap(ws.context, windows->defineModbus());
            autoMap->Set_Lang();
            return autoMap;
        }
        if (name == QLatin1String("TFMapOverview")) {
            overview =
                std::make_unique<TFMapOverview>(ws.context, windows->defineModbus()->map(), windows->defineModbus());
            return overview.get();
        }
        if (name.startsWith(QLatin1String("TFBoot"))) {
            windows->boot()->Form_Type = name.endsWith(QLatin1String("Ethernet")) ? 1 : 0;
            return windows->boot();
        }
        const QList<QWidget *> all = {windows->mainWindow(), windows->newProject(),  windows->openConf(),
                                      windows->about(),      windows->softOptions(), windows->parGen(),
                                      windows->deviceNet(),  windows->defineModbus()};
        for (QWidget *w : all)
            if (w->objectName() == name)
                return w;
        return nullptr;
    }

    // Shows the window and reads every page of its page control.
    static AccessibilityCheck::Report read(QWidget *window)
    {
        window->show();
        QCoreApplication::processEvents();
        auto *pages = window->findChild<QTabWidget *>();
        AccessibilityCheck::Report report;
        for (int p = 0; p < (pages ? pages->count() : 1); ++p) {
            if (pages)
                pages->setCurrentIndex(p);
            const AccessibilityCheck::Report page = AccessibilityCheck::walk(window);
            for (const QString &fault : page.faults)
                if (!report.faults.contains(fault))
                    report.faults.append(fault);
            report.texts.insert(page.texts);
        }
        if (pages)
            pages->setCurrentIndex(0);
        return report;
    }

    // The way a user switches: the options dialog, a click on the language, Yes.
    void switchLanguage(const QString &language)
    {
        TFSoftOptions *options = windows->softOptions();
        options->show();
        QCoreApplication::processEvents();
        for (QRadioButton *choice : options->findChildren<QRadioButton *>())
            if (choice->objectName().startsWith(QLatin1String("L_L")) && choice->text() == language)
                QTest::mouseClick(choice, Qt::LeftButton);
        QCOMPARE(ws.messages.lastKind(), QStringLiteral("question"));
    }
};

const QStringList kWindows = {
    QStringLiteral("TFFabricoreFirmWare"), QStringLiteral("TFNew_Project"),
    QStringLiteral("TFOpenConf"),          QStringLiteral("TFAbout"),
    QStringLiteral("TFSoftOptions"),       QStringLiteral("TFParGen"),
    QStringLiteral("TFDeviceNetNetwork"),  QStringLiteral("TFDefineModbusRegs"),
    QStringLiteral("TFBoot Serial"),       QStringLiteral("TFBoot Ethernet"),
    QStringLiteral("TFAutoMap"),           QStringLiteral("TFMapOverview"),
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyControlNamed_data();
    void everyControlNamed();
    void namesFollowLanguageSwitch_data();
    void namesFollowLanguageSwitch();
    void placeholdersLostInTranslation();
    void namesFromCaptions_data();
    void namesFromCaptions();
};

void TestAccessibility::everyControlNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("language");
    const QStringList languages = QDir(shippedFolder()).entryList({QStringLiteral("*.lng")}, QDir::Files);
    QVERIFY(languages.size() >= 2);
    for (const QString &window : kWindows)
        for (const QString &file : languages)
            QTest::addRow("%s %s", qPrintable(window), qPrintable(file.chopped(4))) << window << file.chopped(4);
}

void TestAccessibility::everyControlNamed()
{
    QFETCH(QString, window);
    QFETCH(QString, language);
    Program program(language);
    QCOMPARE(program.ws.context.settings.language, language);
    QWidget *w = program.window(window);
    QVERIFY(w);
    const AccessibilityCheck::Report report = Program::read(w);
    QVERIFY2(report.faults.isEmpty(), qPrintable(report.faults.join(QLatin1Char('\n'))));
    QVERIFY(!report.texts.isEmpty());
    // The window list and the task bar show the program's icon on each window.
    QVERIFY(!w->windowIcon().isNull());
#ifdef Q_OS_LINUX
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("sw40917"));
#endif

    // With SW_SCREENSHOT_DIR set, the window is saved there as a picture, for a look at each language.
    if (const QString folder = qEnvironmentVariable("SW_SCREENSHOT_DIR"); !folder.isEmpty())
        w->grab().save(QDir(folder).filePath(QString(window).replace(QLatin1Char(' '), QLatin1Char('-')) +
                                             QLatin1Char('-') + language + QStringLiteral(".png")));

    // With SW_ACCESSIBILITY_DUMP set, every name and description read is listed for a look.
    if (qEnvironmentVariableIsSet("SW_ACCESSIBILITY_DUMP"))
        for (auto it = report.texts.cbegin(); it != report.texts.cend(); ++it)
            qInfo().noquote() << language << it.key() << "=" << it.value();
}

void TestAccessibility::namesFollowLanguageSwitch_data()
{
    QTest::addColumn<QString>("window");
    for (const QString &window : kWindows)
        QTest::newRow(qPrintable(window)) << window;
}

void TestAccessibility::namesFollowLanguageSwitch()
{
    QFETCH(QString, window);
    const QString language = QStringLiteral("Italiano");
    const AccessibilityCheck::Report started = [&] {
        Program program(language);
        return Program::read(program.window(window));
    }();

    // Read once in English, then the language changes while the main window and the options
    // dialog are open; the window must read as if the program had started in the new language.
    Program program(QStringLiteral("English"));
    QWidget *w = program.window(window);
    const AccessibilityCheck::Report english = Program::read(w);
    if (w != program.windows->mainWindow())
        w->hide();
    program.switchLanguage(language);
    if (w != program.windows->softOptions())
        program.windows->softOptions()->hide();
    // Opened again, as the user opens it after the switch.
    const AccessibilityCheck::Report switched = Program::read(program.window(window));

    QCOMPARE(switched.texts.keys(), started.texts.keys());
    QStringList stale;
    for (auto it = switched.texts.cbegin(); it != switched.texts.cend(); ++it)
        if (it.value() != started.texts.value(it.key()))
            stale.append(it.key() + QStringLiteral(": \"") + it.value() + QStringLiteral("\", started: \"") +
                         started.texts.value(it.key()) + QLatin1Char('"'));
    QVERIFY2(stale.isEmpty(), qPrintable(stale.join(QLatin1Char('\n'))));
    // The switch took place: the catalog no longer holds the English texts.
    QVERIFY(program.ws.context.text(0) != TextCatalog::defaultText(0));
    Q_UNUSED(english);
}

void TestAccessibility::placeholdersLostInTranslation()
{
    // A language file from someone else whose name patterns lost a placeholder or both.
    Program program(QStringLiteral("English"));
    const QString file = joinPath(program.ws.context.paths.LanguageFolder, QStringLiteral("Broken.lng"));
    TestWorkspace::writeFile(file, "STR1451 = %1 byte\nSTR1452 = group\n");
    program.switchLanguage(QStringLiteral("Broken"));
    program.windows->softOptions()->hide();
    for (const QString &window : {QStringLiteral("TFParGen"), QStringLiteral("TFBoot Ethernet")}) {
        const AccessibilityCheck::Report report = Program::read(program.window(window));
        QVERIFY2(report.faults.isEmpty(), qPrintable(report.faults.join(QLatin1Char('\n'))));
    }
}

void TestAccessibility::namesFromCaptions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("first");   // the name after the first update
    QTest::addColumn<QString>("ownName"); // set on the field between two updates; empty for none
    QTest::addColumn<QString>("name");    // after the second update, the caption changed in between
    QTest::newRow("mnemonic dropped") << "&Start index"
                                      << "Start index" << QString() << "Start index, again";
    QTest::newRow("&& keeps a literal &") << "Start && step"
                                          << "Start & step" << QString() << "Start & step, again";
    QTest::newRow("own name kept") << "&Start index"
                                   << "Start index"
                                   << "Where auto-map begins"
                                   << "Where auto-map begins";
}

void TestAccessibility::namesFromCaptions()
{
    QFETCH(QString, caption);
    QFETCH(QString, ownName);
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    QWidget window;
    auto *label = new QLabel(caption, &window);
    auto *field = new QLineEdit(&window);
    Accessibility::setCaption(field, {label});
    Accessibility::update(&window, catalog);
    QTEST(field->accessibleName(), "first");
    if (!ownName.isEmpty())
        field->setAccessibleName(ownName);
    label->setText(caption + QStringLiteral(", again"));
    Accessibility::update(&window, catalog);
    QTEST(field->accessibleName(), "name");
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
