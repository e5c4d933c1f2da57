#include "TestWorkspace.h"
#include "app/AppSettings.h"
#include "base/AppError.h"

#include "Portable.h"
#include <QtTest>

class TestAppSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingFileGivesDefaults();
    void roundTrip_data();
    void roundTrip();
    void writtenShape();
    void monitorSize_data();
    void monitorSize();
    void damagedFiles_data();
    void damagedFiles();
    void eachValueFallsBackOnItsOwn();
    void namesMustBePlain_data();
    void namesMustBePlain();
    void optionTextMustBeExactlyOne_data();
    void optionTextMustBeExactlyOne();
    void unwritableFileIsAnError();
    void updateWritesOnlyAChange_data();
    void updateWritesOnlyAChange();
    void declarationIsTolerated_data();
    void declarationIsTolerated();
};

static void compareDefaults(const AppSettings &s)
{
    QCOMPARE(s.projectname, QString());
    QCOMPARE(s.ipaddress, QStringLiteral("192.168.2.205"));
    QCOMPARE(s.language, QStringLiteral("English"));
    QVERIFY(!s.enable_internet);
    QVERIFY(!s.enable_update);
    QVERIFY(!s.enable_jump_field_tables);
    QVERIFY(!s.Double_Click_Auto_Size);
}

void TestAppSettings::missingFileGivesDefaults()
{
    TestWorkspace ws;
    compareDefaults(AppSettings::read(ws.path("Fabricor.xml")));
}

void TestAppSettings::roundTrip_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<int>("flags");
    QTest::newRow("empty project, all off") << QString() << "192.168.2.205" << 0;
    QTest::newRow("all on") << "Plant A"
                            << "10.0.0.7" << 0xF;
    QTest::newRow("internet only") << " lead blank"
                                   << "1.2.3.4" << 0x1;
    QTest::newRow("table options") << QString::fromUtf8("Überlauf") << "" << 0xC;
}

void TestAppSettings::roundTrip()
{
    QFETCH(QString, project);
    QFETCH(QString, ip);
    QFETCH(int, flags);
    TestWorkspace ws;
    AppSettings s;
    s.projectname = project;
    s.ipaddress = ip;
    s.language = QStringLiteral("Deutsch");
    s.enable_internet = flags & 1;
    s.enable_update = flags & 2;
    s.enable_jump_field_tables = flags & 4;
    s.Double_Click_Auto_Size = flags & 8;
    s.write(ws.path("Fabricor.xml"));
    const AppSettings r = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(r.projectname, project);
    QCOMPARE(r.ipaddress, ip);
    QCOMPARE(r.language, s.language);
    QCOMPARE(r.enable_internet, s.enable_internet);
    QCOMPARE(r.enable_update, s.enable_update);
    QCOMPARE(r.enable_jump_field_tables, s.enable_jump_field_tables);
    QCOMPARE(r.Double_Click_Auto_Size, s.Double_Click_Auto_Size);
}

void TestAppSettings::writtenShape()
{
    TestWorkspace ws;
    AppSettings s;
    s.projectname = QStringLiteral("Test");
    s.enable_update = true;
    s.write(ws.path("Fabricor.xml"));
    QCOMPARE(TestWorkspace::readFile(ws.path("Fabricor.xml")),
             QByteArray("<Conf_Settings><lastproj><projectname>Test</projectname></lastproj>"
                        "<lastipadd><ipaddress>192.168.2.205</ipaddress></lastipadd>"
                        "<lastlang><language>English</language></lastlang>"
                        "<lastinternet><enable_internet>0</enable_internet><enable_update>1</enable_update>"
                        "<enable_jump_field_tables>0</enable_jump_field_tables>"
                        "<Double_Click_Auto_Size>0</Double_Click_Auto_Size></lastinternet></Conf_Settings>"));
}

void TestAppSettings::monitorSize_data()
{
    QTest::addColumn<QByteArray>("width");
    QTest::addColumn<QByteArray>("height");
    QTest::addColumn<QSize>("read"); // (0, 0): none, the window fits its table
    QTest::newRow("kept") << QByteArray("1234") << QByteArray("678") << QSize(1234, 678);
    QTest::newRow("zero") << QByteArray("0") << QByteArray("600") << QSize(0, 0);
    QTest::newRow("larger than any screen") << QByteArray("900") << QByteArray("99999") << QSize(0, 0);
    QTest::newRow("no number") << QByteArray("wide") << QByteArray("600") << QSize(0, 0);
    QTest::newRow("height missing") << QByteArray("900") << QByteArray() << QSize(0, 0);
}

