#pragma once

#include <QString>

// Joins with the platform's native separator; folders carry no trailing separator.
QString joinPath(const QString &folder, const QString &name);

// The global paths of one run. A configuration is active exactly when ProjectFolder is not empty.
// The workspace (MASTER, PROJECTS, LANGUAGE, Fabricor.xml, the updaters' job file) is the program
// folder itself for a portable copy, else the user's own data folder (see WorkspaceSetup).
struct WorkspacePaths
{
    QString ProgramFolder;
    QString WorkspaceFolder;
    QString MasterFolder;
    QString ProjectsFolder;
    QString LanguageFolder;
    QString ProjectName;
    QString ProjectFolder;
    QString ParGenPath;
    QString DnetNetPath;
    QString DefRegPath;

    // A portable workspace: the program folder holds everything (given in any separator form).
    void setProgramFolder(const QString &folder);
    // The program in one folder, the workspace in another; forms the three fixed folders.
    void setWorkspace(const QString &programFolder, const QString &workspaceFolder);
    // An updater in the workspace, else one beside the program, else the workspace path (for the
    // error that names it).
    QString findUpdater(const QString &fileName) const;
    // Makes the named configuration active (an empty name: none active); then Set_Files.
    void activateProject(const QString &name);
    // Recomputes the three document paths from ProjectFolder.
    void Set_Files();
    bool hasActiveProject() const { return !ProjectFolder.isEmpty(); }
    QString binFolder() const { return joinPath(ProjectFolder, QStringLiteral("bin")); }
};
