#include "Portable.h"
#include "TestFiles.h"
#include "FailingSteps.h"
#include "TestWorkspace.h"
#include "app/AppSettings.h"
#include "base/AppError.h"
#include "base/SafeFile.h"
#include "documents/DnetNetDocument.h"
#include "documents/ModbusMap.h"
#include "documents/ParGenDocument.h"
#include "update/UpdateJob.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

// A device that takes a few bytes, then stops as a full disk does: a short count with errno set
// and no error text of its own.
class FillingDevice : public QIODevice
{
public:
    explicit FillingDevice(qint64 room)
        : m_room(room)
    {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        const qint64 taken = qMin(length, m_room);
        m_room -= taken;
        if (taken == 0)
            errno = ENOSPC;
        return taken;
    }

private:
    qint64 m_room;
};

using Writer = std::function<void(const QString &path)>;

} // namespace

Q_DECLARE_METATYPE(Writer)

class TestSafeFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fullDiskGivesThePlatformsReason_data();
    void fullDiskGivesThePlatformsReason();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void leftoverTemporaryIsNeverWrittenThrough();
    void permissionBits_data();
    void permissionBits();
    void ownerAndGroupStay_data();
    void ownerAndGroupStay();
    void onlyThisProgramsLeftoversAreRemoved_data();
    void onlyThisProgramsLeftoversAreRemoved();
    void everyWriterRefusesALink_data();
    void everyWriterRefusesALink();
};

void TestSafeFile::fullDiskGivesThePlatformsReason_data()
{
    QTest::addColumn<QString>("device"); // a file to open, or empty for the filling device
    QTest::addColumn<int>("bytes");
    QTest::newRow("short writes, then nothing") << QString() << 5000;
    QTest::newRow("/dev/full, failing at the flush") << "/dev/full" << 3;
    QTest::newRow("/dev/full, failing at a write") << "/dev/full" << 100000;
}

void TestSafeFile::fullDiskGivesThePlatformsReason()
{
    QFETCH(QString, device);
    QFETCH(int, bytes);
    const QByteArray data(bytes, 'x');
    QString error;
    if (device.isEmpty()) {
        FillingDevice filling(1000);
        error = SafeFile::writeAll(filling, data);
    } else {
        QFile file(device);
        if (!file.open(QIODevice::WriteOnly))
            QSKIP("no /dev/full here");
        error = SafeFile::Steps::real().write(file, data);
    }
    // A device's errno reads as the C runtime's text; a real full disk as the system's.
    QCOMPARE(error, device.isEmpty() ? QString::fromLocal8Bit(std::strerror(ENOSPC)) : Portable::diskFullReason());
}

void TestSafeFile::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("write") << "write";
    QTest::newRow("flush to disk") << "sync";
    QTest::newRow("commit") << "commit";
}

void TestSafeFile::failedWriteKeepsTheOldFile()
{
    QFETCH(QString, step);
    TestWorkspace ws;
    const QString path = ws.path(QStringLiteral("ParGen.xml"));
    TestWorkspace::writeFile(path, "old content");
    FailingSteps steps(step, QStringLiteral("ParGen.xml"));
    try {
        SafeFile::write(path, "new", steps);
        QFAIL("the failure was not reported");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(path) && e.message().contains(QStringLiteral("injected failure")),
                 qPrintable(e.message()));
    }
    QCOMPARE(TestWorkspace::readFile(path), QByteArray("old content"));
    QCOMPARE(QDir(ws.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ParGen.xml")});
}

void TestSafeFile::leftoverTemporaryIsNeverWrittenThrough()
{
    TestWorkspace ws;
    const QString outside = ws.path(QStringLiteral("outside.txt"));
    TestWorkspace::writeFile(outside, "keep");
    const QString path = ws.path(QStringLiteral("DefReg.xml"));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, SafeFile::temporaryPath(path)));
    SafeFile::write(path, "new");
    QCOMPARE(TestWorkspace::readFile(path), QByteArray("new"));
    QCOMPARE(TestWorkspace::readFile(outside), QByteArray("keep"));
    QVERIFY(!QFileInfo(SafeFile::temporaryPath(path)).isSymLink());
}

