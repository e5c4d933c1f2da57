#include "AppWindows.h"
#include "PlatformServices.h"
#include "QtMessages.h"
#include "TFFabricoreFirmWare.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QtMessages messages;
    PlatformServices services;

    AppContext context;
    context.messages = &messages;
    context.platform = services.platform();
    context.paths.setProgramFolder(QCoreApplication::applicationDirPath());

    AppWindows windows(context);
    TFFabricoreFirmWare *mainWindow = windows.main();
    mainWindow->show();
    if (const QScreen *screen = mainWindow->screen())
        mainWindow->move(screen->availableGeometry().center() - mainWindow->rect().center());
    return app.exec();
}
