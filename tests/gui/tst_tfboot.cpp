#include "TFBoot.h"
#include "TestWorkspace.h"
#include "documents/ProjectDocument.h"
#include "update/UpdateJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

// Answers by script: 'y' answered, 'n' silent, 'x' not resolvable; silent beyond the script.
class FakeEcho : public IcmpEcho
{
public:
    QByteArray script;
    QStringList hosts;
    std::function<void()> onFirstRequest;

    Reply echo(const QString &host, const QByteArray &data, int) override
    {
        hosts.append(host);
        if (hosts.size() == 1 && onFirstRequest)
            onFirstRequest();
        const char what = hosts.size() <= script.size() ? script.at(hosts.size() - 1) : 'n';
        Reply reply;
        reply.sent = what != 'x';
        reply.bytesReceived = what == 'y' ? int(data.size()) + 8 : 0;
        return reply;
    }
};

class FakeLauncher : public ProgramLauncher
{
public:
    QStringList starts;
    bool start(const QString &program, const QStringList &arguments, bool hidden) override
    {
        starts.append(program + QLatin1Char('|') + arguments.join(QLatin1Char(' ')) + QLatin1Char('|') +
                      (hidden ? "hidden" : "shown"));
        return true;
    }
    bool isRunning() override { return false; }
};

class FakeSerialPorts : public SerialPorts
{
public:
    QStringList names;
    QStringList portNames() override { return names; }
};

// One dialog in a throw-away program folder with an active configuration and fake services.
struct Fixture
{
    TestWorkspace ws;
    FakeEcho echo;
    FakeLauncher launcher;
    FakeSerialPorts ports;
    TFBoot *dialog = nullptr;

    explicit Fixture(int formType)
    {
        ws.makeProject(QStringLiteral("Plant"));
        ws.context.platform.echo = &echo;
        ws.context.platform.launcher = &launcher;
        ws.context.platform.serialPorts = &ports;
        dialog = new TFBoot(ws.context);
        dialog->Form_Type = formType;
        // Short, yet long enough for a second request after the first pause: a pause in which a window
        // repaints took more than 60 ms under Wine on a loaded machine, which ended the test after one request.
        EchoTest::Limits quick;
        quick.overallMs = 600;
        dialog->setEchoLimits(quick);
    }
    ~Fixture() { delete dialog; }

    template <typename T> T *find(const char *name) const
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QLineEdit *ip(int i) const { return find<QLineEdit>(QByteArray("E_IP" + QByteArray::number(i)).constData()); }
    void setAddress(const QStringList &parts)
    {
        for (int i = 0; i < 4; ++i)
            ip(i + 1)->setText(parts.at(i));
    }
    QStringList address() const { return {ip(1)->text(), ip(2)->text(), ip(3)->text(), ip(4)->text()}; }
    void click(const char *name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    bool jobFileExists() const { return QFile::exists(UpdateJob::jobFilePath(ws.context.paths)); }
};

} // namespace

class TestTFBoot : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutByMode_data();
    void layoutByMode();
    void addressFromSettings_data();
    void addressFromSettings();
    void pointKeyMovesToTheNextPart();
    void cancelKeepsTheLastChoice();
    void serialPortList();
    void serialUpdate();
    void echoFailures_data();
    void echoFailures();
    void ethernetUpdateAfterAnswer();
    void secondPressDuringEchoDoesNothing();
    void closedDuringEchoStartsNothing();
    void unwritableJobFileStopsTheUpdate();
};

void TestTFBoot::layoutByMode_data()
{
    QTest::addColumn<int>("formType");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("placePanel");
    QTest::addColumn<QString>("otherPanel");
    QTest::addColumn<int>("title");
    QTest::addColumn<QStringList>("tabOrder");
    QTest::newRow("ethernet")
        << 1 << QSize(449, 230) << "P_IP_Address"
        << "P_Serial" << 1002
        << QStringList{"E_IP1",      "E_IP2",     "E_IP3", "E_IP4", "CB_Update_Options", "CB_Update_Option_Read_Back",
                       "Btn_Cancel", "Btn_Update"};
    QTest::newRow("serial") << 0 << QSize(449, 232) << "P_Serial"
                            << "P_IP_Address" << 1000 << QStringList{"CB_COM_Port",       "Btn_COM_List",
                                                                     "CB_Update_Options", "CB_Update_Option_Read_Back",
                                                                     "Btn_Cancel",        "Btn_Update"};
}

