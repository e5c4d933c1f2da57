#pragma once

#include <QStringList>
#include <QTextStream>

#include <functional>

// The command-line tool as a library: tests run it in-process with their own streams.
namespace Cli {

// Exit codes.
enum ExitCode {
    Ok = 0,
    Failed = 1, // the command ran and failed (compile error, unreadable file, not an image)
    Usage = 2,  // unknown command or wrong arguments
};

// arguments without the program name; returns the exit code. Output that out could not take (a full
// disk, a closed pipe) ends the command with "Cannot write standard output: REASON" on err and Failed.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

// True when the command's standard output must be the exact bytes it writes (the CSV of map --csv):
// the program then puts standard output in binary mode where the C runtime would translate line ends.
bool writesExactBytes(const QStringList &arguments);

// Runs one command and returns its exit code; a command that runs out of memory ends with a
// sentence on err and Failed instead of an abort.
int guarded(QTextStream &err, const std::function<int()> &command);

// SW40917-cli without Qt GUI and Qt Network keeps the program's arguments, as given, for the commands it
// hands to the whole tool.
void keepArguments(int argc, char *argv[]);

} // namespace Cli
