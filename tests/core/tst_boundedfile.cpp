// Every reader of outside files goes through BoundedFile: regular files of bounded size only, everything
// else a message naming the file and the reason, without waiting on a FIFO or reading a device for ever.
#include "TestFiles.h"
#include "app/AppSettings.h"
#include "base/AppError.h"
#include "base/BoundedFile.h"
#include "documents/DnetNetDocument.h"
#include "documents/ModbusMap.h"
#include "documents/ParGenDocument.h"
#include "documents/ProjectDocument.h"
#include "documents/XmlTree.h"
#include "text/TextCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

// Makes `path` the kind of file a row names: "regular", "link" (to a regular file), "missing", "folder",
// "fifo", "zero" (a link to /dev/zero), "sparse" (one byte over 64 MiB, without using the disk).
// Empty when made, else why not.
QString make(const QString &kind, const QString &path, const QByteArray &content)
{
    const auto write = [](const QString &p, const QByteArray &bytes) {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    const QString failed = QStringLiteral("cannot make the %1 %2").arg(kind, path);
    if (kind == QLatin1String("regular"))
        return write(path, content) ? QString() : failed;
    if (kind == QLatin1String("link")) {
        if (!write(path + QStringLiteral(".target"), content))
            return failed;
        return TestFiles::makeSymbolicLink(path + QStringLiteral(".target"), path);
    }
    if (kind == QLatin1String("missing"))
        return QString();
    if (kind == QLatin1String("folder"))
        return QDir().mkdir(path) ? QString() : failed;
    if (kind == QLatin1String("fifo"))
        return TestFiles::makeFifo(path);
    if (kind == QLatin1String("zero"))
        return TestFiles::makeSymbolicLink(QStringLiteral("/dev/zero"), path);
    if (kind == QLatin1String("sparse")) {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.resize(BoundedFile::MaxBytes + 1) ? QString() : failed;
    }
    return failed;
}

} // namespace

class TestBoundedFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void read_data();
    void read();
    void sizeBound_data();
    void sizeBound();
    void documentReadersRefuse_data();
    void documentReadersRefuse();
    void settingsAndLanguageFallBack_data();
    void settingsAndLanguageFallBack();
};

void TestBoundedFile::read_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("error"); // empty: the content is read
    QTest::newRow("regular file") << "regular" << QString();
    QTest::newRow("link to a regular file") << "link" << QString();
    QTest::newRow("missing") << "missing" << Portable::notFoundReason();
    QTest::newRow("folder") << "folder"
                            << "it is not a regular file";
    QTest::newRow("FIFO") << "fifo"
                          << "it is not a regular file";
    QTest::newRow("link to /dev/zero") << "zero"
                                       << "it is not a regular file";
    QTest::newRow("over 64 MiB") << "sparse"
                                 << "it is larger than 64 MiB";
}

void TestBoundedFile::read()
{
    QFETCH(QString, kind);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.xml"));
    const QByteArray content("<R>\0\xff</R>", 9);
    SW_MAKE_SPECIAL_FILE(make(kind, path, content));
    QString message;
    const std::optional<QByteArray> bytes = BoundedFile::read(path, &message);
    if (error.isEmpty()) {
        QVERIFY2(bytes, qPrintable(message));
        QCOMPARE(*bytes, content);
        return;
    }
    QVERIFY(!bytes);
    QCOMPARE(message, QStringLiteral("Cannot read %1: %2").arg(path, error));
    QVERIFY_THROWS_EXCEPTION(AppError, BoundedFile::readOrThrow(path));
}

void TestBoundedFile::sizeBound_data()
{
    QTest::addColumn<QString>("kind"); // "regular": a file of `size` bytes; "status": a link to /proc/self/status
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("read");
    QTest::newRow("empty") << "regular" << 0 << true;
    QTest::newRow("at the bound") << "regular" << 100 << true;
    QTest::newRow("one byte over") << "regular" << 101 << false;
    // Its size reads as 0, and it holds far more than 100 bytes: read past the size the file system
    // gave, it must be refused, not cut at the bound. A file that grows while it is read looks the same.
    QTest::newRow("size 0, longer when read") << "status" << 0 << false;
}

void TestBoundedFile::sizeBound()
{
    QFETCH(QString, kind);
    QFETCH(int, size);
    QFETCH(bool, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    if (kind == QLatin1String("status")) {
        const QFileInfo status(QStringLiteral("/proc/self/status"));
        if (!status.exists() || status.size() != 0)
            QSKIP("no /proc here");
        SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(status.filePath(), path));
    } else {
        SW_MAKE_SPECIAL_FILE(make(kind, path, QByteArray(size, 'x')));
    }
    QString message;
    const std::optional<QByteArray> bytes = BoundedFile::read(path, &message, 100);
    QCOMPARE(bool(bytes), read);
    if (read)
        QCOMPARE(bytes->size(), size);
    else
        QCOMPARE(message, QStringLiteral("Cannot read %1: it is larger than 100 bytes").arg(path));
}

// The editors' readers, the register map and the compiler's tree all stop with the message.
void TestBoundedFile::documentReadersRefuse_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo"
                          << "it is not a regular file";
    QTest::newRow("link to /dev/zero") << "zero"
                                       << "it is not a regular file";
    QTest::newRow("folder") << "folder"
                            << "it is not a regular file";
    QTest::newRow("over 64 MiB") << "sparse"
                                 << "it is larger than 64 MiB";
}

void TestBoundedFile::documentReadersRefuse()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("DNET_Net.xml"));
    SW_MAKE_SPECIAL_FILE(make(kind, path, QByteArray()));
    const QList<std::pair<const char *, std::function<void()>>> readers = {
        {"ProjectDocument::load", [&] { ProjectDocument::load(path); }},
        {"XmlTree::load", [&] { XmlTree::load(path); }},
        {"ParGenDocument::load", [&] { ParGenDocument::load(path); }},
        {"DnetNetDocument::load", [&] { DnetNetDocument::load(path); }},
        {"ModbusMap::loadSlaves", [&] { ModbusMap().loadSlaves(path); }},
    };
    for (const auto &[name, readIt] : readers) {
        try {
            readIt();
            QFAIL(qPrintable(QStringLiteral("%1 read it").arg(QLatin1String(name))));
        } catch (const AppError &e) {
            QCOMPARE(e.message(), QStringLiteral("Cannot read %1: %2").arg(path, reason));
        }
    }
}

// Start-up must complete: an unreadable Fabricor.xml or language file counts as a missing one.
void TestBoundedFile::settingsAndLanguageFallBack_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to /dev/zero") << "zero";
    QTest::newRow("over 64 MiB") << "sparse";
}

void TestBoundedFile::settingsAndLanguageFallBack()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString settingsPath = dir.filePath(QStringLiteral("Fabricor.xml"));
    SW_MAKE_SPECIAL_FILE(make(kind, settingsPath, QByteArray()));
    const AppSettings settings = AppSettings::read(settingsPath);
    QCOMPARE(settings.language, AppSettings().language);

    const QString languagePath = dir.filePath(QStringLiteral("Deutsch.lng"));
    SW_MAKE_SPECIAL_FILE(make(kind, languagePath, QByteArray()));
    TextCatalog catalog;
    catalog.LoadDefaultTexts();
    catalog.LoadLanguageFile(languagePath);
    QCOMPARE(catalog.text(15), TextCatalog::defaultText(15));
}

QTEST_GUILESS_MAIN(TestBoundedFile)
#include "tst_boundedfile.moc"