void TestAppSettings::monitorSize()
{
    QFETCH(QByteArray, width);
    QFETCH(QByteArray, height);
    QFETCH(QSize, read);
    TestWorkspace ws;
    QByteArray monitor = "<width>" + width + "</width>";
    if (!height.isEmpty())
        monitor += "<height>" + height + "</height>";
    TestWorkspace::writeFile(ws.path("Fabricor.xml"),
                             "<Conf_Settings><lastmonitor>" + monitor + "</lastmonitor></Conf_Settings>");
    AppSettings s = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(QSize(s.monitorWidth, s.monitorHeight), read);
    // What is read is written back as it was, and nothing when there is none.
    s.write(ws.path("Fabricor.xml"));
    const QByteArray written = TestWorkspace::readFile(ws.path("Fabricor.xml"));
    QCOMPARE(written.contains("<lastmonitor>"), read.width() > 0);
    const AppSettings again = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(QSize(again.monitorWidth, again.monitorHeight), read);
}

void TestAppSettings::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not well-formed") << QByteArray("<Conf_Settings><lastproj>");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("binary") << QByteArrayLiteral("\x00\xff\xfe garbage");
    // The root is the first node: a comment in front hides every value.
    QTest::newRow("comment first") << QByteArray(
        "<!-- note --><Conf_Settings><lastproj><projectname>X</projectname>"
        "</lastproj><lastinternet><enable_internet>1</enable_internet></lastinternet></Conf_Settings>");
}

void TestAppSettings::damagedFiles()
{
    QFETCH(QByteArray, content);
    TestWorkspace ws;
    TestWorkspace::writeFile(ws.path("Fabricor.xml"), content);
    compareDefaults(AppSettings::read(ws.path("Fabricor.xml")));
}

void TestAppSettings::eachValueFallsBackOnItsOwn()
{
    TestWorkspace ws;
    TestWorkspace::writeFile(ws.path("Fabricor.xml"),
                             "<Other><lastproj><projectname>P1</projectname></lastproj>"
                             "<lastipadd><ipaddress>1.1.1.1</ipaddress></lastipadd>"
                             "<lastinternet><enable_update>1</enable_update></lastinternet></Other>");
    const AppSettings s = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(s.projectname, QStringLiteral("P1"));
    QCOMPARE(s.ipaddress, QStringLiteral("1.1.1.1"));
    QCOMPARE(s.language, QStringLiteral("English"));
    QVERIFY(!s.enable_internet);
    QVERIFY(s.enable_update);
    QVERIFY(!s.versionCheckEnabled());
}

void TestAppSettings::namesMustBePlain_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("used");
    QTest::newRow("plain") << "Plant 1" << true;
    QTest::newRow("accented") << QString::fromUtf8("Español") << true;
    QTest::newRow("climbing out") << "../../victimdir" << false;
    QTest::newRow("absolute") << "/tmp/x" << false;
    QTest::newRow("into a subfolder") << "a/b" << false;
    QTest::newRow("backslash") << "..\\x" << false;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("quote") << "x\"y" << false;
    QTest::newRow("control character") << "a\tb" << false;
    QTest::newRow("device name") << "NUL" << false;
}

void TestAppSettings::namesMustBePlain()
{
    QFETCH(QString, name);
    QFETCH(bool, used);
    TestWorkspace ws;
    const QString escaped = name.toHtmlEscaped();
    TestWorkspace::writeFile(ws.path("Fabricor.xml"),
                             ("<Conf_Settings><lastproj><projectname>" + escaped +
                              "</projectname></lastproj><lastlang><language>" + escaped +
                              "</language></lastlang><lastipadd><ipaddress>1.2.3.4</ipaddress></lastipadd>"
                              "</Conf_Settings>")
                                 .toUtf8());
    const AppSettings s = AppSettings::read(ws.path("Fabricor.xml"));
    QCOMPARE(s.projectname, used ? name : QString());
    QCOMPARE(s.language, used ? name : QStringLiteral("English"));
    QCOMPARE(s.ipaddress, QStringLiteral("1.2.3.4"));
}

void TestAppSettings::optionTextMustBeExactlyOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("blank before") << " 1" << false;
    QTest::newRow("word") << "true" << false;
    QTest::newRow("empty") << "" << false;
}

