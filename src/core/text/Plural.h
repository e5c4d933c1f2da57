#pragma once

#include <QString>

class TextCatalog;

// Texts that state a count come in two catalog entries: one for the singular and one for the plural.
// Which one a number takes is the catalog language's rule (text 1460 names the language): French
// uses the singular for 0 and 1, the other shipped languages for 1 alone.
namespace Plural {

enum CatalogIndex {
    LanguageCode = 1460,
};

// True when the language of that code says "1 register" (not "1 registers") for n.
bool isOne(const QString &languageCode, qint64 n);

// The entry for n things, its placeholders still open. A language file that translates the plural
// but not yet the singular keeps its language: the plural is taken, not the English singular.
QString pick(const TextCatalog &catalog, qint64 n, int oneIndex, int otherIndex);

} // namespace Plural
