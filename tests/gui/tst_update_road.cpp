#include "AppWindows.h"
#include "ModalHelper.h"
#include "PlatformServices.h"
#include "Portable.h"
#include "TFBoot.h"
#include "TFFabricoreFirmWare.h"
#include "TestWorkspace.h"
#include "base/ConfigurationLock.h"
#include "documents/ProjectDocument.h"
#include "update/UpdateJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The real echo and launcher, and the whole road from the main window's update buttons to a
// stand-in updater that records its arguments and the job file it found. Echo requests go to
// 127.0.0.1 only; unusable addresses are refused before anything is sent.
namespace {

class FakeSerialPorts : public SerialPorts
{
public:
    QStringList names{QStringLiteral("ttyS0"), QStringLiteral("ttyUSB1")};
    QStringList portNames() override { return names; }
};

// A script on Linux; on Windows a program of its own (a script is no program there).
QString standIn()
{
#ifdef Q_OS_WIN
    return QStringLiteral(SW_STAND_IN_UPDATER);
#else
    return QStringLiteral(SW_TEST_DATA "/update/stand_in_updater.sh");
#endif
}

// Places the stand-in under the given name; false when it cannot be made executable.
bool placeUpdater(const QString &folder, const QString &name)
{
    const QString target = QDir(folder).filePath(name);
    QFile::remove(target);
    return QFile::copy(standIn(), target) &&
           QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QStringList lines(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<missing>")};
    QString text = QString::fromUtf8(f.readAll());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList{} : text.split(QLatin1Char('\n'));
}

bool echoForbiddenHere(const IcmpEcho::Reply &reply)
{
    return !reply.sent && reply.error.startsWith(QStringLiteral("No ICMP socket"));
}

// The main window with every dialog, on the real echo and launcher.
struct Road
{
    TestWorkspace ws;
    std::unique_ptr<IcmpEcho> echo = createIcmpEcho();
    std::unique_ptr<ProgramLauncher> launcher = createProgramLauncher();
    FakeSerialPorts ports;
    std::unique_ptr<AppWindows> windows;

    Road()
    {
        ws.context.platform.echo = echo.get();
        ws.context.platform.launcher = launcher.get();
        ws.context.platform.serialPorts = &ports;
        windows = std::make_unique<AppWindows>(ws.context);
        // Start-up has read the (missing) settings file; what the test needs comes after it.
        ws.context.settings.ipaddress = QStringLiteral("127.0.0.1");
        ws.makeProject(QStringLiteral("Road"));
    }
    QString program(const QString &name) const { return ws.path(name); }

    // Presses the main window's button; act runs in the update dialog while it is open, then
    // the dialog is closed with Cancel.
    void press(const char *button, const std::function<void(TFBoot *)> &act)
    {
        bool opened = false;
        QObject scope; // a dialog that does not open leaves no action behind
        whenModal(&scope, [&](QWidget *modal) {
            auto *boot = qobject_cast<TFBoot *>(modal);
            if (!boot)
                return;
            opened = true;
            act(boot);
            QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Cancel")), Qt::LeftButton);
        });
        QTest::mouseClick(windows->mainWindow()->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        QVERIFY2(opened, qPrintable(QStringLiteral("the update dialog did not open: ") + ws.messages.texts().join(" | ")));
    }
};

} // namespace

class TestUpdateRoad : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void realEchoToLoopback();
    void realEchoRefusesUnusableAddresses_data();
    void realEchoRefusesUnusableAddresses();
    void launcherPassesEachArgumentAsGiven();
    void launcherRefusesWhatCannotRun();
    void startedProgramOutlivesTheLauncher();
    void ethernetRoad();
    void serialRoad_data();
    void serialRoad();
    void updaterOutlivingTheWaitLetsTheDialogGoOn();
    void missingUpdaterIsReported_data();
    void missingUpdaterIsReported();
    void emptyAddressPartIsAnAddressError();
    void updateWaitsForTheConfigurationLock();
    void registersPastTheirSlavesBytesAsk_data();
    void registersPastTheirSlavesBytesAsk();
};

void TestUpdateRoad::realEchoToLoopback()
{
    auto echo = createIcmpEcho();
    const QByteArray data("127.0.0.1");
    const IcmpEcho::Reply reply = echo->echo(QStringLiteral("127.0.0.1"), data, 400);
    if (echoForbiddenHere(reply))
        QSKIP(qPrintable(QStringLiteral("neither an ICMP datagram nor a raw socket may be opened here "
                                        "(net.ipv4.ping_group_range, CAP_NET_RAW): ") +
                         reply.error));
    QVERIFY2(reply.sent, qPrintable(reply.error));
    QCOMPARE(reply.bytesReceived, 8 + int(data.size()));
}

void TestUpdateRoad::realEchoRefusesUnusableAddresses_data()
{
    QTest::addColumn<QString>("host");
    QTest::newRow("empty") << "";
    QTest::newRow("empty parts") << "...";
    QTest::newRow("empty first part") << ".0.0.1";
    QTest::newRow("part above 255") << "127.0.0.256";
    // A name is never looked up: nothing leaves the machine for it.
    QTest::newRow("letters") << "a.b.c.d";
}

void TestUpdateRoad::realEchoRefusesUnusableAddresses()
{
    QFETCH(QString, host);
    const IcmpEcho::Reply reply = createIcmpEcho()->echo(host, host.toUtf8(), 400);
    QVERIFY(!reply.sent);
    QCOMPARE(reply.bytesReceived, 0);
    QVERIFY(!reply.error.isEmpty());
}

void TestUpdateRoad::launcherPassesEachArgumentAsGiven()
{
    TestWorkspace ws;
    QVERIFY(placeUpdater(ws.programFolder(), QStringLiteral("tool.exe")));
    auto launcher = createProgramLauncher();
    QVERIFY(!launcher->isRunning());
    const QStringList arguments{"FW", "", "a b", "x\" --erase-all \"y", "C:\\p q\\bin\\", "\\\"", "$HOME", "*"};
    QVERIFY(launcher->start(ws.path(QStringLiteral("tool.exe")), arguments, false));
    QTRY_VERIFY_WITH_TIMEOUT(!launcher->isRunning(), 10000);
    QCOMPARE(lines(ws.path(QStringLiteral("args-tool.exe.txt"))), arguments);
}

void TestUpdateRoad::launcherRefusesWhatCannotRun()
{
    TestWorkspace ws;
    auto launcher = createProgramLauncher();
    QVERIFY(!launcher->start(ws.path(QStringLiteral("missing.exe")), {}, false));
    // No program, in any format (Wine would run a Unix script, whatever its name).
    TestWorkspace::writeFile(ws.path(QStringLiteral("plain.exe")), "not a program\n");
    QVERIFY(!launcher->start(ws.path(QStringLiteral("plain.exe")), {}, false));
    QVERIFY(!launcher->isRunning());
}

void TestUpdateRoad::startedProgramOutlivesTheLauncher()
{
    TestWorkspace ws;
    QVERIFY(placeUpdater(ws.programFolder(), QStringLiteral("slow.exe")));
    TestWorkspace::writeFile(ws.path(QStringLiteral("updater-sleep")), "1");
    {
        auto launcher = createProgramLauncher();
        QVERIFY(launcher->start(ws.path(QStringLiteral("slow.exe")), {}, true));
        QVERIFY(launcher->isRunning());
    }
    // Destroying the launcher stopped nothing: the program still finishes its work.
    QVERIFY(!QFile::exists(ws.path(QStringLiteral("done-slow.exe"))));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(ws.path(QStringLiteral("done-slow.exe"))), 10000);
}

