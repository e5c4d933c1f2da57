#pragma once

#include "Messages.h"
#include "app/AppSettings.h"
#include "base/ProductIdentity.h"
#include "base/WorkspacePaths.h"
#include "platform/Platform.h"
#include "text/TextCatalog.h"
#include "text/VersionCheck.h"

#include <QStringList>

// The process-wide values of one run, handed to every window. Tests make their own.
struct AppContext
{
    WorkspacePaths paths;
    AppSettings settings;
    TextCatalog catalog;
    // Data cells of the table row copied last, from whichever table; kept for the whole run.
    QStringList RowClipboard;
    int LastUpdateOption = 0;
    bool LastReadBack = true;
    Messages *messages = nullptr;
    Platform platform;
    VersionService versionService{Product::MakerHost, 80};
    // Where Qt's own translations are looked for, in order; empty: the program folder's "translations",
    // then Qt's own folder.
    QStringList qtTranslationFolders;

    QString text(int index) const { return catalog.text(index); }
    QString settingsPath() const { return joinPath(paths.WorkspaceFolder, QStringLiteral("Fabricor.xml")); }
};
