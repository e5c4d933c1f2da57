// Renders every window of the configurator into PNG files, in English, with the Example
// configuration open. Usage: sw_screenshots SOURCE_DIR OUTPUT_DIR (run offscreen).
#include "AppWindows.h"
#include "PlatformServices.h"
#include "QtMessages.h"
#include "TFAbout.h"
#include "TFBoot.h"
#include "TFDefineModbusRegs.h"
#include "TFDeviceNetNetwork.h"
#include "TFFabricoreFirmWare.h"
#include "TFNew_Project.h"
#include "TFOpenConf.h"
#include "TFParGen.h"
#include "TFSoftOptions.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

bool copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    const QDir source(from);
    for (const QFileInfo &entry : source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
            return false;
    }
    return true;
}

// The register map shows a slave's registers only once one is picked: the first slave of the
// first page, and its first register.
void pickSlave(QWidget *registerMap)
{
    const auto lists = registerMap->findChildren<QListWidget *>();
    for (const QString &prefix : {QStringLiteral("LB_DeviceNet_Slave_"), QStringLiteral("LB_Modbus_")}) {
        for (QListWidget *list : lists) {
            if (list->objectName().startsWith(prefix) && list->isVisible()) {
                list->setCurrentRow(0);
                break;
            }
        }
    }
}

bool grab(QWidget *window, const QString &file, const std::function<void(QWidget *)> &prepare = {})
{
    window->show();
    QCoreApplication::processEvents();
    if (prepare) {
        prepare(window);
        QCoreApplication::processEvents();
    }
    const bool saved = window->grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qUtf8Printable(file));
    return saved;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: sw_screenshots SOURCE_DIR OUTPUT_DIR\n");
        return 2;
    }
    const QDir source(args[1]);
    const QDir output(args[2]);
    QDir().mkpath(output.path());

    // A portable workspace of its own: the shipped languages and the Example, remembered as open.
    QTemporaryDir workspace;
    if (!copyTree(source.filePath(QStringLiteral("lang")), workspace.filePath(QStringLiteral("LANGUAGE"))) ||
        !copyTree(source.filePath(QStringLiteral("examples/Example")),
                  workspace.filePath(QStringLiteral("PROJECTS/Example")))) {
        std::fprintf(stderr, "cannot copy the languages and the example from %s\n", qUtf8Printable(source.path()));
        return 1;
    }
    AppSettings settings;
    settings.projectname = QStringLiteral("Example");
    settings.write(workspace.filePath(QStringLiteral("Fabricor.xml")));

    QtMessages messages;
    PlatformServices services;
    AppContext context;
    context.messages = &messages;
    context.platform = services.platform();
    context.paths.setProgramFolder(workspace.path());
    AppWindows windows(context);

    bool ok = grab(windows.mainWindow(), output.filePath(QStringLiteral("main-window.png")));
    const std::pair<QWidget *, const char *> dialogs[] = {
        {windows.newProject, "new-configuration.png"},
        {windows.openConf, "open-configuration.png"},
        {windows.parGen, "communication.png"},
        {windows.deviceNet, "devicenet-network.png"},
        {windows.defineModbus, "register-map.png"},
        {windows.softOptions, "options.png"},
        {windows.about, "about.png"},
    };
    for (const auto &[dialog, file] : dialogs) {
        ok = grab(dialog, output.filePath(QString::fromLatin1(file)),
                  dialog == windows.defineModbus ? pickSlave : nullptr) &&
             ok;
        dialog->hide();
    }
    for (const auto &[type, file] : {std::pair{1, "update-ethernet.png"}, std::pair{0, "update-serial.png"}}) {
        windows.boot->Form_Type = type;
        ok = grab(windows.boot, output.filePath(QString::fromLatin1(file))) && ok;
        windows.boot->hide();
    }
    return ok ? 0 : 1;
}
