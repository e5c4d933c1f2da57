#include "CommandLine.h"

#include <algorithm>

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

QString quoteWindowsArgument(const QString &argument)
{
    static const QString special = QStringLiteral(" \t\n\v\"");
    const bool plain = !argument.isEmpty() &&
                       std::none_of(argument.begin(), argument.end(), [](QChar c) { return special.contains(c); });
    if (plain)
        return argument;
    QString quoted = QStringLiteral("\"");
    int backslashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless a quote follows them.
        const int count = c == QLatin1Char('"') ? 2 * backslashes + 1 : backslashes;
        quoted += QString(count, QLatin1Char('\\'));
        quoted += c;
        backslashes = 0;
    }
    // The closing quote follows: the backslashes before it are doubled.
    quoted += QString(2 * backslashes, QLatin1Char('\\'));
    quoted += QLatin1Char('"');
    return quoted;
}

QString joinWindowsCommandLine(const QStringList &arguments)
{
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted.append(quoteWindowsArgument(argument));
    return quoted.join(QLatin1Char(' '));
}
