// Commands for translators: a complete language file to start from, and a check of a finished one.
#include "Cli.h"
#include "Commands.h"

#include "base/BoundedFile.h"
#include "base/TextUtil.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace Cli {

namespace {

// Every entry that some window shows: the ones with an English text of their own.
QVector<int> shownIndexes()
{
    QVector<int> indexes;
    for (int i = 0; i < TextCatalog::Size; ++i) {
        if (TextCatalog::defaultText(i) != QLatin1String(" "))
            indexes.append(i);
    }
    return indexes;
}

// Texts that read the same in every language, so a translation equal to English is no oversight.
bool sameInEveryLanguage(const QString &english)
{
    static const QSet<QString> same = {QStringLiteral("OK"), QStringLiteral("N"), QStringLiteral("?"),
                                       QStringLiteral(" / ")};
    return same.contains(english);
}

// A line may say that its text is meant to be the English one: "STR661 = ¶Byte ¶ /#/ same".
bool markedSame(const QString &rawLine)
{
    const int comment = rawLine.indexOf(QLatin1String("/#/"));
    return comment >= 0 &&
           trimControl(rawLine.mid(comment + 3)).compare(QLatin1String("same"), Qt::CaseInsensitive) == 0;
}

bool startsWithBlank(const QString &t)
{
    return !t.isEmpty() && t.front().unicode() <= 32;
}
bool endsWithBlank(const QString &t)
{
    return !t.isEmpty() && t.back().unicode() <= 32;
}

const char *windowOf(int index)
{
    if (index < 100)
        return "Main window";
    if (index < 200)
        return "New configuration";
    if (index < 300)
        return "Open configuration";
    if (index < 400)
        return "Software options";
    if (index < 500)
        return "Communication settings";
    if (index < 600)
        return "DeviceNet slave list";
    if (index < 700)
        return "Modbus register map";
    if (index < 1100)
        return "Update device";
    if (index >= 1350 && index < 1450)
        return "Register map tools";
    if (index >= 1520 && index < 1550)
        return "EDS import";
    return "Table rows";
}

} // namespace

int langTemplateCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.value(0) == QLatin1String("--help")) {
        out << "Usage: SW40917-cli lang-template > NAME.lng\n\n"
               "Writes a language file with every text that a window shows, in English. Translate the text after\n"
               "each \"=\" and save the file as UTF-8 in the LANGUAGE folder; NAME is the language's name in the\n"
               "list. A text between pilcrows keeps its blanks at either end. \"/#/\" starts a comment.\n";
        return Ok;
    }
    if (!args.isEmpty()) {
        err << "lang-template takes no arguments\n";
        return Usage;
    }
    out << "SW40917 language file\n"
           "Only lines that begin with STR are read: STR + index + \" = \" + text.\n"
           "Keep the blanks inside the pilcrows; they join this text to others.\n";
    const char *window = nullptr;
    for (const int i : shownIndexes()) {
        if (windowOf(i) != window) {
            window = windowOf(i);
            out << "\n[" << window << "]\n";
        }
        out << "STR" << i << " = " << LanguageFile::encodeText(TextCatalog::defaultText(i)) << "\n";
    }
    return Ok;
}

int langCheckCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.value(0) == QLatin1String("--help")) {
        out << "Usage: SW40917-cli lang-check FILE\n\n"
               "Reads FILE as the program does and reports, with line numbers: entry lines it skips or cannot read,\n"
               "indexes out of range, repeated or shown by no window, and translations that lose a blank the\n"
               "English text has at either end. Then it lists every shown text that the file leaves\n"
               "in English: missing, or the same as the English text. \"OK\", \"N\", \"?\" and \" / \" may stay as\n"
               "they are, and so may any line that ends with the comment \"/#/ same\". A file named English.lng is\n"
               "only checked for missing texts.\n"
               "Exit code 0: nothing to report; 1: something reported or the file unreadable.\n";
        return Ok;
    }
    if (args.size() != 1) {
        err << "Usage: SW40917-cli lang-check FILE\n";
        return Usage;
    }
    const QString path = args.first();
    QString readError;
    const std::optional<QByteArray> read = BoundedFile::read(path, &readError);
    if (!read) {
        err << readError << "\n";
        return Failed;
    }
    const QByteArray &bytes = *read;
    const QString decoded = LanguageFile::decode(bytes);
    if (!LanguageFile::isText(decoded)) {
        err << path
            << ": not a text file in a known encoding (UTF-8, UTF-16, UTF-32 or Windows-1252); "
               "save it as UTF-8\n";
        return Failed;
    }
    const bool isEnglish =
        QFileInfo(path).completeBaseName().compare(QLatin1String("English"), Qt::CaseInsensitive) == 0;
    const QStringList rawLines = LanguageFile::splitLines(decoded);
    const QVector<LanguageFile::Line> lines = LanguageFile::parse(bytes, TextCatalog::Size);

    int problems = 0;
    auto report = [&](int lineNumber, const QString &message) {
        out << path << ":" << lineNumber << ": " << message << "\n";
        ++problems;
    };

    QHash<int, int> firstLine;     // index -> line that set it first
    QHash<int, QString> finalText; // index -> text the program ends up with
    QSet<int> markedAsSame;
    for (const LanguageFile::Line &line : lines) {
        const QString raw = rawLines.value(line.lineNumber - 1);
        const QString trimmed = trimControl(raw);
        switch (line.kind) {
        case LanguageFile::LineKind::Ignored:
            if (trimmed.startsWith(QLatin1String("STR"), Qt::CaseInsensitive))
                report(line.lineNumber, QStringLiteral("skipped: an entry line must begin with upper-case \"STR\""));
            break;
        case LanguageFile::LineKind::NoEquals:
            report(line.lineNumber, QStringLiteral("skipped: no \"=\" after the index"));
            break;
        case LanguageFile::LineKind::BadIndex:
            report(line.lineNumber, QStringLiteral("skipped: the index is not a number"));
            break;
        case LanguageFile::LineKind::OutOfRange:
            report(line.lineNumber,
                   QStringLiteral("skipped: index %1 is outside 0 to %2").arg(line.index).arg(TextCatalog::Size - 1));
            break;
        case LanguageFile::LineKind::EmptyText:
            report(line.lineNumber, QStringLiteral("skipped: STR%1 has no text").arg(line.index));
            break;
        case LanguageFile::LineKind::Entry: {
            const QString english = TextCatalog::defaultText(line.index);
            if (firstLine.contains(line.index))
                report(line.lineNumber, QStringLiteral("STR%1 repeats line %2; this later line wins")
                                            .arg(line.index)
                                            .arg(firstLine.value(line.index)));
            else
                firstLine.insert(line.index, line.lineNumber);
            finalText.insert(line.index, line.text);
            if (markedSame(raw))
                markedAsSame.insert(line.index);
            if (english == QLatin1String(" ")) {
                report(line.lineNumber, QStringLiteral("STR%1 sets a text that no window shows").arg(line.index));
            } else if ((startsWithBlank(english) && !startsWithBlank(line.text)) ||
                       (endsWithBlank(english) && !endsWithBlank(line.text))) {
                // Such a blank joins the text to a name or a number; without it they run together.
                report(line.lineNumber,
                       QStringLiteral("STR%1 loses the blank the English text has at its %2; keep it "
                                      "between pilcrows")
                           .arg(line.index)
                           .arg(startsWithBlank(english) && !startsWithBlank(line.text) ? QStringLiteral("start")
                                                                                        : QStringLiteral("end")));
            }
            break;
        }
        }
    }

    QStringList missing;
    QStringList untranslated;
    for (const int i : shownIndexes()) {
        const QString english = TextCatalog::defaultText(i);
        if (!finalText.contains(i))
            missing.append(QStringLiteral("STR%1 = %2").arg(i).arg(LanguageFile::encodeText(english)));
        else if (!isEnglish && finalText.value(i) == english && !sameInEveryLanguage(english) &&
                 !markedAsSame.contains(i))
            untranslated.append(QStringLiteral("STR%1 = %2 (line %3)")
                                    .arg(i)
                                    .arg(LanguageFile::encodeText(english))
                                    .arg(firstLine.value(i)));
    }
    if (!missing.isEmpty()) {
        out << path << ": " << missing.size() << " shown texts missing (they stay in English):\n";
        for (const QString &m : missing)
            out << "  " << m << "\n";
    }
    if (!untranslated.isEmpty()) {
        out << path << ": " << untranslated.size() << " texts the same as in English:\n";
        for (const QString &u : untranslated)
            out << "  " << u << "\n";
    }
    problems += int(missing.size() + untranslated.size());
    if (problems == 0) {
        out << path << ": all " << shownIndexes().size() << " shown texts set, nothing skipped\n";
        return Ok;
    }
    return Failed;
}

} // namespace Cli