// A replaced file keeps its mode; one its owner may not write is left as it is, whoever runs the program. On
// Windows the mode is the read-only flag, which holds the same way.
void TestSafeFile::permissionBits_data()
{
    QTest::addColumn<bool>("pair"); // the image pair, the read-only mode on its second file
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("written");
    QTest::newRow("0600 stays 0600") << false << 0600 << true;
    QTest::newRow("set-group-ID 02664 stays") << false << 02664 << true;
    QTest::newRow("sticky 01644 stays") << false << 01644 << true;
    QTest::newRow("set-user-ID 04744 stays") << false << 04744 << true;
    QTest::newRow("pair: set-group-ID 02660 stays") << true << 02660 << true;
    QTest::newRow("0640 stays 0640") << false << 0640 << true;
    QTest::newRow("0755 stays 0755") << false << 0755 << true;
    QTest::newRow("pair: 0600 stays 0600") << true << 0600 << true;
    QTest::newRow("0444 is not replaced") << false << 0444 << false;
    QTest::newRow("0400 is not replaced") << false << 0400 << false;
    QTest::newRow("0577 is not replaced") << false << 0577 << false;
    QTest::newRow("pair: 0444 is not replaced") << true << 0444 << false;
}

void TestSafeFile::permissionBits()
{
    QFETCH(bool, pair);
    QFETCH(int, mode);
    QFETCH(bool, written);
    TestWorkspace ws;
    const QString first = ws.path(QStringLiteral("bank.bin"));
    const QString path = ws.path(pair ? QStringLiteral("bank2.bin") : QStringLiteral("DefReg.xml"));
    TestWorkspace::writeFile(first, "old first");
    TestWorkspace::writeFile(path, "old");
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::chmod(name.constData(), mode_t(mode)), 0);
    QString error;
    try {
        if (pair)
            SafeFile::writePair(first, "new first", path, "new");
        else
            SafeFile::write(path, "new");
    } catch (const AppError &e) {
        error = e.message();
    }
    struct stat st;
    QCOMPARE(::stat(name.constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), Portable::modeAsStored(mode));
    if (written) {
        QCOMPARE(error, QString());
        QCOMPARE(TestWorkspace::readFile(path), QByteArray("new"));
        return;
    }
    QCOMPARE(error, QStringLiteral("Cannot write %1: it is read-only; nothing was written").arg(path));
    QCOMPARE(TestWorkspace::readFile(path), QByteArray("old"));
    QCOMPARE(TestWorkspace::readFile(first), QByteArray("old first"));
    QStringList files{QStringLiteral("bank.bin"), QFileInfo(path).fileName()};
    files.sort();
    QCOMPARE(QDir(ws.dir.path()).entryList(QDir::Files, QDir::Name), files);
}

// Root keeps a file's owner and group when it replaces it (a configuration folder shared by a group, a
// compile run by an administrator); a user keeps the group where it is one of theirs.
void TestSafeFile::ownerAndGroupStay_data()
{
    QTest::addColumn<bool>("pair");
    QTest::newRow("write") << false;
    QTest::newRow("pair") << true;
}

void TestSafeFile::ownerAndGroupStay()
{
#ifdef Q_OS_WIN
    QSKIP("Windows files have no owner and group of this kind");
#else
    QFETCH(bool, pair);
    if (::geteuid() != 0)
        QSKIP("only root may give a file to another owner");
    TestWorkspace ws;
    const QString first = ws.path(QStringLiteral("bank.bin"));
    const QString path = ws.path(pair ? QStringLiteral("bank2.bin") : QStringLiteral("DefReg.xml"));
    TestWorkspace::writeFile(first, "old first");
    TestWorkspace::writeFile(path, "old");
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(::chown(name.constData(), 4321, 8765), 0);
    QCOMPARE(::chmod(name.constData(), 02664), 0);
    if (pair)
        SafeFile::writePair(first, "new first", path, "new");
    else
        SafeFile::write(path, "new");
    QCOMPARE(TestWorkspace::readFile(path), QByteArray("new"));
    struct stat st;
    QCOMPARE(::stat(name.constData(), &st), 0);
    QCOMPARE(int(st.st_uid), 4321);
    QCOMPARE(int(st.st_gid), 8765);
    QCOMPARE(int(st.st_mode & 07777), 02664);
#endif
}

