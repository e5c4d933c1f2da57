#include "ProjectName.h"

#include <QStringList>

bool isValidProjectName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c))
            return false;
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return false;
    static const QStringList reserved = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                         QStringLiteral("NUL")};
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    if (reserved.contains(base))
        return false;
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
        base.at(3) >= QLatin1Char('1') && base.at(3) <= QLatin1Char('9'))
        return false;
    return true;
}
