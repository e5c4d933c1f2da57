#include "Plural.h"

#include "TextCatalog.h"

namespace Plural {

bool isOne(const QString &languageCode, qint64 n)
{
    if (languageCode.trimmed().startsWith(QLatin1String("fr"), Qt::CaseInsensitive))
        return n == 0 || n == 1;
    return n == 1;
}

QString pick(const TextCatalog &catalog, qint64 n, int oneIndex, int otherIndex)
{
    const QString other = catalog.text(otherIndex);
    if (!isOne(catalog.text(LanguageCode), n))
        return other;
    const QString one = catalog.text(oneIndex);
    if (one == TextCatalog::defaultText(oneIndex) && other != TextCatalog::defaultText(otherIndex))
        return other;
    return one;
}

} // namespace Plural
