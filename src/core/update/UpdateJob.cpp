#include "UpdateJob.h"

#include "documents/ProjectDocument.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFileInfo>

namespace UpdateJob {

namespace {

const QString BootPort = QStringLiteral("2008");
const QString BootPortSec = QStringLiteral("2007");

struct OperationValues
{
    QString fileName;
    QString startAddress;
    QString bankType;
    QString writeCss;
    QString addressCss;
    QString goToAppAfter;
};

void appendOperation(QDomElement &operations, const OperationValues &v, bool readBack)
{
    using namespace ProjectDocument;
    QDomElement op = appendElement(operations, QStringLiteral("Operation"));
    appendTextElement(op, QStringLiteral("Ope_Protection_Enabled"), QString());
    appendTextElement(op, QStringLiteral("Ope_GoToBoot_Before"), QStringLiteral("0"));
    appendTextElement(op, QStringLiteral("Ope_GoToApp_Before"), QStringLiteral("0"));
    appendTextElement(op, QStringLiteral("Ope_IP_Address"), QString());
    appendTextElement(op, QStringLiteral("Ope_Port"), BootPort);
    appendTextElement(op, QStringLiteral("Ope_Port_Sec"), BootPortSec);
    appendTextElement(op, QStringLiteral("Ope_Erase_Memory"), QStringLiteral("0"));
    appendTextElement(op, QStringLiteral("Ope_FileName"), v.fileName);
    appendTextElement(op, QStringLiteral("Ope_Start_Address"), v.startAddress);
    appendTextElement(op, QStringLiteral("Ope_Memory_Type"), QStringLiteral("0"));
    appendTextElement(op, QStringLiteral("Ope_Bank_Type"), v.bankType);
    appendTextElement(op, QStringLiteral("Ope_Read_Back"), readBack ? QStringLiteral("1") : QStringLiteral("0"));
    appendTextElement(op, QStringLiteral("Ope_Write_CSS"), v.writeCss);
    appendTextElement(op, QStringLiteral("Ope_Address_CSS"), v.addressCss);
    appendTextElement(op, QStringLiteral("Ope_Command_CSS"), QStringLiteral("0x0B"));
    appendTextElement(op, QStringLiteral("Ope_GoToApp_After"), v.goToAppAfter);
}

} // namespace

QString jobFilePath(const WorkspacePaths &paths)
{
    return joinPath(paths.WorkspaceFolder, JobFileName);
}

QString ethernetUpdaterPath(const WorkspacePaths &paths)
{
    return paths.findUpdater(EthernetUpdaterName);
}

QString serialUpdaterPath(const WorkspacePaths &paths)
{
    return paths.findUpdater(SerialUpdaterName);
}

QString notStartedMessage(const WorkspacePaths &paths, const QString &program, const TextCatalog &catalog)
{
    const QString workspace = QDir::toNativeSeparators(paths.WorkspaceFolder);
    const QString programFolder = QDir::toNativeSeparators(paths.ProgramFolder);
    const QString places = workspace == programFolder ? catalog.text(1510).arg(workspace)
                                                      : catalog.text(1505).arg(workspace, programFolder);
    const QFileInfo file(program);
    const int reason = !file.isFile() ? 1507 : !file.isExecutable() ? 1508 : 1509;
    return catalog.text(1255) + QDir::toNativeSeparators(program) + QLatin1Char('\n') + places + QLatin1Char(' ') +
           catalog.text(reason);
}

QDomDocument buildJobFile(const WorkspacePaths &paths, const QString &ipAddress, int option, bool readBack)
{
    using namespace ProjectDocument;
    QDomDocument doc = create(QStringLiteral("Ethernet_Update"), false);
    QDomElement rootElement = root(doc);
    appendTextElement(rootElement, QStringLiteral("Version"), QStringLiteral("1000"));
    appendTextElement(rootElement, QStringLiteral("Title"), QStringLiteral("Korvane - SW40917 Ethernet Update"));
    appendTextElement(rootElement, QStringLiteral("IP_Address_Dev"), ipAddress);
    appendTextElement(rootElement, QStringLiteral("Application_Port"), QStringLiteral("10000"));
    appendTextElement(rootElement, QStringLiteral("Boot_Port"), BootPort);
    appendTextElement(rootElement, QStringLiteral("Boot_Port_Sec"), BootPortSec);
    appendTextElement(rootElement, QStringLiteral("Address_Protection"), QStringLiteral("0x78000"));
    QDomElement protections = appendElement(rootElement, QStringLiteral("Protections"));
    appendTextElement(protections, QStringLiteral("Protection"), QStringLiteral("0x176"));
    QDomElement operations = appendElement(rootElement, QStringLiteral("Operations"));

    if (option != Configuration) {
        // The device stays in its boot loader after the firmware when the configuration follows.
        appendOperation(operations,
                        {joinPath(paths.MasterFolder, QStringLiteral("Sim40917K.sim")), QStringLiteral("0x8000"),
                         QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("0x78100"),
                         option == Firmware ? QStringLiteral("1") : QStringLiteral("0")},
                        readBack);
    }
    if (option != Firmware) {
        appendOperation(operations,
                        {joinPath(joinPath(paths.ProjectFolder, QStringLiteral("bin")), QStringLiteral("bank2.bin")),
                         QStringLiteral("0x50000"), QStringLiteral("2"), QStringLiteral("0"), QStringLiteral("0x50100"),
                         QStringLiteral("1")},
                        readBack);
    }
    return doc;
}

void writeJobFile(const WorkspacePaths &paths, const QString &ipAddress, int option, bool readBack)
{
    ProjectDocument::save(buildJobFile(paths, ipAddress, option, readBack), jobFilePath(paths));
}

QString Update_Options(const QString &s_opt, int option, bool readBack)
{
    const QString no = QStringLiteral("NO ");
    const QString firmwareReadBack = readBack ? QStringLiteral("FR ") : no;
    const QString configurationReadBack = readBack ? QStringLiteral("PR ") : no;
    switch (option) {
    case FirmwareAndConfiguration:
        return s_opt + QStringLiteral("FW ") + firmwareReadBack + QStringLiteral("PW ") + configurationReadBack;
    case Firmware:
        return s_opt + QStringLiteral("FW ") + firmwareReadBack + no + no;
    case Configuration:
        return s_opt + no + no + QStringLiteral("PW ") + configurationReadBack;
    default:
        return s_opt;
    }
}

QString serialDevicePath(const QString &portName)
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\\\.\\") + portName;
#else
    return QStringLiteral("/dev/") + portName;
#endif
}

QStringList serialArguments(const WorkspacePaths &paths, const QString &portName, int option, bool readBack)
{
    QStringList arguments{serialDevicePath(portName)};
    arguments += Update_Options(QString(), option, readBack).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    arguments += joinPath(paths.MasterFolder, QStringLiteral("sim40917.sim"));
    // The updater expects the folder with its trailing separator.
    arguments += joinPath(paths.ProjectFolder, QStringLiteral("bin")) + QDir::separator();
    return arguments;
}

} // namespace UpdateJob