void TestUpdateRoad::ethernetRoad()
{
    Road road;
    QVERIFY(placeUpdater(road.ws.programFolder(), UpdateJob::EthernetUpdaterName));
    const IcmpEcho::Reply probe = road.echo->echo(QStringLiteral("127.0.0.1"), "127.0.0.1", 400);
    if (echoForbiddenHere(probe))
        QSKIP(qPrintable(QStringLiteral("no ICMP socket may be opened here: ") + probe.error));

    road.ws.context.LastUpdateOption = 0;
    road.ws.context.LastReadBack = true;
    StartProgramWait::Outcome outcome = StartProgramWait::Outcome::NotStarted;
    road.press("Btn_CreateBin", [&](TFBoot *boot) {
        QCOMPARE(boot->findChild<QLineEdit *>(QStringLiteral("E_IP1"))->text(), QStringLiteral("127"));
        QCOMPARE(boot->findChild<QLineEdit *>(QStringLiteral("E_IP4"))->text(), QStringLiteral("1"));
        boot->findChild<QComboBox *>(QStringLiteral("CB_Update_Options"))->setCurrentIndex(1);
        boot->findChild<QCheckBox *>(QStringLiteral("CB_Update_Option_Read_Back"))->setChecked(false);
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        outcome = boot->lastLaunchOutcome();
        QCOMPARE(boot->ping_res, 1);
    });

    QCOMPARE(road.ws.messages.texts(), QStringList{});
    QCOMPARE(int(outcome), int(StartProgramWait::Outcome::Ended));
    // Started without arguments, after the job file was written beside it.
    QCOMPARE(lines(road.program(QStringLiteral("args-Ethernet_Update.exe.txt"))), QStringList{});
    const QByteArray job = TestWorkspace::readFile(road.program(QStringLiteral("job-copy.xml")));
    QCOMPARE(job, ProjectDocument::toBytes(UpdateJob::buildJobFile(road.ws.context.paths, "127.0.0.1", 1, false)));
    QCOMPARE(road.ws.context.settings.ipaddress, QStringLiteral("127.0.0.1"));
    QCOMPARE(road.ws.context.LastUpdateOption, 1);
    QCOMPARE(road.ws.context.LastReadBack, false);
}

