#include "TestFiles.h"
#include "Portable.h"
#include "CompileProject.h"
#include "FailingSteps.h"
#include "base/AppError.h"
#include "base/ConfigurationLock.h"
#include "base/SafeFile.h"
#include "base/WorkspacePaths.h"
#include "image/CompileDriver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

// How the compile stores the two images: as a pair, never through a link, nothing left behind.
namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

// A configuration folder with its bin folder and the documents of a golden case.
struct Project : CompileProject
{
    void useDocumentsOf(const QString &goldenCase)
    {
        copyDocumentsFrom(QStringLiteral(SW_TEST_DATA "/compile/") + goldenCase);
    }
};

// What bin holds besides the lock file, which stays there between writers (empty while nobody holds it).
QStringList binFiles(const Project &project)
{
    QStringList files = QDir(project.paths.binFolder())
                            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    files.removeOne(ConfigurationLock::fileName());
    return files;
}

QString lockPath(const Project &project)
{
    return joinPath(project.paths.binFolder(), ConfigurationLock::fileName());
}

QString heldMessage(const Project &project)
{
    return project.paths.ProjectFolder +
           QStringLiteral(": another compile of this configuration is running (process %1, %2); nothing was written")
               .arg(QCoreApplication::applicationPid())
               .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
}

// The error text of a compile that should fail, or "written" when it wrote.
QString compileOutcome(const Project &project, int lockWaitMs)
{
    try {
        CompileDeviceImages(project.paths, {}, lockWaitMs);
        return QStringLiteral("written");
    } catch (const AppError &e) {
        return e.message();
    }
}

} // namespace

class TestImageFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void failedWriteKeepsBothOldImages_data();
    void failedWriteKeepsBothOldImages();
    void linksAreNeverWrittenThrough_data();
    void linksAreNeverWrittenThrough();
    void leftoversOfAnInterruptedCompileAreRemoved();
    void onlyDeadWritersFilesAreRemoved_data();
    void onlyDeadWritersFilesAreRemoved();
    void aSecondCompileWaitsThenStops();
    void aLiveHolderIsNeverOverridden();
    void aWaiterGoesAheadWhenTheHolderLetsGo();
    void aLockNobodyHoldsNeverBlocks_data();
    void aLockNobodyHoldsNeverBlocks();
    void whatCannotBeLockedIsNamed_data();
    void whatCannotBeLockedIsNamed();
};

void TestImageFiles::failedWriteKeepsBothOldImages_data()
{
    QTest::addColumn<QString>("blocked"); // an image with a folder in its place
    QTest::addColumn<QString>("step");    // or a step that fails for one image
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("named"); // the file the error names

    QTest::newRow("bank.bin blocked") << "bank.bin" << QString() << QString() << "bank.bin";
    QTest::newRow("bank2.bin blocked") << "bank2.bin" << QString() << QString() << "bank2.bin";
    QTest::newRow("writing bank.bin fails") << QString() << "write"
                                            << "bank.bin"
                                            << "bank.bin";
    QTest::newRow("writing bank2.bin fails") << QString() << "write"
                                             << "bank2.bin"
                                             << "bank2.bin";
    QTest::newRow("flushing bank.bin to disk fails") << QString() << "sync"
                                                     << "bank.bin"
                                                     << "bank.bin";
    QTest::newRow("flushing bank2.bin to disk fails") << QString() << "sync"
                                                      << "bank2.bin"
                                                      << "bank2.bin";
    QTest::newRow("commit of bank.bin fails") << QString() << "commit"
                                              << "bank.bin"
                                              << "bank.bin";
    QTest::newRow("commit of bank2.bin fails") << QString() << "commit"
                                               << "bank2.bin"
                                               << "bank2.bin";
}

