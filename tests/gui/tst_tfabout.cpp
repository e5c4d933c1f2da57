// The About dialog: fixed identity texts, and the two ways to the maker's home page.
#include "TFAbout.h"
#include "TestWorkspace.h"
#include "base/ProductIdentity.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
class FakeUrlOpener : public UrlOpener
{
public:
    QStringList opened;
    void open(const QString &url) override { opened.append(url); }
};
} // namespace

class TestTFAbout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void identity_data();
    void identity();
    void sameInEveryLanguage();
    void clicksOpenHomePage_data();
    void clicksOpenHomePage();
    void okCloses();
};

void TestTFAbout::identity_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("Label1") << "Label1"
                            << "Software Fabricor " << QPoint(128, 24);
    QTest::newRow("Label2") << "Label2"
                            << "DeviceNet Master / Modbus TCP Slave - Converter" << QPoint(128, 39);
    QTest::newRow("Label6") << "Label6"
                            << "Software Code : " << QPoint(128, 62);
    QTest::newRow("Label9") << "Label9"
                            << "SW40917" << QPoint(240, 62);
    QTest::newRow("Label3") << "Label3"
                            << "Version :" << QPoint(128, 77);
    QTest::newRow("Label10") << "Label10"
                             << "2.004" << QPoint(240, 77);
    QTest::newRow("Label8") << "Label8"
                            << "Document Code :" << QPoint(128, 93);
    QTest::newRow("Label12") << "Label12"
                             << "MN40917" << QPoint(240, 93);
}

void TestTFAbout::identity()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QPoint, position);
    TestWorkspace ws;
    TFAbout about(ws.context);
    about.show();
    QCOMPARE(about.windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about.size(), QSize(425, 148));
    auto *label = about.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), position);
    // Nothing may be cut off at the window's right edge.
    QVERIFY2(label->geometry().right() < about.width(), qPrintable(name));
    auto *address = about.findChild<QLabel *>(QStringLiteral("Label4"));
    QCOMPARE(address->pos(), QPoint(316, 131));
    QVERIFY(address->geometry().right() < about.width());
    QVERIFY(!about.findChild<QLabel *>(QStringLiteral("Image2"))->pixmap().isNull());
}

void TestTFAbout::sameInEveryLanguage()
{
    TestWorkspace ws;
    for (int i = 0; i < TextCatalog::Size; ++i)
        ws.context.catalog.setText(i, QStringLiteral("xx"));
    TFAbout about(ws.context);
    about.show();
    about.Set_Lang();
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Software Fabricor "));
    QCOMPARE(about.findChild<QPushButton *>(QStringLiteral("LbButton1"))->text(), QStringLiteral("OK"));
}

void TestTFAbout::clicksOpenHomePage_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("picture") << "Image2";
    QTest::newRow("web address") << "Label4";
}

void TestTFAbout::clicksOpenHomePage()
{
    QFETCH(QString, control);
    TestWorkspace ws;
    FakeUrlOpener opener;
    ws.context.platform.urlOpener = &opener;
    TFAbout about(ws.context);
    about.show();
    QTest::mouseClick(about.findChild<QWidget *>(control), Qt::LeftButton);
    QCOMPARE(opener.opened, QStringList(Product::homePageUrl()));
    QVERIFY(Product::homePageUrl().endsWith(QLatin1String("/HOME/default.asp?frompg=SW40917")));
}

void TestTFAbout::okCloses()
{
    TestWorkspace ws;
    TFAbout about(ws.context);
    about.show();
    about.findChild<QPushButton *>(QStringLiteral("LbButton1"))->click();
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(TestTFAbout)
#include "tst_tfabout.moc"
