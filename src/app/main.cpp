#include "AppWindows.h"
#include "PlatformServices.h"
#include "QtMessages.h"
#include "QtTranslations.h"
#include "TFFabricoreFirmWare.h"
#include "app/WorkspaceSetup.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// The installed data folder: beside the program as the install laid it out (SW_DATA_RELATIVE,
// relative to the program's folder), else in the system's shared data folders.
QString dataFolder(const QString &programFolder)
{
    QStringList candidates{QDir(programFolder).filePath(QStringLiteral(SW_DATA_RELATIVE))};
    candidates << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral(SW_DATA_NAME),
                                            QStandardPaths::LocateDirectory);
    return WorkspaceSetup::findDataFolder(candidates);
}

// --self-test: start as usual, report the workspace and its language files, and close the main
// window as a user would (which writes the settings file). Fails when no language file is there.
int reportSelfTest(const AppContext &context)
{
    QTextStream out(stdout);
    QStringList languages;
    for (const QString &name : QDir(context.paths.LanguageFolder).entryList(QDir::Files, QDir::Name)) {
        // As a name filter would match, without the regular expression it builds.
        if (name.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive))
            languages << name;
    }
    out << "Workspace: " << context.paths.WorkspaceFolder << '\n';
    out << "Languages: " << languages.join(QLatin1Char(' ')) << '\n';
    return languages.isEmpty() ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationName(QStringLiteral("SW40917"));
    const bool selfTest = app.arguments().contains(QStringLiteral("--self-test"));

    QtMessages messages;
    PlatformServices services;

    AppContext context;
    context.messages = &messages;
    context.platform = services.platform();
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString data = dataFolder(programFolder);
    const QStringList problems =
        WorkspaceSetup::prepare(context.paths, programFolder, WorkspaceSetup::userWorkspaceFolder(), data,
                                QStringLiteral(":/shipped/LANGUAGE"));
    // Qt's translations: a portable copy's own, else the installed ones, else the system's Qt.
    context.qtTranslationFolders = QtTranslations::defaultFolders(programFolder);
    if (!data.isEmpty())
        context.qtTranslationFolders.insert(1, QDir(data).filePath(QStringLiteral("translations")));
    for (const QString &problem : problems)
        std::fprintf(stderr, "%s\n", qUtf8Printable(problem));

    AppWindows windows(context);
    TFFabricoreFirmWare *mainWindow = windows.mainWindow();
    mainWindow->show();
    if (const QScreen *screen = mainWindow->screen())
        mainWindow->move(screen->availableGeometry().center() - mainWindow->rect().center());
    if (selfTest) {
        QTimer::singleShot(0, mainWindow, &QWidget::close);
        const int loop = app.exec();
        return loop != 0 ? loop : reportSelfTest(context);
    }
    return app.exec();
}