void TestImageFiles::failedWriteKeepsBothOldImages()
{
    QFETCH(QString, blocked);
    QFETCH(QString, step);
    QFETCH(QString, file);
    QFETCH(QString, named);
    Project project;
    project.useDocumentsOf(QStringLiteral("rows"));
    CompileDeviceImages(project.paths);
    const QString binFolder = project.paths.binFolder();
    if (!blocked.isEmpty()) {
        QVERIFY(QFile::remove(joinPath(binFolder, blocked)));
        QVERIFY(QDir(binFolder).mkdir(blocked));
    }
    const QByteArray oldBank = readFile(project.bankPath());
    const QByteArray oldBank2 = readFile(project.bank2Path());
#ifndef Q_OS_WIN
    // A file put back keeps its mode as well as its bytes.
    const QHash<QString, int> oldModes{{QStringLiteral("bank.bin"), 0600}, {QStringLiteral("bank2.bin"), 0640}};
    for (auto it = oldModes.cbegin(); it != oldModes.cend(); ++it) {
        if (it.key() != blocked)
            QCOMPARE(::chmod(QFile::encodeName(joinPath(binFolder, it.key())).constData(), mode_t(it.value())), 0);
    }
#endif
    // Other documents: both new images differ from the old ones.
    project.useDocumentsOf(QStringLiteral("example"));
    const DeviceImages images = BuildDeviceImages(project.paths);
    QVERIFY(images.bank != oldBank && images.bank2 != oldBank2);

    FailingSteps steps(step, file);
    try {
        CompileDeviceImages(project.paths, {}, ConfigurationLock::DefaultWaitMs, steps);
        QFAIL("the failure was not reported");
    } catch (const AppError &error) {
        QVERIFY2(error.message().contains(joinPath(binFolder, named) + QLatin1Char(':')), qPrintable(error.message()));
    }
    for (const QString &name : {QStringLiteral("bank.bin"), QStringLiteral("bank2.bin")}) {
        const QString path = joinPath(binFolder, name);
        if (name == blocked) {
            QVERIFY(QFileInfo(path).isDir());
            continue;
        }
        QCOMPARE(readFile(path), name == QLatin1String("bank.bin") ? oldBank : oldBank2);
#ifndef Q_OS_WIN
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 07777), oldModes.value(name));
#endif
    }
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
}

void TestImageFiles::linksAreNeverWrittenThrough_data()
{
    QTest::addColumn<QString>("link"); // inside the configuration folder
    QTest::newRow("bank.bin") << "bin/bank.bin";
    QTest::newRow("bank2.bin") << "bin/bank2.bin";
    QTest::newRow("bin folder") << "bin";
}

void TestImageFiles::linksAreNeverWrittenThrough()
{
    QFETCH(QString, link);
    Project project;
    project.useDocumentsOf(QStringLiteral("rows"));
    const QString outside = project.dir.filePath(QStringLiteral("outside"));
    const bool folder = link == QLatin1String("bin");
    if (folder) {
        QVERIFY(QDir(project.paths.binFolder()).removeRecursively());
        QVERIFY(QDir().mkpath(outside));
    } else {
        writeFile(outside, "not an image");
    }
    const QString linkPath = QDir(project.paths.ProjectFolder).filePath(link);
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, linkPath));

    try {
        CompileDeviceImages(project.paths);
        QFAIL("a link was written through");
    } catch (const AppError &error) {
        QVERIFY2(error.message().contains(QDir::toNativeSeparators(linkPath)), qPrintable(error.message()));
    }
    QVERIFY(QFileInfo(linkPath).isSymLink());
    if (folder) {
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    } else {
        QCOMPARE(readFile(outside), QByteArray("not an image"));
        // Nothing written: neither image, nor any temporary file.
        QCOMPARE(binFiles(project), QStringList{QFileInfo(linkPath).fileName()});
    }
}

void TestImageFiles::leftoversOfAnInterruptedCompileAreRemoved()
{
    Project project;
    const QString outside = project.dir.filePath(QStringLiteral("outside"));
    writeFile(outside, "keep");
    // What a compile killed at any moment can leave: the temporary files and the copy of the old
    // bank.bin (one a link, to show it is removed rather than written through).
    writeFile(SafeFile::temporaryPath(project.bankPath()), "half");
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, SafeFile::temporaryPath(project.bank2Path())));
    writeFile(joinPath(project.paths.binFolder(),
                       QStringLiteral(".bank.bin.sw40917-%1.old").arg(QCoreApplication::applicationPid())),
              "old");
    CompileDeviceImages(project.paths);
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
    QCOMPARE(QFileInfo(project.bankPath()).size(), qint64(16));
    QCOMPARE(readFile(outside), QByteArray("keep"));
}

