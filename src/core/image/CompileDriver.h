#pragma once

#include "app/WorkspacePaths.h"

#include <QString>

// What one compile wrote.
struct CompileResult
{
    QString bankPath;
    QString bank2Path;
    qint64 bankSize = 0;
    qint64 bank2Size = 0;
};

// Turns the three documents of the active configuration into bin/bank.bin and bin/bank2.bin.
// Throws AppError (with the message to show) and then writes nothing.
CompileResult CompileDeviceImages(const WorkspacePaths &paths);
