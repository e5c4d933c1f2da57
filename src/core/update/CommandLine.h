#pragma once

#include <QString>
#include <QStringList>

// Splits a parameter text into arguments by the rules of the Windows command line
// (CommandLineToArgvW for every argument after the program name), so that an updater sees the same
// arguments on every system: blanks and tabs separate arguments outside double quotes; 2n
// backslashes before a quote give n backslashes and the quote opens or closes a quoted part;
// 2n+1 backslashes before a quote give n backslashes and a literal quote; backslashes elsewhere are
// literal; inside a quoted part "" gives a literal quote. Nothing else (no variables, no globbing).
QStringList splitWindowsCommandLine(const QString &parameters);

// One argument as the Windows command line must carry it so that the rules above give it back
// unchanged: left as it is when it holds no blank, tab, line break or quote and is not empty; else
// quoted, with each quote escaped and the backslashes before a quote or before the closing quote
// doubled.
QString quoteWindowsArgument(const QString &argument);
// The parameter text for a list of arguments: each one quoted as above, separated by blanks.
QString joinWindowsCommandLine(const QStringList &arguments);