// Of the files beside the images, a compile removes only the temporary files and copies of writers that
// have ended; a running writer's stay, and so does every file the program does not name so (the user's
// backups, notes, and the files of older versions of the program, which may be the user's too).
void TestImageFiles::onlyDeadWritersFilesAreRemoved_data()
{
    // DEAD stands for the number of a process that has ended, RUNNING for one that runs
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::newRow("dead writer's temporary bank.bin") << ".bank.bin.sw40917-DEAD.tmp" << true;
    QTest::newRow("dead writer's temporary bank2.bin") << ".bank2.bin.sw40917-DEAD.tmp" << true;
    QTest::newRow("dead writer's copy of bank.bin") << ".bank.bin.sw40917-DEAD.old" << true;
    QTest::newRow("running writer's temporary") << ".bank.bin.sw40917-RUNNING.tmp" << false;
    QTest::newRow("running writer's copy") << ".bank.bin.sw40917-RUNNING.old" << false;
    QTest::newRow("user's bank.bin.old") << "bank.bin.old" << false;
    QTest::newRow("user's dated backup") << "bank.bin.20240101.old" << false;
    QTest::newRow("user's bank2.bin.new") << "bank2.bin.new" << false;
    QTest::newRow("name with a dead number") << "bank.bin.DEAD.old" << false;
    QTest::newRow("user's notes") << "bank.bin.notes" << false;
    QTest::newRow("more after the ending") << ".bank.bin.sw40917-DEAD.tmp.keep" << false;
    QTest::newRow("another program's mark") << ".bank.bin.other-DEAD.tmp" << false;
}

void TestImageFiles::onlyDeadWritersFilesAreRemoved()
{
    QFETCH(QString, name);
    QFETCH(bool, removed);
    Project project;
    QProcess running;
    QVERIFY(Portable::startWaitingProcess(running));
    name = Portable::withProcessNumbers(name, running);
    QVERIFY(!name.isEmpty());
    const QString file = joinPath(project.paths.binFolder(), name);
    writeFile(file, "someone's");
    CompileDeviceImages(project.paths);
    running.kill();
    running.waitForFinished();
    QCOMPARE(QFileInfo::exists(file), !removed);
    QStringList expected{"bank.bin", "bank2.bin"};
    if (!removed)
        expected << name;
    expected.sort();
    QStringList files = binFiles(project);
    files.sort();
    QCOMPARE(files, expected);
}

// One compile at a time: a second one waits for the lock, then stops without touching the pair, naming the
// process that holds it.
void TestImageFiles::aSecondCompileWaitsThenStops()
{
    Project project;
    CompileDeviceImages(project.paths);
    const QByteArray bank = readFile(project.bankPath());
    const QByteArray bank2 = readFile(project.bank2Path());
    project.useDocumentsOf(QStringLiteral("example"));
    {
        const ConfigurationLock running(project.paths.ProjectFolder, ConfigurationLock::Compile);
        QCOMPARE(compileOutcome(project, 50), heldMessage(project));
        QCOMPARE(readFile(project.bankPath()), bank);
        QCOMPARE(readFile(project.bank2Path()), bank2);
    }
    QCOMPARE(compileOutcome(project, 50), QStringLiteral("written"));
    QVERIFY(readFile(project.bank2Path()) != bank2);
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
    // Nobody holds it now: its text names no one.
    QCOMPARE(readFile(lockPath(project)), QByteArray());
}

// A writer that is still running keeps its lock however long it has held it (a long compile on a slow disk),
// whatever its file says.
void TestImageFiles::aLiveHolderIsNeverOverridden()
{
    Project project;
    const qint64 dead = Portable::deadProcess();
    QVERIFY(dead > 0);
    const ConfigurationLock running(project.paths.ProjectFolder, ConfigurationLock::Compile);
    QFile lock(lockPath(project));
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)), QFileDevice::FileModificationTime));
    lock.close();
    QCOMPARE(compileOutcome(project, 200), heldMessage(project));
    // Even with text that names a process that has ended, or none.
    for (const QByteArray &text : {QByteArray::number(dead) + "\nSW40917-cli\n", QByteArray()}) {
        writeFile(lockPath(project), text);
        QVERIFY(compileOutcome(project, 0).contains(QLatin1String("another compile of this configuration is running")));
    }
    QCOMPARE(binFiles(project), QStringList{});
}

