#pragma once

#include <QString>

// Joins with the platform's native separator; folders carry no trailing separator.
QString joinPath(const QString &folder, const QString &name);

// The global paths of one run. A configuration is active exactly when ProjectFolder is not empty.
struct WorkspacePaths
{
    QString ProgramFolder;
    QString MasterFolder;
    QString ProjectsFolder;
    QString LanguageFolder;
    QString ProjectName;
    QString ProjectFolder;
    QString ParGenPath;
    QString DnetNetPath;
    QString DefRegPath;

    // Forms the three fixed folders from the program folder (given in any separator form).
    void setProgramFolder(const QString &folder);
    // Makes the named configuration active (an empty name: none active); then Set_Files.
    void activateProject(const QString &name);
    // Recomputes the three document paths from ProjectFolder.
    void Set_Files();
    bool hasActiveProject() const { return !ProjectFolder.isEmpty(); }
    QString binFolder() const { return joinPath(ProjectFolder, QStringLiteral("bin")); }
};