void TestTFBoot::layoutByMode()
{
    QFETCH(int, formType);
    QFETCH(QSize, size);
    QFETCH(QString, placePanel);
    QFETCH(QString, otherPanel);
    QFETCH(int, title);
    QFETCH(QStringList, tabOrder);

    Fixture f(formType == 1 ? 0 : 1);
    f.ports.names = {"ttyS0"};
    // Shown once in the other mode first: the second showing must rearrange everything.
    f.dialog->show();
    f.dialog->hide();
    f.dialog->Form_Type = formType;
    f.dialog->show();

    QCOMPARE(f.dialog->size(), size);
    QCOMPARE(f.dialog->windowTitle(), f.ws.context.text(title));
    QCOMPARE(f.find<QLabel>("L_SW_Desc")->text(), f.ws.context.text(title + 1));
    QCOMPARE(f.find<QLabel>("L_SW_Code")->text(), QStringLiteral("SW40917"));
    auto *place = f.find<QWidget>(placePanel.toLatin1().constData());
    auto *options = f.find<QWidget>("P_Options");
    auto *buttons = f.find<QWidget>("P_Button");
    QVERIFY(place->isVisible());
    QVERIFY(!f.find<QWidget>(otherPanel.toLatin1().constData())->isVisible());
    QCOMPARE(f.find<QWidget>("P_Title")->geometry(), QRect(0, 0, 449, 69));
    QCOMPARE(place->geometry(), QRect(0, 69, 449, size.height() - 69 - 72 - 40));
    QCOMPARE(options->geometry(), QRect(0, place->geometry().bottom() + 1, 449, 72));
    QCOMPARE(buttons->geometry(), QRect(0, options->geometry().bottom() + 1, 449, 40));

    QCOMPARE(f.dialog->focusWidget()->objectName(), tabOrder.first());
    for (int i = 0; i + 1 < tabOrder.size(); ++i) {
        QWidget *w = f.find<QWidget>(tabOrder.at(i).toLatin1().constData())->nextInFocusChain();
        while (w && !(w->focusPolicy() & Qt::TabFocus))
            w = w->nextInFocusChain();
        QCOMPARE(w->objectName(), tabOrder.at(i + 1));
    }
    QCOMPARE(f.find<QComboBox>("CB_Update_Options")->count(), 3);
    QCOMPARE(f.find<QComboBox>("CB_Update_Options")->itemText(2), f.ws.context.text(1017));
}

void TestTFBoot::addressFromSettings_data()
{
    QTest::addColumn<QString>("ipaddress");
    QTest::addColumn<QStringList>("edits");
    QTest::newRow("default address") << "192.168.2.205" << QStringList{"192", "168", "2", "205"};
    QTest::newRow("blanks around the points") << " 10 . 20 .30. 40 " << QStringList{"10", "20", "30", "40"};
    QTest::newRow("part above 255 keeps the edits") << "192.168.2.256" << QStringList{"1", "2", "3", "4"};
    QTest::newRow("two points keep the edits") << "192.168.2" << QStringList{"1", "2", "3", "4"};
    QTest::newRow("empty keeps the edits") << "" << QStringList{"1", "2", "3", "4"};
}

void TestTFBoot::addressFromSettings()
{
    QFETCH(QString, ipaddress);
    QFETCH(QStringList, edits);
    Fixture f(1);
    QCOMPARE(f.address(), (QStringList{"0", "0", "0", "0"}));
    f.ws.context.settings.ipaddress = QStringLiteral("1.2.3.4");
    f.dialog->show();
    f.dialog->hide();
    f.ws.context.settings.ipaddress = ipaddress;
    f.dialog->show();
    QCOMPARE(f.address(), edits);
}

void TestTFBoot::pointKeyMovesToTheNextPart()
{
    Fixture f(1);
    f.ws.context.settings.ipaddress = QStringLiteral("10.0.0.1");
    f.dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(f.dialog));

    f.ip(2)->setFocus();
    QTest::keyClick(f.ip(2), '.');
    QCOMPARE(QApplication::focusWidget(), f.ip(3));
    QCOMPARE(f.ip(2)->text(), QStringLiteral("0"));

    f.ip(4)->setFocus();
    QTest::keyClick(f.ip(4), '.');
    QCOMPARE(QApplication::focusWidget(), f.ip(4));
    QCOMPARE(f.ip(4)->text(), QStringLiteral("1"));
    // Other keys reach the edit: no digit filter, no length limit.
    QTest::keyClicks(f.ip(4), "a2345");
    QCOMPARE(f.ip(4)->text(), QStringLiteral("1a2345"));
}

