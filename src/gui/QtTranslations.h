#pragma once

#include <QString>
#include <QStringList>

class TextCatalog;

// Qt's own texts (the buttons of a message box, the file dialog) in the program's language: Qt's
// translation of the language the catalog names (text 1460, its code: "de", "fr", ...) is loaded from
// the first folder that has it, and replaced at every language switch. English needs none.
namespace QtTranslations {

// The code of the catalog's language, from text 1460; for a language file that lacks it, from the
// file's name for the languages shipped with the program; "en" when neither says.
QString languageCode(const TextCatalog &catalog, const QString &languageName);

// The folders searched, in order, when the context names none: the program folder's "translations",
// then Qt's own.
QStringList defaultFolders(const QString &programFolder);

// Installs the translation of that language (removing the one installed before); returns false when
// none is found for a language other than English, and then Qt's texts are English.
bool apply(const QString &code, const QStringList &folders);

} // namespace QtTranslations
