#include "WorkspacePaths.h"

#include <QDir>
#include <QFileInfo>

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

void WorkspacePaths::setProgramFolder(const QString &folder)
{
    setWorkspace(folder, folder);
}

void WorkspacePaths::setWorkspace(const QString &programFolder, const QString &workspaceFolder)
{
    ProgramFolder = QDir::toNativeSeparators(QDir::cleanPath(programFolder));
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(workspaceFolder));
    WorkspaceFolder = native;
    MasterFolder = joinPath(native, QStringLiteral("MASTER"));
    ProjectsFolder = joinPath(native, QStringLiteral("PROJECTS"));
    LanguageFolder = joinPath(native, QStringLiteral("LANGUAGE"));
}

QString WorkspacePaths::findUpdater(const QString &fileName) const
{
    const QString inWorkspace = joinPath(WorkspaceFolder, fileName);
    if (QFileInfo(inWorkspace).isFile())
        return inWorkspace;
    const QString besideProgram = joinPath(ProgramFolder, fileName);
    if (QFileInfo(besideProgram).isFile())
        return besideProgram;
    return inWorkspace;
}

void WorkspacePaths::activateProject(const QString &name)
{
    ProjectName = name;
    ProjectFolder = name.isEmpty() ? QString() : joinPath(ProjectsFolder, name);
    Set_Files();
}

void WorkspacePaths::Set_Files()
{
    ParGenPath = joinPath(ProjectFolder, QStringLiteral("ParGen.xml"));
    DnetNetPath = joinPath(ProjectFolder, QStringLiteral("DNET_Net.xml"));
    DefRegPath = joinPath(ProjectFolder, QStringLiteral("DefReg.xml"));
}
