#pragma once

#include <QFile>
#include <QStringList>
#include <QtTest>

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

} // namespace TestFiles
