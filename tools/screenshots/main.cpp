// Renders every window of the configurator into PNG files, in English, with the Example
// configuration open. Usage:
//   sw_screenshots SOURCE_DIR OUTPUT_DIR [--language NAME] [--prefix TEXT] [--only FILE,...]
//     (run offscreen; under Wine with the windows platform plugin for the Windows pictures): NAME is a
//     language file of lang/ without .lng, TEXT goes before every file name, --only names the files wanted
//     (main-window, register-map, ...)
//   sw_screenshots --icon FILE.ico   the program's icon as a Windows icon file (packaging/sw40917.ico)
#include "AppIcon.h"
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
#include <QDataStream>
#include <QDir>
#include <QImage>
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

// A Windows icon file with the icon at the sizes Windows shows (Explorer, Start menu, task bar, the
// installer): 32-bit device-independent bitmaps with alpha, which every Windows and NSIS read.
bool writeIco(const QString &file)
{
    const QIcon icon = AppIcon::icon();
    const QList<int> sizes{16, 24, 32, 48, 64, 128};
    QByteArray directory;
    QByteArray images;
    QDataStream dir(&directory, QIODevice::WriteOnly);
    dir.setByteOrder(QDataStream::LittleEndian);
    dir << quint16(0) << quint16(1) << quint16(sizes.size());
    quint32 offset = 6 + 16 * sizes.size();
    for (const int size : sizes) {
        const QImage image =
            icon.pixmap(size, size).toImage().scaled(size, size).convertToFormat(QImage::Format_ARGB32);
        QByteArray bitmap;
        QDataStream out(&bitmap, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
        out << quint32(40) << qint32(size) << qint32(2 * size) << quint16(1) << quint16(32) << quint32(0) << quint32(0)
            << qint32(0) << qint32(0) << quint32(0) << quint32(0);
        for (int y = size - 1; y >= 0; --y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
            for (int x = 0; x < size; ++x)
                out << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                    << quint8(qAlpha(line[x]));
        }
        // The AND mask (rows padded to 32 bits): all opaque, the alpha channel decides.
        bitmap.append(QByteArray(((size + 31) / 32) * 4 * size, '\0'));
        dir << quint8(size >= 256 ? 0 : size) << quint8(size >= 256 ? 0 : size) << quint8(0) << quint8(0) << quint16(1)
            << quint16(32) << quint32(bitmap.size()) << offset;
        offset += bitmap.size();
        images += bitmap;
    }
    QFile out(file);
    const bool ok = out.open(QIODevice::WriteOnly) && out.write(directory + images) == directory.size() + images.size();
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qUtf8Printable(file));
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--icon"))
        return writeIco(args[2]) ? 0 : 1;
    QString language;
    QString prefix;
    QStringList only;
    for (int i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--language"))
            language = args[i + 1];
        else if (args[i] == QLatin1String("--prefix"))
            prefix = args[i + 1];
        else if (args[i] == QLatin1String("--only"))
            only = args[i + 1].split(QLatin1Char(','));
        else
            args.clear();
    }
    if (args.size() < 3 || args.size() % 2 == 0) {
        std::fprintf(stderr, "usage: sw_screenshots SOURCE_DIR OUTPUT_DIR [--language NAME] [--prefix TEXT] "
                             "[--only FILE,...]\n       sw_screenshots --icon FILE.ico\n");
        return 2;
    }
    const QDir source(args[1]);
    const QDir output(args[2]);
    QDir().mkpath(output.path());
    // The file for a picture, or nothing when it is not wanted.
    const auto target = [&](const char *name) {
        const QString base = QString::fromLatin1(name).chopped(4);
        return only.isEmpty() || only.contains(base) ? output.filePath(prefix + QString::fromLatin1(name)) : QString();
    };

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
    if (!language.isEmpty())
        settings.language = language;
    settings.write(workspace.filePath(QStringLiteral("Fabricor.xml")));

    QtMessages messages;
    PlatformServices services;
    AppContext context;
    context.messages = &messages;
    context.platform = services.platform();
    context.paths.setProgramFolder(workspace.path());
    AppWindows windows(context);

    bool ok = true;
    if (const QString file = target("main-window.png"); !file.isEmpty())
        ok = grab(windows.mainWindow(), file);
    const std::pair<QWidget *, const char *> dialogs[] = {
        {windows.newProject(), "new-configuration.png"},
        {windows.openConf(), "open-configuration.png"},
        {windows.parGen(), "communication.png"},
        {windows.deviceNet(), "devicenet-network.png"},
        {windows.defineModbus(), "register-map.png"},
        {windows.softOptions(), "options.png"},
        {windows.about(), "about.png"},
    };
    for (const auto &[dialog, name] : dialogs) {
        if (const QString file = target(name); !file.isEmpty()) {
            ok = grab(dialog, file, dialog == windows.defineModbus() ? pickSlave : nullptr) && ok;
            dialog->hide();
        }
    }
    for (const auto &[type, name] : {std::pair{1, "update-ethernet.png"}, std::pair{0, "update-serial.png"}}) {
        if (const QString file = target(name); !file.isEmpty()) {
            windows.boot()->Form_Type = type;
            ok = grab(windows.boot(), file) && ok;
            windows.boot()->hide();
        }
    }
    return ok ? 0 : 1;
}
