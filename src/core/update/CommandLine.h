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