void TestAppSettings::optionTextMustBeExactlyOne()
{
    QFETCH(QString, text);
    QFETCH(bool, on);
    TestWorkspace ws;
    TestWorkspace::writeFile(ws.path("Fabricor.xml"), ("<Conf_Settings><lastinternet><Double_Click_Auto_Size>" + text +
                                                       "</Double_Click_Auto_Size></lastinternet></Conf_Settings>")
                                                          .toUtf8());
    QCOMPARE(AppSettings::read(ws.path("Fabricor.xml")).Double_Click_Auto_Size, on);
}

void TestAppSettings::unwritableFileIsAnError()
{
    TestWorkspace ws;
    QDir(ws.dir.path()).mkdir("Fabricor.xml"); // a folder where the file should go
    AppSettings s;
    QVERIFY_THROWS_EXCEPTION(AppError, s.write(ws.path("Fabricor.xml")));
}

// update leaves a file that holds the very bytes alone (same time), and writes every other case as write does.
void TestAppSettings::updateWritesOnlyAChange_data()
{
    QTest::addColumn<QString>("before"); // "same", "other", "missing", "link to same", "folder"
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("refused");
    QTest::newRow("same bytes") << "same" << false << false;
    QTest::newRow("other bytes") << "other" << true << false;
    QTest::newRow("no file") << "missing" << true << false;
    QTest::newRow("link to the same bytes") << "link to same" << false << true;
    QTest::newRow("folder in its place") << "folder" << false << true;
}

void TestAppSettings::updateWritesOnlyAChange()
{
    QFETCH(QString, before);
    QFETCH(bool, written);
    QFETCH(bool, refused);
    TestWorkspace ws;
    const QString path = ws.path("Fabricor.xml");
    AppSettings s;
    s.language = QStringLiteral("Deutsch");
    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    if (before == QLatin1String("same") || before == QLatin1String("other")) {
        AppSettings stored = s;
        if (before == QLatin1String("other"))
            stored.language = QStringLiteral("English");
        stored.write(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(old, QFileDevice::FileModificationTime));
    } else if (before == QLatin1String("link to same")) {
        SW_SKIP_ON_WINDOWS("symbolic links need rights that Windows does not give by default");
        s.write(ws.path("elsewhere.xml"));
        QVERIFY(QFile::link(ws.path("elsewhere.xml"), path));
    } else if (before == QLatin1String("folder")) {
        QVERIFY(QDir(ws.dir.path()).mkdir("Fabricor.xml"));
    }
    if (refused) {
        QVERIFY_THROWS_EXCEPTION(AppError, s.update(path));
        return;
    }
    s.update(path);
    QCOMPARE(TestWorkspace::readFile(path), s.toBytes());
    const QDateTime modified = QFileInfo(path).fileTime(QFileDevice::FileModificationTime).toUTC();
    QCOMPARE(modified != old, written);
}

// An XML declaration is no node of the parsed document, so a file that starts with one still reads; the
// settings read in every encoding a document is read in, and a file in any other counts as a damaged one.
void TestAppSettings::declarationIsTolerated_data()
{
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("bom");
    QTest::addColumn<QString>("declared");
    QTest::addColumn<QString>("language");
    const QString french = QStringLiteral("Fran\u00e7ais");
    QTest::newRow("UTF-8 declared") << QByteArray("UTF-8") << false << "UTF-8" << french;
    QTest::newRow("UTF-16 with mark") << QByteArray("UTF-16LE") << true << "UTF-16" << french;
    QTest::newRow("UTF-32 without mark") << QByteArray("UTF-32BE") << false << QString() << french;
    QTest::newRow("ISO-8859-1") << QByteArray("ISO-8859-1") << false << "ISO-8859-1" << french;
    QTest::newRow("Windows-1252") << QByteArray("windows-1252") << false << "windows-1252" << french;
    QTest::newRow("UTF-7: not read") << QByteArray("UTF-8") << false << "UTF-7"
                                     << "English";
}

void TestAppSettings::declarationIsTolerated()
{
    QFETCH(QByteArray, encoding);
    QFETCH(bool, bom);
    QFETCH(QString, declared);
    QFETCH(QString, language);
    TestWorkspace ws;
    const QString declaration =
        declared.isEmpty() ? QString() : QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n").arg(declared);
    const QByteArray bytes =
        Portable::encoded(declaration + QStringLiteral("<Conf_Settings><lastlang><language>Fran\u00e7ais"
                                                       "</language></lastlang></Conf_Settings>"),
                          encoding.constData(), bom);
    TestWorkspace::writeFile(ws.path("Fabricor.xml"), bytes);
    QCOMPARE(AppSettings::read(ws.path("Fabricor.xml")).language, language);
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
