#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringEncoder>
#include <QtTest>

#include <cerrno>

// What a test needs to hold on Windows (the build there runs every test under Wine) as well as on Linux.
//
// - Texts the program shows name files with the platform's separator: compare with Portable::native(path).
// - A test's own absolute path is a path on the machine running it: build it from a temporary folder or
//   Portable::absolute("/opt/sw"), never take a Unix text as a Windows path.
// - A failed file operation's reason is the platform's own text (strerror on Linux, the system's message on
//   Windows): Portable::notFoundReason, Portable::diskFullReason.
// - Windows has no POSIX mode bits, only a read-only flag (the C runtime reports 0666 or 0444):
//   Portable::modeAsStored, Portable::permissionsAsStored.
// - Processes: no "true" or "sleep" on Windows: Portable::deadProcess, Portable::startWaitingProcess.
// - Encodings by name: Portable::encoded; Qt's converters on Windows know no single-byte encoding but Latin-1.
// - What Windows or Wine cannot do at all: QSKIP the row with the reason (SW_SKIP_ON_WINDOWS).
namespace Portable {

#ifdef Q_OS_WIN
inline constexpr bool IsWindows = true;
#else
inline constexpr bool IsWindows = false;
#endif

inline QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// An absolute path on this platform for a Unix-style one: "/opt/sw" stays on Linux and is "C:/opt/sw" on
// Windows (where "/opt/sw" is relative to the current drive).
inline QString absolute(const QString &unixPath)
{
    return IsWindows ? QStringLiteral("C:") + unixPath : unixPath;
}

// The platform's text for a file that is not there, and for a full disk (Windows: ERROR_FILE_NOT_FOUND and
// ERROR_DISK_FULL, whose numbers Qt turns into the system's message).
inline QString notFoundReason()
{
    return IsWindows ? qt_error_string(2) : qt_error_string(ENOENT);
}
inline QString diskFullReason()
{
    return IsWindows ? qt_error_string(112) : qt_error_string(ENOSPC);
}

// The mode a file set to `mode` (chmod) reports: Windows keeps only whether the owner may write.
inline int modeAsStored(int mode)
{
    return IsWindows ? ((mode & 0200) ? 0666 : 0444) : mode;
}
inline QFile::Permissions permissionsAsStored(QFile::Permissions permissions)
{
    if (!IsWindows)
        return permissions;
    const QFile::Permissions read = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    return permissions & QFile::WriteOwner ? read | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther : read;
}

// Starts a process that runs until the test ends it (it waits on its standard input).
inline bool startWaitingProcess(QProcess &process)
{
    if (IsWindows)
        process.start(QStringLiteral("cmd.exe"), {QStringLiteral("/q"), QStringLiteral("/k")});
    else
        process.start(QStringLiteral("cat"), QStringList());
    return process.waitForStarted();
}

// The number of a process that has ended, or -1.
inline qint64 deadProcess()
{
    QProcess process;
    if (IsWindows)
        process.start(QStringLiteral("cmd.exe"), {QStringLiteral("/c"), QStringLiteral("exit")});
    else
        process.start(QStringLiteral("true"), QStringList());
    if (!process.waitForStarted())
        return -1;
    const qint64 pid = process.processId();
    process.waitForFinished();
    return pid;
}

// A leftover's name for a row: DEAD stands for the number of a process that has ended, RUNNING for that of
// `running` (started with startWaitingProcess). Empty when no process could be found to have ended.
inline QString withProcessNumbers(QString name, const QProcess &running)
{
    const qint64 dead = deadProcess();
    if (dead <= 0)
        return QString();
    name.replace(QLatin1String("DEAD"), QString::number(dead));
    return name.replace(QLatin1String("RUNNING"), QString::number(running.processId()));
}

// The Windows-1252 bytes 0x80..0x9F, where they differ from Latin-1 (0 where the code page leaves a byte
// unassigned). Kept here, apart from the program's decoder, so that a test does not check that decoder
// against itself.
inline constexpr char16_t Windows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The text stored in an encoding by name: "UTF-8", "UTF-16", "UTF-16LE", "UTF-32BE", ... (through Qt's
// converter, with the byte-order mark when asked), "ISO-8859-1" / "latin1" and "windows-1252" (here: Qt on
// Windows is built without ICU, whose converters the Linux Qt uses for names it does not know itself). A
// character the single-byte encoding lacks fails the test that asks.
inline QByteArray encoded(const QString &text, const char *encoding, bool bom = false)
{
    const QByteArray name = QByteArray(encoding).toLower();
    const bool latin1 = name == "iso-8859-1" || name == "latin1";
    if (latin1 || name == "windows-1252" || name == "cp1252") {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (const QChar c : text) {
            int byte = c.unicode() < 0x100 && (latin1 || c.unicode() < 0x80 || c.unicode() > 0x9F) ? c.unicode() : -1;
            for (int i = 0; !latin1 && byte < 0 && i < 32; ++i)
                if (Windows1252High[i] == c.unicode())
                    byte = 0x80 + i;
            if (byte < 0)
                qFatal("Portable::encoded: U+%04X is not in %s", c.unicode(), encoding);
            bytes += char(byte);
        }
        return bytes;
    }
    const auto known = QStringConverter::encodingForName(encoding);
    if (!known)
        qFatal("Portable::encoded: no converter for %s", encoding);
    QStringEncoder encoder(*known, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

} // namespace Portable

// For a row that cannot hold on Windows by its nature (POSIX modes, a Linux-only file kind): says why.
#define SW_SKIP_ON_WINDOWS(reason)                                                                                     \
    do {                                                                                                               \
        if (Portable::IsWindows)                                                                                       \
            QSKIP(reason);                                                                                             \
    } while (false)
