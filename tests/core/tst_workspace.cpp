#include "TestFiles.h"
#include "app/AppContext.h"
#include "app/WorkspaceSetup.h"
#include "update/UpdateJob.h"

#include <QStringEncoder>
#include <QtTest>

// Where a run keeps its workspace: beside a portable copy of the program, else in the user's
// application-data folder, filled from the installed data folder without replacing the user's files.
class TestWorkspaceSetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void portableWhenTheProgramFolderHoldsAWorkspace_data();
    void portableWhenTheProgramFolderHoldsAWorkspace();
    void installedProgramMakesAndSeedsTheUserFolder();
    void userFilesAreNeverReplaced();
    void linksInTheWorkspaceAreNotWrittenThrough_data();
    void linksInTheWorkspaceAreNotWrittenThrough();
    void linkedProjectsFolderIsUsedAsItIs();
    void languageFilesGainTheShippedTexts_data();
    void languageFilesGainTheShippedTexts();
    void portableCopyIsNeverUpgradedThroughALink();
    void onlyShippedLanguageFilesAreMerged();
    void onlyRegularBoundedDataFilesAreCopied();
    void dataFolderIsTheFirstWithLanguages();
    void settingsAndJobFileLiveInTheWorkspace();
    void updaterInTheWorkspaceThenBesideTheProgram_data();
    void updaterInTheWorkspaceThenBesideTheProgram();

private:
    // The start of a program installed (its user folder filled from the data folder) or portable (its own
    // folder a workspace, with data() standing for the language files built into the program).
    QStringList prepareLayout(WorkspacePaths &paths, bool portable) const
    {
        if (!portable)
            return WorkspaceSetup::prepare(paths, program(), user(), data());
        return WorkspaceSetup::prepare(paths, program(), user(), program(), data() + QStringLiteral("/LANGUAGE"));
    }
    static void write(const QString &path, const QByteArray &bytes);
    static QByteArray read(const QString &path);
    QString path(const QString &relative) const { return QDir(m_root->path()).filePath(relative); }
    QString program() const { return path(QStringLiteral("prefix/bin")); }
    QString data() const { return path(QStringLiteral("prefix/share/sw40917")); }
    QString user() const { return WorkspaceSetup::userWorkspaceFolder(); }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_root;
};

void TestWorkspaceSetup::write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray TestWorkspaceSetup::read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void TestWorkspaceSetup::initTestCase()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Korvane"));
    QCoreApplication::setApplicationName(QStringLiteral("SW40917"));
#ifdef Q_OS_WIN
    // The user's roaming application data (%APPDATA%), in Qt's test corner of it: never the user's own
    // workspace, which each case removes.
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(user(),
             QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/qttest/Korvane/SW40917"));
#else
    // The user's folders of this test run, nowhere near the real home.
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (m_home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_home.path() + QStringLiteral("/config")).toUtf8());
    QCOMPARE(user(), m_home.path() + QStringLiteral("/data/Korvane/SW40917"));
#endif
}

// Each case: a fresh installed tree (program folder, data folder) and no user workspace yet.
void TestWorkspaceSetup::init()
{
    QDir(user()).removeRecursively();
    m_root = std::make_unique<QTemporaryDir>();
    QDir().mkpath(program());
    write(data() + QStringLiteral("/LANGUAGE/English.lng"), "STR0 = shipped English\n");
    write(data() + QStringLiteral("/LANGUAGE/Deutsch.lng"), "STR0 = shipped Deutsch\n");
    write(data() + QStringLiteral("/LANGUAGE/DefaultFlag.bmp"), "BM flag");
    write(data() + QStringLiteral("/examples/Example/ParGen.xml"), "<ParGen/>");
    write(data() + QStringLiteral("/examples/Example/bin/.keep"), "");
}

void TestWorkspaceSetup::portableWhenTheProgramFolderHoldsAWorkspace_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("languages") << "LANGUAGE";
    QTest::newRow("projects") << "PROJECTS";
}

