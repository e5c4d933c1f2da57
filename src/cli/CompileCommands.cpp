#include "Commands.h"
#include "Cli.h"

namespace Cli {
int compileCommand(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return Failed;
}
int dumpCommand(const QStringList &, QTextStream &, QTextStream &err)
{
    err << "not available yet\n";
    return Failed;
}
} // namespace Cli
