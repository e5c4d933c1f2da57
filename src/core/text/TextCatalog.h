#pragma once

#include <QString>
#include <QVector>

// Every caption, hint and message that a window shows, fetched by a fixed zero-based index.
class TextCatalog
{
public:
    static constexpr int Size = 2000;

    TextCatalog();

    // The built-in English texts; " " for every free entry.
    void LoadDefaultTexts();
    // Applies a language file to the catalog (entries it does not name keep their text).
    void LoadLanguageFile(const QString &path);
    // Defaults, then the named language (the settings' choice); a missing file switches the name to English.
    void LoadLanguage(QString &language, const QString &languageFolder);

    QString text(int index) const;
    QString operator[](int index) const { return text(index); }
    void setText(int index, const QString &text);
    int size() const { return int(m_texts.size()); }

    // The English default of one entry, without touching the catalog.
    static QString defaultText(int index);
    // A catalog of the English defaults, made once: the command line's texts.
    static const TextCatalog &english();

private:
    QVector<QString> m_texts;
};