void TestWorkspaceSetup::portableWhenTheProgramFolderHoldsAWorkspace()
{
    QFETCH(QString, folder);
    QVERIFY(QDir(program()).mkdir(folder));
    WorkspacePaths paths;
    QVERIFY(WorkspaceSetup::prepare(paths, program(), user(), data()).isEmpty());

    const QString native = QDir::toNativeSeparators(program());
    QCOMPARE(paths.WorkspaceFolder, native);
    QCOMPARE(paths.ProgramFolder, native);
    QCOMPARE(paths.LanguageFolder, joinPath(native, QStringLiteral("LANGUAGE")));
    QVERIFY(!QFileInfo::exists(user()));
    // Nothing is added to a portable copy either.
    QVERIFY(!QFileInfo::exists(QDir(program()).filePath(QStringLiteral("Fabricor.xml"))));
}

void TestWorkspaceSetup::installedProgramMakesAndSeedsTheUserFolder()
{
    // A shipped file may be read-only; the user's copy must be editable all the same.
    QFile::setPermissions(data() + QStringLiteral("/examples/Example/ParGen.xml"), QFile::ReadOwner);

    WorkspacePaths paths;
    const QStringList problems = WorkspaceSetup::prepare(paths, program(), user(), data());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));

    QCOMPARE(paths.WorkspaceFolder, QDir::toNativeSeparators(user()));
    QCOMPARE(paths.ProgramFolder, QDir::toNativeSeparators(program()));
    QCOMPARE(paths.ProjectsFolder, joinPath(QDir::toNativeSeparators(user()), QStringLiteral("PROJECTS")));
    for (const QString &folder : {paths.MasterFolder, paths.ProjectsFolder, paths.LanguageFolder})
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
    const AppSettings settings = AppSettings::read(user() + QStringLiteral("/Fabricor.xml"));
    QVERIFY(QFileInfo::exists(user() + QStringLiteral("/Fabricor.xml")));
    QCOMPARE(settings.language, QStringLiteral("English"));
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/Deutsch.lng")), QByteArray("STR0 = shipped Deutsch\n"));
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/DefaultFlag.bmp")), QByteArray("BM flag"));
    const QString parGen = user() + QStringLiteral("/PROJECTS/Example/ParGen.xml");
    QCOMPARE(read(parGen), QByteArray("<ParGen/>"));
    QVERIFY(QFileInfo(parGen).isWritable());
    QVERIFY(QFileInfo(user() + QStringLiteral("/PROJECTS/Example/bin")).isDir());
    // The program's own folder stays as installed.
    QCOMPARE(QDir(program()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

void TestWorkspaceSetup::userFilesAreNeverReplaced()
{
    write(user() + QStringLiteral("/LANGUAGE/English.lng"), "STR0 = my English\n");
    write(user() + QStringLiteral("/Fabricor.xml"), "<Conf_Settings>mine</Conf_Settings>");
    QVERIFY(QDir(user()).mkpath(QStringLiteral("PROJECTS/Plant")));

    WorkspacePaths paths;
    QVERIFY(WorkspaceSetup::prepare(paths, program(), user(), data()).isEmpty());

    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/English.lng")), QByteArray("STR0 = my English\n"));
    QCOMPARE(read(user() + QStringLiteral("/Fabricor.xml")), QByteArray("<Conf_Settings>mine</Conf_Settings>"));
    // A language shipped later still arrives.
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/Deutsch.lng")), QByteArray("STR0 = shipped Deutsch\n"));
    // An existing PROJECTS folder is the user's: an example deleted from it is not brought back.
    QCOMPARE(QDir(user() + QStringLiteral("/PROJECTS")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("Plant")});
    QVERIFY(QFileInfo(paths.MasterFolder).isDir());
}

void TestWorkspaceSetup::linksInTheWorkspaceAreNotWrittenThrough_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("language file, dangling link") << "LANGUAGE/English.lng" << false;
    QTest::newRow("language file, link to a file") << "LANGUAGE/English.lng" << true;
    QTest::newRow("settings file, dangling link") << "Fabricor.xml" << false;
    QTest::newRow("settings file, link to a file") << "Fabricor.xml" << true;
}

// The user's link is the user's: it stays a link, nothing goes through it, and it is no problem to report.
void TestWorkspaceSetup::linksInTheWorkspaceAreNotWrittenThrough()
{
    QFETCH(QString, name);
    QFETCH(bool, targetExists);
    const QString target = path(QStringLiteral("elsewhere.txt"));
    if (targetExists)
        write(target, "someone else's");
    QVERIFY(QDir(user()).mkpath(QStringLiteral("LANGUAGE")));
    const QString link = QDir(user()).filePath(name);
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(target, link));

    WorkspacePaths paths;
    const QStringList problems = WorkspaceSetup::prepare(paths, program(), user(), data());

    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    if (targetExists)
        QCOMPARE(read(target), QByteArray("someone else's"));
    else
        QVERIFY(!QFileInfo::exists(target));
}

