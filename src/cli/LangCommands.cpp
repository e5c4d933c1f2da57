#include "Commands.h"
#include "Cli.h"

namespace Cli {
int langTemplateCommand(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return Failed;
}
int langCheckCommand(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return Failed;
}
} // namespace Cli
