#include "Portable.h"
#include "base/ProjectName.h"
#include "base/WorkspacePaths.h"

#include <QDir>
#include <QtTest>

class TestProjectName : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void validity_data();
    void validity();
    void paths();
};

void TestProjectName::validity_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "Test" << true;
    QTest::newRow("leading blank") << " Test" << true;
    QTest::newRow("inner point and blank") << "Plant 1.2" << true;
    QTest::newRow("accented") << QString::fromUtf8("Übergabe") << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("point") << "." << false;
    QTest::newRow("two points") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("climbing out") << "../x" << false;
    QTest::newRow("less than") << "a<b" << false;
    QTest::newRow("greater than") << "a>b" << false;
    QTest::newRow("colon") << "C:x" << false;
    QTest::newRow("quote") << "a\"b" << false;
    QTest::newRow("bar") << "a|b" << false;
    QTest::newRow("question mark") << "a?" << false;
    QTest::newRow("star") << "a*" << false;
    QTest::newRow("tab") << "a\tb" << false;
    QTest::newRow("trailing point") << "abc." << false;
    QTest::newRow("trailing blank") << "abc " << false;
    QTest::newRow("device name") << "con" << false;
    QTest::newRow("device name with extension") << "NUL.txt" << false;
    QTest::newRow("serial device") << "COM3" << false;
    QTest::newRow("longer than a device") << "COM10" << true;
}

void TestProjectName::validity()
{
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QCOMPARE(isValidProjectName(name), valid);
}

void TestProjectName::paths()
{
    WorkspacePaths p;
    p.setProgramFolder(QStringLiteral("/opt/sw/"));
    const QString sep = QDir::separator();
    // Texts the program shows carry the platform's separator.
    QCOMPARE(p.ProjectsFolder, Portable::native(QStringLiteral("/opt/sw/PROJECTS")));
    p.activateProject(QStringLiteral("Test"));
    QCOMPARE(p.ProjectFolder, p.ProjectsFolder + sep + "Test");
    QCOMPARE(p.DefRegPath, p.ProjectFolder + sep + "DefReg.xml");
    QVERIFY(p.hasActiveProject());
    p.activateProject(QString());
    QVERIFY(!p.hasActiveProject());
    QCOMPARE(p.ParGenPath, sep + "ParGen.xml");
}

QTEST_GUILESS_MAIN(TestProjectName)
#include "tst_projectname.moc"
