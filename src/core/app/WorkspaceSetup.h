#pragma once

#include "base/WorkspacePaths.h"

#include <QString>
#include <QStringList>

// Where the workspace of a run lies, and its first filling.
//
// A program folder that already holds PROJECTS or LANGUAGE is a portable copy (a build folder, an
// unpacked archive): everything stays beside the program. An installed program cannot write
// beside itself, so its workspace is the user's application-data folder, made on first start and
// filled from the installed data folder (languages, flags, the Example configuration). A file the
// user already has is never replaced.
namespace WorkspaceSetup {

// Sub-folder of the data folder that holds the example configurations.
inline const QString ExamplesFolder = QStringLiteral("examples");

bool isPortable(const QString &programFolder);

// The user's application-data folder (QStandardPaths::AppDataLocation); needs the application's
// name set first.
QString userWorkspaceFolder();

// The first candidate holding a LANGUAGE folder, or an empty text.
QString findDataFolder(const QStringList &candidates);

// Sets paths for the program in programFolder: portable, or the user folder seeded from
// dataFolder (which may be empty: nothing to seed). Either way the workspace's copies of the shipped
// language files gain the texts added since: a portable copy from shippedLanguages (the files the program
// was built with; empty: none), the user folder from the data folder. Returns what could not be made,
// copied or upgraded.
QStringList prepare(WorkspacePaths &paths, const QString &programFolder, const QString &userFolder,
                    const QString &dataFolder, const QString &shippedLanguages = QString());

// Gives each language file in languageFolder that shippedLanguages has too the entries the shipped file
// has and the copy lacks: appended in the copy's encoding, the user's own lines (even empty ones) kept,
// never written through a link. A folder that is the shipped folder itself is left as it is.
QStringList upgradeLanguageFiles(const QString &languageFolder, const QString &shippedLanguages);

// Creates MASTER, PROJECTS, LANGUAGE and Fabricor.xml in workspace when missing, copies every
// shipped language file the workspace lacks, upgrades those it has (upgradeLanguageFiles), and each example whose name
// is not yet in PROJECTS when PROJECTS itself is new (an example the user deleted stays deleted).
QStringList seed(const QString &workspace, const QString &dataFolder);

} // namespace WorkspaceSetup
