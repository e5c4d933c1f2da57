#include "WorkspacePaths.h"

#include <QDir>

QString joinPath(const QString &folder, const QString &name)
{
    return folder + QDir::separator() + name;
}

void WorkspacePaths::setProgramFolder(const QString &folder)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(folder));
    ProgramFolder = native;
    MasterFolder = joinPath(native, QStringLiteral("MASTER"));
    ProjectsFolder = joinPath(native, QStringLiteral("PROJECTS"));
    LanguageFolder = joinPath(native, QStringLiteral("LANGUAGE"));
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