void TestUpdateRoad::serialRoad_data()
{
    QTest::addColumn<QString>("project");
    QTest::newRow("plain name") << "Road";
#ifdef Q_OS_WIN
    // Folder names Windows allows: each path still reaches the updater as one argument, the bin
    // folder's trailing backslash does not swallow the closing quote, and the shell's characters
    // stay plain text.
    QTest::newRow("blanks") << "Line A  2";
    QTest::newRow("shell characters") << "a&b^c%PATH%(1);e,f=g!";
    QTest::newRow("letters beyond Latin-1") << QString::fromUtf8("Prüfstand Ωmega 検査");
    QTest::newRow("leading blank") << " x";
#else
    // Folder names Linux allows: each path still reaches the updater as one argument.
    QTest::newRow("quotes that would end the argument") << "x\" --erase-all \"y";
    QTest::newRow("blanks and backslashes") << "a b\\ \\";
#endif
}

void TestUpdateRoad::serialRoad()
{
    QFETCH(QString, project);
    Road road;
    road.ws.makeProject(project);
    QVERIFY(placeUpdater(road.ws.programFolder(), UpdateJob::SerialUpdaterName));
    road.press("Btn_CreateBinSer", [&](TFBoot *boot) {
        auto *ports = boot->findChild<QComboBox *>(QStringLiteral("CB_COM_Port"));
        QCOMPARE(ports->count(), 2);
        ports->setCurrentIndex(1);
        boot->findChild<QComboBox *>(QStringLiteral("CB_Update_Options"))->setCurrentIndex(2);
        boot->findChild<QCheckBox *>(QStringLiteral("CB_Update_Option_Read_Back"))->setChecked(true);
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        QVERIFY2(boot->lastLaunchOutcome() == StartProgramWait::Outcome::Ended,
                 qPrintable(road.ws.messages.texts().join(QStringLiteral(" | "))));
    });

    const WorkspacePaths &paths = road.ws.context.paths;
    QCOMPARE(road.ws.messages.texts(), QStringList{});
    QCOMPARE(lines(road.program(QStringLiteral("args-Ser_40917_Update.exe.txt"))),
             (QStringList{UpdateJob::serialDevicePath(QStringLiteral("ttyUSB1")), "NO", "NO", "PW", "PR",
                          joinPath(paths.MasterFolder, "sim40917.sim"), paths.binFolder() + QDir::separator()}));
    QVERIFY(!QFile::exists(UpdateJob::jobFilePath(paths)));
    QCOMPARE(road.ws.context.LastUpdateOption, 2);
}