void TestTFBoot::cancelKeepsTheLastChoice()
{
    Fixture f(1);
    f.ws.context.LastUpdateOption = 1;
    f.ws.context.LastReadBack = false;
    f.ws.context.settings.ipaddress = QStringLiteral("10.1.1.1");
    f.dialog->show();
    auto *option = f.find<QComboBox>("CB_Update_Options");
    auto *readBack = f.find<QCheckBox>("CB_Update_Option_Read_Back");
    QCOMPARE(option->currentIndex(), 1);
    QVERIFY(!readBack->isChecked());

    option->setCurrentIndex(2);
    readBack->setChecked(true);
    f.ip(1)->setText(QStringLiteral("11"));
    f.click("Btn_Cancel");
    QVERIFY(!f.dialog->isVisible());
    QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(f.ws.context.LastUpdateOption, 1);
    QCOMPARE(f.ws.context.LastReadBack, false);
    QCOMPARE(f.ws.context.settings.ipaddress, QStringLiteral("10.1.1.1"));
    QVERIFY(f.echo.hosts.isEmpty());

    f.dialog->show();
    QCOMPARE(option->currentIndex(), 1);
    QVERIFY(!readBack->isChecked());
}

void TestTFBoot::serialPortList()
{
    Fixture f(0);
    f.dialog->show();
    auto *list = f.find<QComboBox>("CB_COM_Port");
    QCOMPARE(list->count(), 0);
    QCOMPARE(list->currentIndex(), -1);

    f.ports.names = {"ttyS0", "ttyUSB0"};
    f.click("Btn_COM_List");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(1), QStringLiteral("ttyUSB0"));
    QCOMPARE(list->currentIndex(), 0);
}

void TestTFBoot::serialUpdate()
{
    Fixture f(0);
    f.ports.names = {"ttyS0", "ttyUSB0"};
    f.ws.context.settings.ipaddress = QStringLiteral("10.1.1.1");
    f.dialog->show();
    f.find<QComboBox>("CB_COM_Port")->setCurrentIndex(1);
    f.find<QComboBox>("CB_Update_Options")->setCurrentIndex(1);
    f.find<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(false);
    f.click("Btn_Update");

    const WorkspacePaths &paths = f.ws.context.paths;
    QCOMPARE(f.launcher.starts,
             QStringList{UpdateJob::serialUpdaterPath(paths) + "|" +
                         UpdateJob::serialArguments(paths, QStringLiteral("ttyUSB0"), 1, false).join(' ') + "|shown"});
    QVERIFY(f.launcher.starts.first().contains(QStringLiteral("ttyUSB0 FW NO NO NO ")));
    QCOMPARE(f.ws.context.LastUpdateOption, 1);
    QCOMPARE(f.ws.context.LastReadBack, false);
    // No echo test, no job file, and the address is not touched.
    QVERIFY(f.echo.hosts.isEmpty());
    QVERIFY(!f.jobFileExists());
    QCOMPARE(f.ws.context.settings.ipaddress, QStringLiteral("10.1.1.1"));
    QVERIFY(f.dialog->isVisible());
}

void TestTFBoot::echoFailures_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("address");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("text");
    QTest::newRow("device silent") << QByteArray() << QStringList{"10", "0", "0", "9"} << "warning" << 1036;
    QTest::newRow("answered, then silent") << QByteArray("y") << QStringList{"10", "0", "0", "9"} << "warning" << 1036;
    QTest::newRow("address not usable") << QByteArray("x") << QStringList{"", "0", "0", "9"} << "error" << 1037;
}

void TestTFBoot::echoFailures()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, address);
    QFETCH(QString, kind);
    QFETCH(int, text);

    Fixture f(1);
    f.echo.script = script;
    f.ws.context.settings.ipaddress = QStringLiteral("10.1.1.1");
    f.ws.context.LastUpdateOption = 0;
    f.dialog->show();
    f.setAddress(address);
    f.find<QComboBox>("CB_Update_Options")->setCurrentIndex(2);
    f.click("Btn_Update");

    QCOMPARE(f.echo.hosts.first(), address.join('.'));
    QCOMPARE(f.ws.messages.count(), 1);
    QCOMPARE(f.ws.messages.lastKind(), kind);
    QCOMPARE(f.ws.messages.last(), f.ws.context.text(text));
    QCOMPARE(f.ws.context.settings.ipaddress, QStringLiteral("10.1.1.1"));
    QCOMPARE(f.ws.context.LastUpdateOption, 0);
    QVERIFY(!f.jobFileExists());
    QVERIFY(f.launcher.starts.isEmpty());
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(f.address(), address);
}

