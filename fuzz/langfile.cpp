// The language file reader as the program loads a language, lang-check on the same bytes as a file, and the
// start-up's completion of a user's copy from the shipped file: it only ever appends, so every text of the
// copy reads as before.
#include "FuzzSupport.h"

#include "Commands.h"
#include "app/WorkspaceSetup.h"
#include "base/SafeFile.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QHash>
#include <QTextStream>

namespace {

// The text each index ends up with, as the program reads the file.
QHash<int, QString> finalTexts(const QByteArray &bytes)
{
    QHash<int, QString> texts;
    for (const LanguageFile::Line &line : LanguageFile::parse(bytes, TextCatalog::Size)) {
        if (line.kind == LanguageFile::LineKind::Entry)
            texts.insert(line.index, line.text);
    }
    return texts;
}

// The input as the user's Deutsch.lng, completed from a small shipped file.
void checkCompletion(const QByteArray &bytes)
{
    static const QString data = QDir(FuzzSupport::scratchFolder()).filePath(QStringLiteral("data"));
    static const QString workspace = QDir(FuzzSupport::scratchFolder()).filePath(QStringLiteral("workspace"));
    static const bool made = [] {
        QDir().mkpath(data + QStringLiteral("/LANGUAGE"));
        FuzzSupport::writeFile(data + QStringLiteral("/LANGUAGE/Deutsch.lng"),
                               "\xef\xbb\xbfSTR0 = Beginn\nSTR14 = Konfigurator schlie\xc3\x9f"
                               "en\nSTR1460 = de\n");
        return QDir().mkpath(workspace + QStringLiteral("/LANGUAGE"));
    }();
    (void)made;
    const QString copy = workspace + QStringLiteral("/LANGUAGE/Deutsch.lng");
    FuzzSupport::writeFile(copy, bytes);
    WorkspaceSetup::seed(workspace, data);
    QFile file(copy);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray merged = file.readAll();
    if (!merged.startsWith(bytes))
        std::abort();
    const QHash<int, QString> before = finalTexts(bytes);
    const QHash<int, QString> after = finalTexts(merged);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzSupport::bytes(data, size);
    const QVector<LanguageFile::Line> lines = LanguageFile::parse(bytes, TextCatalog::Size);
    for (const LanguageFile::Line &line : lines) {
        if (line.kind == LanguageFile::LineKind::Entry && (line.index < 0 || line.index >= TextCatalog::Size))
            std::abort();
    }
    LanguageFile::isText(LanguageFile::decode(bytes));

    const QString path = QDir(FuzzSupport::scratchFolder()).filePath(QStringLiteral("Fuzz.lng"));
    FuzzSupport::writeFile(path, bytes);
    TextCatalog catalog = TextCatalog::english();
    catalog.LoadLanguageFile(path);
    // lang-check costs a report of every shown text: run it on one input in eight, chosen by the input itself.
    if (size % 8 == 0) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        Cli::langCheckCommand({path}, outStream, errStream);
    }
    if (size % 8 == 1)
        checkCompletion(bytes);
    return 0;
}