void TestUpdateRoad::updaterOutlivingTheWaitLetsTheDialogGoOn()
{
    Road road;
    QVERIFY(placeUpdater(road.ws.programFolder(), UpdateJob::SerialUpdaterName));
    // Long enough that the dialog has closed before it ends, even on a slow machine (Wine).
    TestWorkspace::writeFile(road.program(QStringLiteral("updater-sleep")), "5");
    road.windows->boot()->setLaunchWaitLimit(200);
    QElapsedTimer timer;
    road.press("Btn_CreateBinSer", [&](TFBoot *boot) {
        timer.start();
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        QCOMPARE(int(boot->lastLaunchOutcome()), int(StartProgramWait::Outcome::StillRunning));
        QVERIFY(boot->isVisible());
    });
    // The dialog was closed while the updater went on; it still finishes.
    QVERIFY(!QFile::exists(road.program(QStringLiteral("done-Ser_40917_Update.exe"))));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(road.program(QStringLiteral("done-Ser_40917_Update.exe"))), 20000);
}

void TestUpdateRoad::missingUpdaterIsReported_data()
{
    QTest::addColumn<bool>("ownWorkspace"); // the workspace apart from the program's folder
    QTest::addColumn<bool>("placed");       // a file of that name beside the program, not executable
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << false << false << "The file is not there.";
    QTest::newRow("missing, workspace apart") << true << false << "The file is not there.";
    // Windows knows no permission to run: a ".exe" counts as a program until the system refuses to start it.
    QTest::newRow("not executable") << true << true
                                    << (Portable::IsWindows ? "The system did not start it."
                                                            : "The file is there but may not be run: check that it "
                                                              "is the updater and that it may be executed.");
}

