// The language file reader as the program loads a language, and lang-check on the same bytes as a file.
#include "FuzzSupport.h"

#include "Commands.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QTextStream>

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
    static const TextCatalog defaults = [] {
        TextCatalog c;
        c.LoadDefaultTexts();
        return c;
    }();
    TextCatalog catalog = defaults;
    catalog.LoadLanguageFile(path);
    // lang-check costs a report of every shown text: run it on one input in eight, chosen by the input itself.
    if (size % 8 == 0) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        Cli::langCheckCommand({path}, outStream, errStream);
    }
    return 0;
}
