#include "TextCatalog.h"

#include "LanguageFile.h"
#include "base/BoundedFile.h"
#include "base/WorkspacePaths.h"

#include <QFileInfo>

TextCatalog::TextCatalog() = default;

void TextCatalog::LoadDefaultTexts()
{
    m_texts.clear();
    m_texts.reserve(Size);
    for (int i = 0; i < Size; ++i)
        m_texts.append(defaultText(i));
}

const TextCatalog &TextCatalog::english()
{
    static const TextCatalog catalog = [] {
        TextCatalog c;
        c.LoadDefaultTexts();
        return c;
    }();
    return catalog;
}

QString TextCatalog::text(int index) const
{
    if (index < 0 || index >= m_texts.size())
        return QString();
    return m_texts.at(index);
}

void TextCatalog::setText(int index, const QString &text)
{
    if (index >= 0 && index < m_texts.size())
        m_texts[index] = text;
}

void TextCatalog::LoadLanguageFile(const QString &path)
{
    // A file that cannot be read (or is no regular file, or is far too large) leaves the texts as they are.
    QString error;
    const std::optional<QByteArray> bytes = BoundedFile::read(path, &error);
    if (!bytes)
        return;
    for (const LanguageFile::Line &line : LanguageFile::parse(*bytes, size()))
        if (line.kind == LanguageFile::LineKind::Entry)
            setText(line.index, line.text);
}

void TextCatalog::LoadLanguage(QString &language, const QString &languageFolder)
{
    LoadDefaultTexts();
    const QString chosen = joinPath(languageFolder, language + QStringLiteral(".lng"));
    if (QFileInfo(chosen).isFile()) {
        LoadLanguageFile(chosen);
        return;
    }
    language = QStringLiteral("English");
    const QString english = joinPath(languageFolder, QStringLiteral("English.lng"));
    if (QFileInfo(english).isFile())
        LoadLanguageFile(english);
}
