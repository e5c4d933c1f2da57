#include "CompileDriver.h"

CompileResult CompileDeviceImages(const WorkspacePaths &paths)
{
    Q_UNUSED(paths);
    return {};
}
