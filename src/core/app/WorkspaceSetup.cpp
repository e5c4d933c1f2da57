#include "WorkspaceSetup.h"

#include "app/AppSettings.h"
#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "base/SafeFile.h"
#include "base/TextEncoding.h"
#include "text/LanguageFile.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QStringEncoder>

namespace WorkspaceSetup {

namespace {

// The shipped files are small; anything bigger or deeper in the data folder is not ours.
constexpr qint64 MaxSeedFileSize = 4 * 1024 * 1024;
constexpr int MaxSeedDepth = 4;

const QString Master = QStringLiteral("MASTER");
const QString Projects = QStringLiteral("PROJECTS");
const QString Language = QStringLiteral("LANGUAGE");
const QString SettingsFile = QStringLiteral("Fabricor.xml");

// A name already taken, even by a link that leads nowhere, is the user's: never written through.
bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void copyIfMissing(const QFileInfo &source, const QString &target, QStringList &problems)
{
    if (source.isSymLink() || !source.isFile() || source.size() > MaxSeedFileSize || taken(target))
        return;
    if (!QFile::copy(source.filePath(), target)) {
        problems << QStringLiteral("Cannot copy \"%1\" to \"%2\"").arg(source.filePath(), target);
        return;
    }
    // An installed data file is often read-only; the user's copy must be editable.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

// The encoding a language file is stored in, as LanguageFile::decode reads it (a byte-order mark is
// never written again: appended text follows it).
struct StoredEncoding
{
    std::optional<QStringConverter::Encoding> unicode; // nothing: Windows-1252
};

StoredEncoding storedEncoding(const QByteArray &bytes)
{
    if (TextEncoding::bomLength(bytes, QStringConverter::Utf8) != 0)
        return {QStringConverter::Utf8};
    if (const auto encoding = TextEncoding::detectUnicode(bytes))
        return {encoding};
    if (TextEncoding::decodeStrict(bytes, QStringConverter::Utf8))
        return {QStringConverter::Utf8};
    return {std::nullopt};
}

// The text in the file's encoding, or nothing when a character has no place in it (Windows-1252).
std::optional<QByteArray> encodeAs(const StoredEncoding &stored, const QString &text)
{
    if (stored.unicode) {
        QStringEncoder encoder(*stored.unicode);
        return encoder.encode(text);
    }
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const uchar byte = c.unicode() < 256 ? uchar(c.unicode()) : 0;
        // Every character Windows-1252 has: the byte decodes back to it.
        if (c.unicode() != 0 && byte == 0) {
            bool found = false;
            for (int b = 0x80; b <= 0x9F && !found; ++b) {
                if (TextEncoding::decodeWindows1252(QByteArray(1, char(b))).at(0) == c) {
                    out.append(char(b));
                    found = true;
                }
            }
            if (!found)
                return std::nullopt;
            continue;
        }
        if (TextEncoding::decodeWindows1252(QByteArray(1, char(byte))).at(0) != c)
            return std::nullopt;
        out.append(char(byte));
    }
    return out;
}

// A shipped file: one built into the program (a resource, ":/..."), or one of the data folder, which is
// read as any file from outside.
std::optional<QByteArray> readShipped(const QString &path, QString *error)
{
    if (!path.startsWith(QLatin1String(":/")))
        return BoundedFile::read(path, error, MaxSeedFileSize);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

// Adds to the user's copy of a shipped language file the entries that the shipped file has and the copy
// lacks, as the shipped file's lines, at its end and in its encoding. The user's own lines stay as they are,
// a line the copy has for an index (even one left empty on purpose) included.
void addMissingTexts(const QFileInfo &shipped, const QString &target, QStringList &problems)
{
    const QFileInfo copy(target);
    if (shipped.isSymLink() || !shipped.isFile() || copy.isSymLink() || !copy.isFile())
        return;
    QString error;
    const std::optional<QByteArray> shippedBytes = readShipped(shipped.filePath(), &error);
    const std::optional<QByteArray> copyBytes =
        shippedBytes ? BoundedFile::read(target, &error, MaxSeedFileSize) : std::nullopt;
    if (!copyBytes) {
        problems << error;
        return;
    }
    // The usual case at a start: the copy is the shipped file as it was copied or upgraded before, and
    // has every entry already. Only a copy that differs is read line by line.
    if (*copyBytes == *shippedBytes)
        return;
    const QString copyText = LanguageFile::decode(*copyBytes);
    // A copy that is no text (the user replaced it with something else) is not the program's to change.
    if (!LanguageFile::isText(copyText))
        return;
    QSet<int> has;
    for (const LanguageFile::Line &line : LanguageFile::parse(*copyBytes, TextCatalog::Size)) {
        if (line.index >= 0 && line.kind != LanguageFile::LineKind::BadIndex)
            has.insert(line.index);
    }
    const QString shippedText = LanguageFile::decode(*shippedBytes);
    const QStringList shippedLines = LanguageFile::splitLines(shippedText);
    // The last line of an index is the one the program reads: that line is the one added.
    QStringList added;
    QHash<int, int> position; // index -> its place in added
    for (int i = 0; i < shippedLines.size(); ++i) {
        const LanguageFile::Line line = LanguageFile::parseLine(shippedLines.at(i), i + 1, TextCatalog::Size);
        if (line.kind != LanguageFile::LineKind::Entry || has.contains(line.index))
            continue;
        const QString text = shippedLines.at(i).trimmed();
        if (const auto at = position.constFind(line.index); at != position.cend()) {
            added[*at] = text;
        } else {
            position.insert(line.index, int(added.size()));
            added << text;
        }
    }
    if (added.isEmpty())
        return;
    const StoredEncoding stored = storedEncoding(*copyBytes);
    // Text appended to a copy that is not whole in its encoding (a UTF-16 file cut in a character) would be
    // read shifted: such a copy stays as it is.
    if (stored.unicode && !TextEncoding::decodeStrict(*copyBytes, *stored.unicode))
        return;
    const QString newline = copyText.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QByteArray bytes = *copyBytes;
    QString lines;
    for (const QString &line : std::as_const(added)) {
        // A line whose letters the file's encoding cannot hold stays out: the entry stays English.
        if (encodeAs(stored, line + newline))
            lines += line + newline;
    }
    if (lines.isEmpty())
        return;
    const bool open =
        !copyText.isEmpty() && !copyText.endsWith(QLatin1Char('\n')) && !copyText.endsWith(QLatin1Char('\r'));
    const std::optional<QByteArray> encodedTail = encodeAs(stored, (open ? newline : QString()) + lines);
    if (!encodedTail)
        return;
    bytes += *encodedTail;
    try {
        SafeFile::write(target, bytes);
    } catch (const AppError &e) {
        problems << e.message();
    }
}

bool makeFolder(const QString &path, QStringList &problems)
{
    // A folder the user linked elsewhere (PROJECTS on a shared drive) is the user's choice: used as it is.
    if (QFileInfo(path).isDir())
        return true;
    if (taken(path) || !QDir().mkpath(path)) {
        problems << QStringLiteral("Cannot create the folder \"%1\"").arg(path);
        return false;
    }
    return true;
}

void copyFolder(const QString &source, const QString &target, QStringList &problems)
{
    if (!makeFolder(target, problems))
        return;
    const QDir sourceDir(source);
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        const QString relative = sourceDir.relativeFilePath(entry.filePath());
        if (entry.isSymLink() || relative.count(QLatin1Char('/')) >= MaxSeedDepth)
            continue;
        const QString to = QDir(target).filePath(relative);
        if (entry.isDir())
            makeFolder(to, problems);
        else
            copyIfMissing(entry, to, problems);
    }
}

} // namespace

bool isPortable(const QString &programFolder)
{
    const QDir dir(programFolder);
    return QFileInfo(dir.filePath(Projects)).isDir() || QFileInfo(dir.filePath(Language)).isDir();
}

QString userWorkspaceFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString findDataFolder(const QStringList &candidates)
{
    for (const QString &folder : candidates) {
        if (!folder.isEmpty() && QFileInfo(QDir(folder).filePath(Language)).isDir())
            return QDir::cleanPath(folder);
    }
    return QString();
}

QStringList prepare(WorkspacePaths &paths, const QString &programFolder, const QString &userFolder,
                    const QString &dataFolder, const QString &shippedLanguages)
{
    if (isPortable(programFolder) || userFolder.isEmpty()) {
        paths.setProgramFolder(programFolder);
        // A portable copy is its own data folder: its language files gain the texts from those the
        // program was built with.
        if (shippedLanguages.isEmpty())
            return {};
        return upgradeLanguageFiles(QDir(programFolder).filePath(Language), shippedLanguages);
    }
    paths.setWorkspace(programFolder, userFolder);
    return seed(userFolder, dataFolder);
}

QStringList upgradeLanguageFiles(const QString &languageFolder, const QString &shippedLanguages)
{
    QStringList problems;
    const QFileInfo folder(languageFolder);
    if (!folder.isDir() || QFileInfo(shippedLanguages).canonicalFilePath() == folder.canonicalFilePath())
        return problems;
    // The names are compared here rather than through a name filter, which would build a regular
    // expression at every start; a name filter ignores case, and so does this.
    const QFileInfoList shipped = QDir(shippedLanguages).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &file : shipped) {
        if (!file.fileName().endsWith(QLatin1String(".lng"), Qt::CaseInsensitive))
            continue;
        const QString target = QDir(languageFolder).filePath(file.fileName());
        if (taken(target))
            addMissingTexts(file, target, problems);
    }
    return problems;
}

