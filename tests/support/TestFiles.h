#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtTest>

#include "Portable.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

// Reading and writing the files a test sets up.
namespace TestFiles {

inline const QStringList DocumentNames = {QStringLiteral("ParGen.xml"), QStringLiteral("DNET_Net.xml"),
                                          QStringLiteral("DefReg.xml")};

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// True when every byte was written.
inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Fails the running test when the file cannot be written.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY2(writeBytes(path, bytes), qPrintable(path));
}

// Makes a symbolic link as a user or another program may leave one; empty when it is there, else why
// not. QFile::link makes a shell shortcut on Windows, which the file system does not follow, so links
// come from CreateSymbolicLink there: Windows makes them in developer mode or with the privilege, Wine
// accepts the call and makes none.
inline QString makeSymbolicLink(const QString &target, const QString &link)
{
#ifdef Q_OS_WIN
    constexpr DWORD AllowUnprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    const QString nativeLink = QDir::toNativeSeparators(link);
    const QString nativeTarget = QDir::toNativeSeparators(target);
    ::CreateSymbolicLinkW(reinterpret_cast<const wchar_t *>(nativeLink.utf16()),
                          reinterpret_cast<const wchar_t *>(nativeTarget.utf16()),
                          AllowUnprivileged | (QFileInfo(target).isDir() ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0));
    if (QFileInfo(link).isSymLink())
        return QString();
    return QStringLiteral("this system makes no symbolic link for the test (Windows: developer mode or the "
                          "privilege is needed; Wine makes none)");
#else
    return QFile::link(target, link) ? QString() : QStringLiteral("cannot link %1 to %2").arg(link, target);
#endif
}

// Makes a named pipe (FIFO) among a folder's files; empty when it is there, else why not.
inline QString makeFifo(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return QStringLiteral("Windows keeps no named pipes among the files of a folder");
#else
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0 ? QString()
                                                                   : QStringLiteral("cannot make the FIFO ") + path;
#endif
}

// Where a system cannot make such a file for a test, the test is skipped with the reason; on Linux it
// always can, and a failure fails the test.
#ifdef Q_OS_WIN
inline constexpr bool SpecialFilesOptional = true;
#else
inline constexpr bool SpecialFilesOptional = false;
#endif

} // namespace TestFiles

// Makes the link or FIFO (the call gives the reason when it cannot), or skips or fails the test.
#define SW_MAKE_SPECIAL_FILE(call)                                                                                    \
    do {                                                                                                               \
        const QString whyNot_ = (call);                                                                                \
        if (!whyNot_.isEmpty()) {                                                                                      \
            if (TestFiles::SpecialFilesOptional)                                                                       \
                QSKIP(qPrintable(whyNot_));                                                                            \
            QFAIL(qPrintable(whyNot_));                                                                                \
        }                                                                                                              \
    } while (false)