void TestUpdateRoad::missingUpdaterIsReported()
{
    QFETCH(bool, ownWorkspace);
    QFETCH(bool, placed);
    QFETCH(QString, reason);
    Road road;
    WorkspacePaths &paths = road.ws.context.paths;
    if (ownWorkspace) {
        const QString workspace = road.ws.path(QStringLiteral("workspace"));
        QDir().mkpath(workspace + QStringLiteral("/PROJECTS/Road/bin"));
        paths.setWorkspace(paths.ProgramFolder, workspace);
        paths.activateProject(QStringLiteral("Road"));
    }
    if (placed)
        TestWorkspace::writeFile(joinPath(paths.ProgramFolder, UpdateJob::SerialUpdaterName), "not a program");
    road.press("Btn_CreateBinSer", [&](TFBoot *boot) {
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        QCOMPARE(int(boot->lastLaunchOutcome()), int(StartProgramWait::Outcome::NotStarted));
        QVERIFY(boot->isVisible());
        QVERIFY(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update"))->isEnabled());
    });
    // The message names the program, every place it was looked for, and why it did not start.
    const QString places =
        ownWorkspace
            ? QStringLiteral("It was looked for in %1 and in %2.")
                  .arg(QDir::toNativeSeparators(paths.WorkspaceFolder), QDir::toNativeSeparators(paths.ProgramFolder))
            : QStringLiteral("It was looked for in %1.").arg(QDir::toNativeSeparators(paths.ProgramFolder));
    QCOMPARE(road.ws.messages.texts(),
             QStringList{"Cannot start the update program " +
                         QDir::toNativeSeparators(UpdateJob::serialUpdaterPath(paths)) + "\n" + places + " " + reason});
    QCOMPARE(road.ws.messages.lastKind(), QStringLiteral("error"));
}

void TestUpdateRoad::emptyAddressPartIsAnAddressError()
{
    Road road;
    QVERIFY(placeUpdater(road.ws.programFolder(), UpdateJob::EthernetUpdaterName));
    road.press("Btn_CreateBin", [&](TFBoot *boot) {
        boot->findChild<QLineEdit *>(QStringLiteral("E_IP2"))->clear();
        QTest::mouseClick(boot->findChild<QPushButton *>(QStringLiteral("Btn_Update")), Qt::LeftButton);
        QCOMPARE(boot->ping_res, 0);
    });
    QCOMPARE(road.ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(road.ws.messages.texts(), QStringList{road.ws.context.text(1037)});
    QVERIFY(!QFile::exists(road.program(QStringLiteral("args-Ethernet_Update.exe.txt"))));
    QVERIFY(!QFile::exists(UpdateJob::jobFilePath(road.ws.context.paths)));
}

void TestUpdateRoad::registersPastTheirSlavesBytesAsk_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes updates") << true;
    QTest::newRow("no stops") << false;
}

void TestUpdateRoad::registersPastTheirSlavesBytesAsk()
{
    QFETCH(bool, answer);
    Road road;
    const WorkspacePaths &paths = road.ws.context.paths;
    // Slave 2 has 1 byte OUT and 2 IN; seven of its registers carry bytes it does not have.
    TestWorkspace::writeFile(paths.DnetNetPath, "<DNET_Net><row ID=\"3\" NB_IN=\"2\" NB_OUT=\"2\" Mnemonic=\"\"/>"
                                                "<row ID=\"8\" NB_IN=\"2\" NB_OUT=\"1\" Mnemonic=\"\"/></DNET_Net>");
    QByteArray read;
    for (int i = 0; i < 6; ++i)
        read += "<row Index=\"" + QByteArray::number(10 + i) + "\" NrDNNode=\"2\" PosComp=\"" +
                QByteArray::number(i == 0 ? 1 : 65536 * (i + 1) + 1) + "\"/>";
    TestWorkspace::writeFile(paths.DefRegPath, "<InfoMod><Modbus_Read>" + read +
                                                   "</Modbus_Read><Modbus_Write><row Index=\"20\" NrDNNode=\"2\" "
                                                   "PosComp=\"3\"/></Modbus_Write></InfoMod>");
    road.ws.messages.setNextAnswer(answer);
    if (answer)
        road.press("Btn_CreateBin", [](TFBoot *) {});
    else
        QTest::mouseClick(road.windows->mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin")),
                          Qt::LeftButton);
    QCOMPARE(road.ws.messages.shown().first().kind, QStringLiteral("question"));
    QCOMPARE(road.ws.messages.shown().first().text,
             QStringLiteral("6 Modbus Registers carry bytes that their DeviceNet Slave does not have, so the device "
                            "would serve other Slaves' bytes there:\n"
                            "Read, index 11: slave 2 (ID 8) has 1 byte, not byte 2\n"
                            "Read, index 12: slave 2 (ID 8) has 1 byte, not byte 3\n"
                            "Read, index 13: slave 2 (ID 8) has 1 byte, not byte 4\n"
                            "Read, index 14: slave 2 (ID 8) has 1 byte, not byte 5\n"
                            "Read, index 15: slave 2 (ID 8) has 1 byte, not byte 6\n"
                            "... and 1 more\n\n"
                            "Update the device anyway?"));
    QCOMPARE(QFile::exists(joinPath(paths.binFolder(), QStringLiteral("bank.bin"))), answer);
    QCOMPARE(QFile::exists(joinPath(paths.binFolder(), QStringLiteral("bank2.bin"))), answer);
}

// Update Device compiles under the configuration's lock: while another writer holds it, the update stops
// after the wait with a message naming the holder, nothing is written and the update dialog stays closed.
void TestUpdateRoad::updateWaitsForTheConfigurationLock()
{
    Road road;
    const WorkspacePaths &paths = road.ws.context.paths;
    const ConfigurationLock holder(paths.ProjectFolder, ConfigurationLock::MapChange, 0);
    bool opened = false;
    whenModal([&](QWidget *modal) {
        if (auto *boot = qobject_cast<TFBoot *>(modal)) {
            opened = true;
            boot->reject();
        }
    });
    QTest::mouseClick(road.windows->mainWindow()->findChild<QPushButton *>(QStringLiteral("Btn_CreateBin")),
                      Qt::LeftButton);
    QCoreApplication::processEvents(); // the watch for a dialog ends here, not in the next test
    QVERIFY(!opened);
    QCOMPARE(road.ws.messages.lastKind(), QStringLiteral("error"));
    QCOMPARE(road.ws.messages.texts(),
             QStringList{QDir::toNativeSeparators(paths.ProjectFolder) +
                         QStringLiteral(": another compile of this configuration is running (process %1, %2); "
                                        "nothing was written")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName())});
    QVERIFY(!QFile::exists(joinPath(paths.binFolder(), QStringLiteral("bank.bin"))));
    QVERIFY(!QFile::exists(joinPath(paths.binFolder(), QStringLiteral("bank2.bin"))));
}

QTEST_MAIN(TestUpdateRoad)
#include "tst_update_road.moc"