void TestWorkspaceSetup::linkedProjectsFolderIsUsedAsItIs()
{
    // PROJECTS on a shared drive: the user's link to a folder is a folder, and it is not filled.
    const QString shared = path(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(shared + QStringLiteral("/Plant")));
    QVERIFY(QDir().mkpath(user()));
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(shared, user() + QStringLiteral("/PROJECTS")));

    WorkspacePaths paths;
    const QStringList problems = WorkspaceSetup::prepare(paths, program(), user(), data());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(QDir(paths.ProjectsFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"Plant"});
}

// After an upgrade, the user's copy of a shipped language file gains the texts added since, at its end and in
// its own encoding and line ends; a text the user has, or has left empty on purpose, stays as it is.
// The same for both layouts: the user folder of an installed program gains them from the data folder, a
// portable copy (an unpacked ZIP, whose LANGUAGE is its own data) from the files built into the program.
void TestWorkspaceSetup::languageFilesGainTheShippedTexts_data()
{
    QTest::addColumn<bool>("portable");
    QTest::addColumn<QByteArray>("copy");
    QTest::addColumn<QByteArray>("merged");
    struct Row
    {
        const char *name;
        QByteArray copy;
        QByteArray merged;
    };
    QList<Row> rows;
    const QByteArray bom = "\xef\xbb\xbf";
    const auto utf16 = [](const QString &text, bool bigEndian) {
        QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                               QStringConverter::Flag::WriteBom);
        return QByteArray(encoder.encode(text));
    };
    const QByteArray added = "STR14 = Konfigurator schlie\xc3\x9f"
                             "en\nSTR1460 = de\n";
    rows.append({"UTF-8", QByteArray("STR0 = mein Beginn\n"), "STR0 = mein Beginn\n" + added});
    rows.append({"UTF-8 with mark, CR LF", bom + "STR0 = mein Beginn\r\n",
                 bom + "STR0 = mein Beginn\r\nSTR14 = Konfigurator schlie\xc3\x9f"
                       "en\r\nSTR1460 = de\r\n"});
    rows.append({"no line end at the end", QByteArray("STR0 = mein Beginn"), "STR0 = mein Beginn\n" + added});
    rows.append({"Windows-1252", QByteArray("STR0 = M\xe4rz\n"),
                 QByteArray("STR0 = M\xe4rz\nSTR14 = Konfigurator schlie\xdf"
                            "en\nSTR1460 = de\n")});
    const QString mine = QStringLiteral("STR0 = M\u00e4rz\n");
    const QString mergedText = mine + QStringLiteral("STR14 = Konfigurator schlie\u00dfen\nSTR1460 = de\n");
    rows.append({"UTF-16 little-endian", utf16(mine, false), utf16(mergedText, false)});
    rows.append({"UTF-16 big-endian", utf16(mine, true), utf16(mergedText, true)});
    rows.append({"a text left empty on purpose", QByteArray("STR14 =\nSTR0 = mein Beginn\n"),
                 QByteArray("STR14 =\nSTR0 = mein Beginn\nSTR1460 = de\n")});
    rows.append({"nothing missing", QByteArray("STR1460 = de\nSTR14 = x\nSTR0 = y\n"),
                 QByteArray("STR1460 = de\nSTR14 = x\nSTR0 = y\n")});
    for (const bool portable : {false, true}) {
        for (const Row &row : std::as_const(rows))
            QTest::addRow("%s, %s", portable ? "portable" : "installed", row.name)
                << portable << row.copy << row.merged;
    }
}

