#include "CommandLine.h"

// Follows the reference implementation of CommandLineToArgvW, including its handling of runs of
// quotes (every third quote of a run inside a quoted part is literal).
QStringList splitWindowsCommandLine(const QString &parameters)
{
    QStringList args;
    QString current;
    bool inArgument = false;
    int backslashes = 0;
    int quotes = 0; // odd while inside a quoted part
    const int n = int(parameters.size());
    int i = 0;
    while (i < n) {
        const QChar c = parameters.at(i);
        if ((c == QLatin1Char(' ') || c == QLatin1Char('\t')) && quotes == 0) {
            if (inArgument) {
                args.append(current);
                current.clear();
                inArgument = false;
            }
            backslashes = 0;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            current += c;
            ++backslashes;
            ++i;
        } else if (c == QLatin1Char('"')) {
            if (backslashes % 2 == 0) {
                current.chop(backslashes / 2);
                ++quotes;
            } else {
                current.chop(backslashes / 2 + 1);
                current += c;
            }
            backslashes = 0;
            ++i;
            while (i < n && parameters.at(i) == QLatin1Char('"')) {
                if (++quotes == 3) {
                    current += QLatin1Char('"');
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2)
                quotes = 0;
        } else {
            current += c;
            backslashes = 0;
            ++i;
        }
    }
    if (inArgument)
        args.append(current);
    return args;
}
