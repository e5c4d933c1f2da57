#pragma once

#include "base/WorkspacePaths.h"

#include <QDomDocument>

class TextCatalog;
#include <QString>

// What the external updaters get: the job file of the Ethernet updater and the command line of the
// serial updater. Pure builders of their inputs; only writeJobFile touches the disk.
namespace UpdateJob {

// Entries of the update option list.
enum Option : int { FirmwareAndConfiguration = 0, Firmware = 1, Configuration = 2 };

inline const QString JobFileName = QStringLiteral("Ethernet_Update.xml");
inline const QString EthernetUpdaterName = QStringLiteral("Ethernet_Update.exe");
inline const QString SerialUpdaterName = QStringLiteral("Ser_40917_Update.exe");

QString jobFilePath(const WorkspacePaths &paths);
QString ethernetUpdaterPath(const WorkspacePaths &paths);
QString serialUpdaterPath(const WorkspacePaths &paths);
// Why the updater of that file name found at program could not be started, as the user reads it:
// the program, the places it was looked for (the workspace, then the program's folder) and the reason.
QString notStartedMessage(const WorkspacePaths &paths, const QString &program, const TextCatalog &catalog);

// The job file: root Ethernet_Update, its fixed elements, and the firmware and/or configuration
// operation for the option. ipAddress is taken as it is (no trimming). No comment node.
QDomDocument buildJobFile(const WorkspacePaths &paths, const QString &ipAddress, int option, bool readBack);
// Builds and saves the job file in the workspace; throws AppError when it cannot be written.
void writeJobFile(const WorkspacePaths &paths, const QString &ipAddress, int option, bool readBack);

// Appends the four option tokens ("FW ", "FR "/"NO ", "PW ", "PR "/"NO ") to s_opt; an unknown
// option appends nothing.
QString Update_Options(const QString &s_opt, int option, bool readBack);

// The device path the serial updater opens for a port name of the port list.
QString serialDevicePath(const QString &portName);

// The serial updater's arguments: device path, the four option tokens, the firmware file and the bin
// folder with a trailing separator. Each is one argument whatever the paths hold (blanks, quotes).
QStringList serialArguments(const WorkspacePaths &paths, const QString &portName, int option, bool readBack);

} // namespace UpdateJob
