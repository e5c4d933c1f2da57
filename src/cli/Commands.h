#pragma once

#include <QStringList>
#include <QTextStream>

// One function per command; each gets the arguments after the command name.
namespace Cli {
int compileCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int dumpCommand(const QStringList &args, QTextStream &out, QTextStream &err);
// The decoder behind dump, on bytes already read; name is the file named in messages.
int dumpImage(const QByteArray &bytes, const QString &name, QTextStream &out, QTextStream &err);
int langTemplateCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int langCheckCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int mapCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int mapImportCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int autoMapCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int edsCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int monitorCommand(const QStringList &args, QTextStream &out, QTextStream &err);
int reportCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// True when the arguments are "--help" or "-h" alone.
bool wantsHelp(const QStringList &args);
// For a command of one operand and no options: prints the help to out and gives Ok when asked for it,
// prints it to err and gives Usage when the arguments are anything but one operand, else gives -1.
int helpOrUsage(const QStringList &args, QTextStream &out, QTextStream &err, void (*help)(QTextStream &));
} // namespace Cli
