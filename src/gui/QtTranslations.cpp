#include "QtTranslations.h"

#include "text/TextCatalog.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace QtTranslations {

namespace {

constexpr int CodeText = 1460;

// The one translator of Qt's texts in this process, as the application holds it.
std::unique_ptr<QTranslator> &installed()
{
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

bool isCode(const QString &code)
{
    if (code.size() < 2 || code.size() > 8)
        return false;
    for (const QChar c : code) {
        if (!(c.isLetter() && c.unicode() < 128) && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

} // namespace

QString languageCode(const TextCatalog &catalog, const QString &languageName)
{
    const QString code = catalog.text(CodeText).trimmed();
    if (isCode(code))
        return code;
    static const QList<QPair<QString, QString>> shipped{
        {QStringLiteral("Deutsch"), QStringLiteral("de")},
        {QStringLiteral("Español"), QStringLiteral("es")},
        {QStringLiteral("Français"), QStringLiteral("fr")},
        {QStringLiteral("Italiano"), QStringLiteral("it")},
    };
    for (const auto &[name, shippedCode] : shipped) {
        if (languageName.compare(name, Qt::CaseInsensitive) == 0)
            return shippedCode;
    }
    return QStringLiteral("en");
}

QStringList defaultFolders(const QString &programFolder)
{
    return {QDir(programFolder).filePath(QStringLiteral("translations")),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

bool apply(const QString &code, const QStringList &folders)
{
    std::unique_ptr<QTranslator> &current = installed();
    if (current) {
        QCoreApplication::removeTranslator(current.get());
        current.reset();
    }
    if (code == QLatin1String("en") || !isCode(code))
        return code == QLatin1String("en");
    auto translator = std::make_unique<QTranslator>();
    for (const QString &folder : folders) {
        if (!folder.isEmpty() && translator->load(QStringLiteral("qtbase_") + code, folder)) {
            QCoreApplication::installTranslator(translator.get());
            current = std::move(translator);
            return true;
        }
    }
    return false;
}

} // namespace QtTranslations
