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

QStringList binFiles(const Project &project)
{
    return QDir(project.paths.binFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
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
    void leftoversOfARunningWriterStay();
    void aSecondCompileWaitsThenStops();
    void aStaleLockIsTakenOver();
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
    // Other documents: both new images differ from the old ones.
    project.useDocumentsOf(QStringLiteral("example"));
    const DeviceImages images = BuildDeviceImages(project.paths);
    QVERIFY(images.bank != oldBank && images.bank2 != oldBank2);

    FailingSteps steps(step, file);
    try {
        WriteImageFiles(project.paths, images, steps);
        QFAIL("the failure was not reported");
    } catch (const AppError &error) {
        QVERIFY2(error.message().contains(joinPath(binFolder, named) + QLatin1Char(':')), qPrintable(error.message()));
    }
    for (const QString &name : {QStringLiteral("bank.bin"), QStringLiteral("bank2.bin")}) {
        const QString path = joinPath(binFolder, name);
        if (name == blocked)
            QVERIFY(QFileInfo(path).isDir());
        else
            QCOMPARE(readFile(path), name == QLatin1String("bank.bin") ? oldBank : oldBank2);
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
    writeFile(project.bankPath() + QStringLiteral(".old"), "old");
    CompileDeviceImages(project.paths);
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
    QCOMPARE(QFileInfo(project.bankPath()).size(), qint64(16));
    QCOMPARE(readFile(outside), QByteArray("keep"));
}

// Another process's temporary files are its own while it runs; a writer that has ended left them behind.
void TestImageFiles::leftoversOfARunningWriterStay()
{
    Project project;
    const qint64 dead = Portable::deadProcess();
    QVERIFY(dead > 0);
    QProcess writer;
    QVERIFY(Portable::startWaitingProcess(writer));
    const QString runningName = QStringLiteral("bank.bin.%1.new").arg(writer.processId());
    const QString bin = project.paths.binFolder();
    const QString running = bin + QLatin1Char('/') + runningName;
    const QStringList ended{QStringLiteral("bank.bin.%1.new").arg(dead), QStringLiteral("bank2.bin.%1.new").arg(dead),
                            QStringLiteral("bank.bin.%1.old").arg(dead), QStringLiteral("bank2.bin.new"),
                            QStringLiteral("bank.bin.old")};
    writeFile(running, "its own");
    for (const QString &name : ended)
        writeFile(bin + QLatin1Char('/') + name, "left behind");
    writeFile(bin + QStringLiteral("/bank.bin.notes"), "the user's");
    CompileDeviceImages(project.paths);
    QStringList expected{"bank.bin", runningName, "bank.bin.notes", "bank2.bin"};
    expected.sort();
    QCOMPARE(binFiles(project), expected);
    QCOMPARE(readFile(running), QByteArray("its own"));
    writer.kill();
    writer.waitForFinished();
}

// One compile at a time: a second one waits for the lock, then stops without touching the pair.
void TestImageFiles::aSecondCompileWaitsThenStops()
{
    Project project;
    CompileDeviceImages(project.paths);
    const QByteArray bank = readFile(project.bankPath());
    const QByteArray bank2 = readFile(project.bank2Path());
    project.useDocumentsOf(QStringLiteral("example"));
    {
        const ConfigurationLock running(project.paths.ProjectFolder, ConfigurationLock::Compile);
        try {
            CompileDeviceImages(project.paths, 50);
            QFAIL("the second compile did not stop");
        } catch (const AppError &e) {
            QCOMPARE(e.message(),
                     project.paths.ProjectFolder + QStringLiteral(": another compile of this configuration "
                                                                  "is running"));
        }
        QCOMPARE(readFile(project.bankPath()), bank);
        QCOMPARE(readFile(project.bank2Path()), bank2);
    }
    CompileDeviceImages(project.paths, 50);
    QVERIFY(readFile(project.bank2Path()) != bank2);
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
}

// A compile that was killed leaves its lock file; the next compile takes it over at once.
void TestImageFiles::aStaleLockIsTakenOver()
{
    Project project;
    const qint64 dead = Portable::deadProcess();
    QVERIFY(dead > 0);
    const QString lock = project.paths.binFolder() + QLatin1Char('/') + ConfigurationLock::fileName();
    writeFile(lock, QByteArray::number(dead) + "\nSW40917-cli\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    CompileDeviceImages(project.paths, 0);
    QCOMPARE(binFiles(project), (QStringList{"bank.bin", "bank2.bin"}));
}

QTEST_GUILESS_MAIN(TestImageFiles)
#include "tst_image_files.moc"