// A second writer waits, and goes ahead as soon as the first lets go within the wait.
void TestImageFiles::aWaiterGoesAheadWhenTheHolderLetsGo()
{
    Project project;
    auto running = std::make_unique<ConfigurationLock>(project.paths.ProjectFolder, ConfigurationLock::Compile);
    std::thread holder([&running] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        running.reset();
    });
    const QString outcome = compileOutcome(project, ConfigurationLock::DefaultWaitMs);
    holder.join();
    QCOMPARE(outcome, QStringLiteral("written"));
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
}

// The lock lives as long as its process; what its file holds never blocks a writer: a file left empty by a
// crash between making and writing it, garbled text, another host's writer, a process number that now
// belongs to another running program (process 1), or an empty folder in the file's place.
void TestImageFiles::aLockNobodyHoldsNeverBlocks_data()
{
    QTest::addColumn<QByteArray>("text"); // DEAD stands for the number of a process that has ended
    QTest::addColumn<bool>("folder");
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("garbled") << QByteArray("\x01\xff\xfe not a lock\n\n") << false;
    QTest::newRow("dead writer on this host") << QByteArray("DEAD\nSW40917-cli\nHOST\n") << false;
    QTest::newRow("another host's") << QByteArray("1\nSW40917-cli\nsomewhere-else\n") << false;
    QTest::newRow("number reused by a running program") << QByteArray("1\nSW40917\nHOST\n") << false;
    QTest::newRow("empty folder in its place") << QByteArray() << true;
}

void TestImageFiles::aLockNobodyHoldsNeverBlocks()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, folder);
    Project project;
    const qint64 dead = Portable::deadProcess();
    QVERIFY(dead > 0);
    if (folder) {
        QVERIFY(QDir(project.paths.binFolder()).mkdir(ConfigurationLock::fileName()));
    } else {
        text.replace("DEAD", QByteArray::number(dead)).replace("HOST", QSysInfo::machineHostName().toUtf8());
        writeFile(lockPath(project), text);
    }
    QCOMPARE(compileOutcome(project, 0), QStringLiteral("written"));
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
    QVERIFY(QFileInfo(lockPath(project)).isFile());
}

// Something the program cannot lock is named for what it is, never reported as another writer at work: a
// symbolic link in the lock file's place (to a file, to nothing, to a folder) is refused as a link and never
// followed, a folder with contents is left as it is.
void TestImageFiles::whatCannotBeLockedIsNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to a file") << "file";
    QTest::newRow("link to nothing") << "nothing";
    QTest::newRow("link to a folder") << "folder";
    QTest::newRow("folder with contents") << "contents";
}

void TestImageFiles::whatCannotBeLockedIsNamed()
{
    QFETCH(QString, kind);
    Project project;
    const QString lock = lockPath(project);
    const QString outside = project.dir.filePath(QStringLiteral("outside"));
    if (kind == QLatin1String("file"))
        writeFile(outside, "not a lock");
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(outside));
    if (kind == QLatin1String("contents")) {
        QVERIFY(QDir().mkpath(lock));
        writeFile(lock + QStringLiteral("/notes.txt"), "mine");
    } else {
        SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, lock));
    }
    const QString expected =
        kind == QLatin1String("contents")
            ? QStringLiteral("Cannot lock %1: a folder is in its place").arg(QDir::toNativeSeparators(lock))
            : QStringLiteral("Cannot write %1: it is a symbolic link; nothing was written").arg(lock);
    QCOMPARE(compileOutcome(project, 0), expected);
    QCOMPARE(binFiles(project), QStringList{});
    if (kind == QLatin1String("contents")) {
        QCOMPARE(readFile(lock + QStringLiteral("/notes.txt")), QByteArray("mine"));
        return;
    }
    QVERIFY(QFileInfo(lock).isSymLink());
    if (kind == QLatin1String("file"))
        QCOMPARE(readFile(outside), QByteArray("not a lock"));
    else if (kind == QLatin1String("nothing"))
        QVERIFY(!QFileInfo::exists(outside));
    else
        QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{});
}

QTEST_GUILESS_MAIN(TestImageFiles)
#include "tst_image_files.moc"