QStringList seed(const QString &workspace, const QString &dataFolder)
{
    QStringList problems;
    const QDir dir(workspace);
    if (!makeFolder(workspace, problems))
        return problems;
    const bool newProjects = !taken(dir.filePath(Projects));
    for (const QString &name : {Master, Projects, Language})
        makeFolder(dir.filePath(name), problems);

    const QString settingsPath = dir.filePath(SettingsFile);
    if (!taken(settingsPath)) {
        try {
            AppSettings().write(settingsPath);
        } catch (const AppError &e) {
            problems << e.message();
        }
    }
    if (dataFolder.isEmpty())
        return problems;

    const QDir data(dataFolder);
    for (const QFileInfo &file : QDir(data.filePath(Language)).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const QString target = QDir(dir.filePath(Language)).filePath(file.fileName());
        if (!taken(target))
            copyIfMissing(file, target, problems);
    }
    problems << upgradeLanguageFiles(dir.filePath(Language), data.filePath(Language));

    if (newProjects) {
        const QDir examples(data.filePath(ExamplesFolder));
        for (const QFileInfo &example : examples.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            if (!example.isSymLink())
                copyFolder(example.filePath(), QDir(dir.filePath(Projects)).filePath(example.fileName()), problems);
        }
    }
    return problems;
}

} // namespace WorkspaceSetup