// A save removes only what this program's writers that have ended left beside the file; the user's backups
// and every other name stay.
void TestSafeFile::onlyThisProgramsLeftoversAreRemoved_data()
{
    // DEAD stands for the number of a process that has ended, RUNNING for one that runs
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::newRow("dead writer's temporary") << ".DefReg.xml.sw40917-DEAD.tmp" << true;
    QTest::newRow("dead writer's copy") << ".DefReg.xml.sw40917-DEAD.old" << true;
    QTest::newRow("running writer's temporary") << ".DefReg.xml.sw40917-RUNNING.tmp" << false;
    QTest::newRow("user's DefReg.xml.old") << "DefReg.xml.old" << false;
    QTest::newRow("user's DefReg.xml.20240101.old") << "DefReg.xml.20240101.old" << false;
    QTest::newRow("user's DefReg.xml.new") << "DefReg.xml.new" << false;
    QTest::newRow("a dead number without the mark") << "DefReg.xml.DEAD.new" << false;
    QTest::newRow("another file's temporary") << ".ParGen.xml.sw40917-DEAD.tmp" << false;
    QTest::newRow("the mark without a number") << ".DefReg.xml.sw40917-.tmp" << false;
    QTest::newRow("a number and a letter") << ".DefReg.xml.sw40917-DEADx.tmp" << false;
    QTest::newRow("more after the temporary") << ".DefReg.xml.sw40917-DEAD.tmp.keep" << false;
    QTest::newRow("longer than any process number") << ".DefReg.xml.sw40917-12345678901.tmp" << false;
}

void TestSafeFile::onlyThisProgramsLeftoversAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(bool, removed);
    QProcess running;
    QVERIFY(Portable::startWaitingProcess(running));
    name = Portable::withProcessNumbers(name, running);
    QVERIFY(!name.isEmpty());
    TestWorkspace ws;
    const QString other = ws.path(name);
    TestWorkspace::writeFile(other, "someone's");
    const QString path = ws.path(QStringLiteral("DefReg.xml"));
    ModbusMap().saveRegisters(path);
    running.kill();
    running.waitForFinished();
    QCOMPARE(QFileInfo::exists(other), !removed);
    if (!removed)
        QCOMPARE(TestWorkspace::readFile(other), QByteArray("someone's"));
    QStringList expected{QStringLiteral("DefReg.xml")};
    if (!removed)
        expected << name;
    expected.sort();
    QCOMPARE(QDir(ws.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestSafeFile::everyWriterRefusesALink_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<bool>("dangling");
    const Writer parGen = [](const QString &p) { ParGenDocument::save(ParGenDocument::missingFileValues(), p); };
    const Writer dnetNet = [](const QString &p) { DnetNetDocument::save({}, p); };
    const Writer defReg = [](const QString &p) { ModbusMap().saveRegisters(p); };
    const Writer settings = [](const QString &p) { AppSettings().write(p); };
    QTest::newRow("ParGen.xml") << "ParGen.xml" << parGen << false;
    QTest::newRow("DNET_Net.xml") << "DNET_Net.xml" << dnetNet << false;
    QTest::newRow("DefReg.xml") << "DefReg.xml" << defReg << false;
    QTest::newRow("Fabricor.xml") << "Fabricor.xml" << settings << false;
    QTest::newRow("Fabricor.xml to a missing file") << "Fabricor.xml" << settings << true;
    // The job file always lies beside the program.
    QTest::newRow("job file") << UpdateJob::JobFileName << Writer() << false;
}

void TestSafeFile::everyWriterRefusesALink()
{
    QFETCH(QString, name);
    QFETCH(Writer, writer);
    QFETCH(bool, dangling);
    TestWorkspace ws;
    QDir(ws.dir.path()).mkdir(QStringLiteral("elsewhere"));
    const QString outside = ws.path(QStringLiteral("elsewhere/target"));
    if (!dangling)
        TestWorkspace::writeFile(outside, "not yours");
    const QString path = ws.path(name);
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, path));

    try {
        if (writer)
            writer(path);
        else
            UpdateJob::writeJobFile(ws.context.paths, QStringLiteral("127.0.0.1"), UpdateJob::Configuration, false);
        QFAIL("a write through a link was not refused");
    } catch (const AppError &e) {
        QVERIFY2(e.message().contains(path) && e.message().contains(QStringLiteral("symbolic link")),
                 qPrintable(e.message()));
    }
    QVERIFY(QFileInfo(path).isSymLink());
    if (dangling)
        QVERIFY(!QFileInfo::exists(outside));
    else
        QCOMPARE(TestWorkspace::readFile(outside), QByteArray("not yours"));
    QVERIFY(!QFileInfo::exists(SafeFile::temporaryPath(path)));
}

QTEST_GUILESS_MAIN(TestSafeFile)
#include "tst_safefile.moc"