void TestWorkspaceSetup::languageFilesGainTheShippedTexts()
{
    QFETCH(bool, portable);
    QFETCH(QByteArray, copy);
    QFETCH(QByteArray, merged);
    // The shipped file: a text the copy has, one changed in a later line, one new.
    write(data() + QStringLiteral("/LANGUAGE/Deutsch.lng"),
          "\xef\xbb\xbf[Hauptfenster]\nSTR0 = Beginn\nSTR14 = alt\nSTR14 = Konfigurator schlie\xc3\x9f"
          "en\n"
          "STR1460 = de\n");
    const QString userCopy = (portable ? program() : user()) + QStringLiteral("/LANGUAGE/Deutsch.lng");
    write(userCopy, copy);
    QFile::setPermissions(userCopy, QFile::ReadOwner | QFile::WriteOwner);
    // The user's backup beside it is theirs.
    write(userCopy + QStringLiteral(".old"), "STR0 = my backup\n");
    WorkspacePaths paths;
    const QStringList problems = prepareLayout(paths, portable);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(read(userCopy), merged);
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                        QFile::ExeOther;
    QCOMPARE(QFile::permissions(userCopy) & modeBits, Portable::permissionsAsStored(QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(read(userCopy + QStringLiteral(".old")), QByteArray("STR0 = my backup\n"));
    QStringList expected{"Deutsch.lng", "Deutsch.lng.old"};
    if (!portable)
        expected << "DefaultFlag.bmp"
                 << "English.lng";
    expected.sort();
    QStringList files = QDir(QFileInfo(userCopy).path()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    QCOMPARE(files, expected);
    // The next start finds nothing more to add.
    prepareLayout(paths, portable);
    QCOMPARE(read(userCopy), merged);
}

// A portable copy's language file that is a link (to a shared folder, to another program's file) is never
// written through; a plain one beside it still gains its texts.
void TestWorkspaceSetup::portableCopyIsNeverUpgradedThroughALink()
{
    write(data() + QStringLiteral("/LANGUAGE/English.lng"), "STR0 = shipped English\nSTR14 = Close\n");
    write(data() + QStringLiteral("/LANGUAGE/Deutsch.lng"), "STR0 = Beginn\nSTR14 = Schlie\xc3\x9f"
                                                            "en\n");
    const QString outside = path(QStringLiteral("shared/Deutsch.lng"));
    write(outside, "STR0 = geteilt\n");
    write(program() + QStringLiteral("/LANGUAGE/English.lng"), "STR0 = mine\n");
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(outside, program() + QStringLiteral("/LANGUAGE/Deutsch.lng")));
    WorkspacePaths paths;
    const QStringList problems = prepareLayout(paths, true);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
    QCOMPARE(read(outside), QByteArray("STR0 = geteilt\n"));
    QVERIFY(QFileInfo(program() + QStringLiteral("/LANGUAGE/Deutsch.lng")).isSymLink());
    QCOMPARE(read(program() + QStringLiteral("/LANGUAGE/English.lng")), QByteArray("STR0 = mine\nSTR14 = Close\n"));
}

// A language the program does not ship is the user's alone; so is a shipped file's name taken by a folder.
void TestWorkspaceSetup::onlyShippedLanguageFilesAreMerged()
{
    write(user() + QStringLiteral("/LANGUAGE/Klingon.lng"), "STR0 = mine\n");
    QVERIFY(QDir(user()).mkpath(QStringLiteral("LANGUAGE/English.lng")));
    WorkspacePaths paths;
    WorkspaceSetup::prepare(paths, program(), user(), data());
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/Klingon.lng")), QByteArray("STR0 = mine\n"));
    QVERIFY(QFileInfo(user() + QStringLiteral("/LANGUAGE/English.lng")).isDir());
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/Deutsch.lng")), QByteArray("STR0 = shipped Deutsch\n"));
}

void TestWorkspaceSetup::onlyRegularBoundedDataFilesAreCopied()
{
    write(path(QStringLiteral("secret.txt")), "not shipped");
    SW_MAKE_SPECIAL_FILE(TestFiles::makeSymbolicLink(path(QStringLiteral("secret.txt")),
                                                     data() + QStringLiteral("/LANGUAGE/Linked.lng")));
    SW_MAKE_SPECIAL_FILE(
        TestFiles::makeSymbolicLink(path(QStringLiteral("prefix")), data() + QStringLiteral("/examples/Example/loop")));
    write(data() + QStringLiteral("/LANGUAGE/Huge.lng"), QByteArray(5 * 1024 * 1024, 'x'));

    WorkspacePaths paths;
    QVERIFY(WorkspaceSetup::prepare(paths, program(), user(), data()).isEmpty());

    QVERIFY(!QFileInfo(user() + QStringLiteral("/LANGUAGE/Linked.lng")).exists());
    QVERIFY(!QFileInfo(user() + QStringLiteral("/LANGUAGE/Huge.lng")).exists());
    QVERIFY(!QFileInfo(user() + QStringLiteral("/PROJECTS/Example/loop")).isSymLink());
    QVERIFY(!QFileInfo::exists(user() + QStringLiteral("/PROJECTS/Example/loop")));
    QCOMPARE(read(user() + QStringLiteral("/LANGUAGE/English.lng")), QByteArray("STR0 = shipped English\n"));
}

void TestWorkspaceSetup::dataFolderIsTheFirstWithLanguages()
{
    const QString empty = path(QStringLiteral("empty"));
    QVERIFY(QDir().mkpath(empty));
    QCOMPARE(WorkspaceSetup::findDataFolder({QString(), empty, data(), program()}), data());
    QCOMPARE(WorkspaceSetup::findDataFolder({empty, program()}), QString());

    // Without a data folder the workspace is still made, only empty.
    WorkspacePaths paths;
    QVERIFY(WorkspaceSetup::prepare(paths, program(), user(), QString()).isEmpty());
    QVERIFY(QFileInfo(paths.LanguageFolder).isDir());
    QVERIFY(QDir(paths.LanguageFolder).isEmpty());
}

void TestWorkspaceSetup::settingsAndJobFileLiveInTheWorkspace()
{
    AppContext context;
    WorkspaceSetup::prepare(context.paths, program(), user(), data());
    const QString workspace = QDir::toNativeSeparators(user());
    QCOMPARE(context.settingsPath(), joinPath(workspace, QStringLiteral("Fabricor.xml")));
    QCOMPARE(UpdateJob::jobFilePath(context.paths), joinPath(workspace, QStringLiteral("Ethernet_Update.xml")));
}

void TestWorkspaceSetup::updaterInTheWorkspaceThenBesideTheProgram_data()
{
    QTest::addColumn<bool>("inWorkspace");
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<bool>("expectWorkspace");
    QTest::newRow("only in the workspace") << true << false << true;
    QTest::newRow("only beside the program") << false << true << false;
    QTest::newRow("in both: the workspace's") << true << true << true;
    // The message about a missing updater names the workspace.
    QTest::newRow("nowhere") << false << false << true;
}

void TestWorkspaceSetup::updaterInTheWorkspaceThenBesideTheProgram()
{
    QFETCH(bool, inWorkspace);
    QFETCH(bool, besideProgram);
    QFETCH(bool, expectWorkspace);
    WorkspacePaths paths;
    WorkspaceSetup::prepare(paths, program(), user(), data());
    for (const QString &name : {UpdateJob::EthernetUpdaterName, UpdateJob::SerialUpdaterName}) {
        if (inWorkspace)
            write(QDir(user()).filePath(name), "MZ");
        if (besideProgram)
            write(QDir(program()).filePath(name), "MZ");
    }
    const QString folder = QDir::toNativeSeparators(expectWorkspace ? user() : program());
    QCOMPARE(UpdateJob::ethernetUpdaterPath(paths), joinPath(folder, UpdateJob::EthernetUpdaterName));
    QCOMPARE(UpdateJob::serialUpdaterPath(paths), joinPath(folder, UpdateJob::SerialUpdaterName));
}

QTEST_GUILESS_MAIN(TestWorkspaceSetup)
#include "tst_workspace.moc"