void TestTFBoot::ethernetUpdateAfterAnswer()
{
    Fixture f(1);
    f.echo.script = "yy";
    f.dialog->show();
    f.setAddress({"10", " 0", "0", "7"});
    f.find<QComboBox>("CB_Update_Options")->setCurrentIndex(2);
    f.find<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(false);
    f.click("Btn_Update");

    QCOMPARE(f.echo.hosts, (QStringList{"10. 0.0.7", "10. 0.0.7"}));
    QCOMPARE(f.ws.messages.count(), 0);
    QCOMPARE(f.ws.context.settings.ipaddress, QStringLiteral("10. 0.0.7"));
    QCOMPARE(f.ws.context.LastUpdateOption, 2);
    QCOMPARE(f.ws.context.LastReadBack, false);
    const QByteArray job = TestWorkspace::readFile(UpdateJob::jobFilePath(f.ws.context.paths));
    QCOMPARE(job, ProjectDocument::toBytes(UpdateJob::buildJobFile(f.ws.context.paths, "10. 0.0.7", 2, false)));
    QCOMPARE(f.launcher.starts, QStringList{UpdateJob::ethernetUpdaterPath(f.ws.context.paths) + "||shown"});
    QVERIFY(f.dialog->isVisible());
}

void TestTFBoot::secondPressDuringEchoDoesNothing()
{
    Fixture f(1);
    f.echo.script = "yy";
    f.dialog->show();
    auto *update = f.find<QPushButton>("Btn_Update");
    // The press arrives while the test pauses between two requests.
    bool inputsLocked = false;
    f.echo.onFirstRequest = [&] {
        inputsLocked = !f.ip(4)->isEnabled() && !f.find<QComboBox>("CB_Update_Options")->isEnabled() &&
                       !f.find<QCheckBox>("CB_Update_Option_Read_Back")->isEnabled();
        QTimer::singleShot(0, update, [update] { update->click(); });
    };
    update->click();
    QVERIFY(inputsLocked);
    QVERIFY(f.ip(4)->isEnabled());
    QCOMPARE(f.echo.hosts.size(), 2);
    QCOMPARE(f.launcher.starts.size(), 1);
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestTFBoot::closedDuringEchoStartsNothing()
{
    Fixture f(1);
    f.echo.script = "yy";
    f.ws.context.settings.ipaddress = QStringLiteral("10.1.1.1");
    f.ws.context.LastReadBack = true;
    f.dialog->show();
    f.find<QCheckBox>("CB_Update_Option_Read_Back")->setChecked(false);
    f.ip(4)->setText(QStringLiteral("2"));
    auto *cancel = f.find<QPushButton>("Btn_Cancel");
    f.echo.onFirstRequest = [cancel] { QTimer::singleShot(0, cancel, [cancel] { cancel->click(); }); };
    f.click("Btn_Update");

    QVERIFY(!f.dialog->isVisible());
    QVERIFY(f.launcher.starts.isEmpty());
    QVERIFY(!f.jobFileExists());
    QCOMPARE(f.ws.context.settings.ipaddress, QStringLiteral("10.1.1.1"));
    QCOMPARE(f.ws.context.LastReadBack, true);
    QCOMPARE(f.ws.messages.count(), 0);
}

void TestTFBoot::unwritableJobFileStopsTheUpdate()
{
    Fixture f(1);
    f.echo.script = "yy";
    QVERIFY(QDir(f.ws.dir.path()).mkdir(QStringLiteral("Ethernet_Update.xml")));
    f.dialog->show();
    f.click("Btn_Update");
    QCOMPARE(f.ws.messages.count(), 1);
    QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("error"));
    QVERIFY(f.ws.messages.last().contains(QStringLiteral("Ethernet_Update.xml")));
    QVERIFY(f.launcher.starts.isEmpty());
    QVERIFY(f.dialog->isVisible());
}

QTEST_MAIN(TestTFBoot)
#include "tst_tfboot.moc"
