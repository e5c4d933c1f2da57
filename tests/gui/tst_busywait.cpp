// Input made while the program waits on something outside it (an updater, the echo test, the version
// service) is thrown away, never delivered afterwards; the windows repaint and show the busy cursor.
#include "TFBoot.h"
#include "TFSoftOptions.h"
#include "TestWorkspace.h"
#include "UserInputDiscarder.h"
#include "update/UpdateJob.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QWheelEvent>
#include <QtTest>

namespace {

// What a user does in the middle of a wait: clicks the button that started it (directly and as
// events still queued), and presses Escape.
void actLikeAnImpatientUser(QWidget *window, QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyClick(window, Qt::Key_Escape);
    const QPointF centre = QRectF(button->rect()).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(button, new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                                            Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
}

// Counts the events of one type that reach it.
class EventCounter : public QWidget
{
public:
    explicit EventCounter(QEvent::Type type)
        : m_type(type)
    {}
    int received = 0;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == m_type)
            ++received;
        return QWidget::event(e);
    }

private:
    QEvent::Type m_type;
};

using EventMaker = std::function<QEvent *()>;

} // namespace

Q_DECLARE_METATYPE(EventMaker)

namespace {

// A stand-in updater that runs for a few polls; the user acts during its first one.
class StandInLauncher : public ProgramLauncher
{
public:
    int starts = 0;
    bool startable = true;
    int pollsLeft = 0;
    std::function<void()> onFirstPoll;
    Qt::CursorShape cursorMeanwhile = Qt::ArrowCursor;

    bool start(const QString &, const QStringList &, bool) override
    {
        if (!startable)
            return false;
        ++starts;
        pollsLeft = 5;
        return true;
    }
    bool isRunning() override
    {
        if (pollsLeft == 5) {
            if (const QCursor *c = QApplication::overrideCursor())
                cursorMeanwhile = c->shape();
            if (onFirstPoll)
                onFirstPoll();
        }
        return pollsLeft-- > 0;
    }
};

class AnsweringEcho : public IcmpEcho
{
public:
    std::function<void()> onFirstRequest;
    int requests = 0;
    Reply echo(const QString &, const QByteArray &data, int) override
    {
        if (++requests == 1 && onFirstRequest)
            onFirstRequest();
        Reply reply;
        reply.sent = true;
        reply.bytesReceived = int(data.size()) + 8;
        return reply;
    }
};

class Ports : public SerialPorts
{
public:
    QStringList names;
    QStringList portNames() override { return names; }
};

// Counts paint events: the windows must repaint while input is thrown away.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class StandInHttp : public HttpClient
{
public:
    int requests = 0;
    std::function<void()> during;
    std::optional<QByteArray> get(const QString &, quint16, const QString &, const Headers &, int, qint64) override
    {
        ++requests;
        if (during)
            during();
        return QByteArray("VER. 2.004");
    }
};

struct BootFixture
{
    TestWorkspace ws;
    StandInLauncher launcher;
    AnsweringEcho echo;
    Ports ports;
    TFBoot dialog{ws.context};

    explicit BootFixture(int formType)
    {
        ws.makeProject(QStringLiteral("Plant"));
        ws.context.platform.launcher = &launcher;
        ws.context.platform.echo = &echo;
        ws.context.platform.serialPorts = &ports;
        ports.names = {QStringLiteral("ttyS0")};
        dialog.Form_Type = formType;
        EchoTest::Limits quick;
        quick.overallMs = 60;
        dialog.setEchoLimits(quick);
    }
    QPushButton *button(const char *name) { return dialog.findChild<QPushButton *>(QLatin1String(name)); }
};

} // namespace

class TestBusyWait : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void inputDuringTheUpdaterIsDiscarded_data();
    void inputDuringTheUpdaterIsDiscarded();
    void inputDuringTheEchoTestIsDiscarded();
    void eventsDuringAWait_data();
    void eventsDuringAWait();
    void updaterThatCannotStartIsReported();
    void serialUpdateNeedsAPort_data();
    void serialUpdateNeedsAPort();
    void versionCheckOnDemandIsOneRequest();
};

void TestBusyWait::inputDuringTheUpdaterIsDiscarded_data()
{
    QTest::addColumn<int>("formType");
    QTest::newRow("serial") << 0;
    QTest::newRow("ethernet") << 1;
}

void TestBusyWait::inputDuringTheUpdaterIsDiscarded()
{
    QFETCH(int, formType);
    BootFixture f(formType);
    f.dialog.show();
    PaintCounter painted;
    f.dialog.installEventFilter(&painted);
    QPushButton *execute = f.button("Btn_Update");
    int paintsDuringWait = 0;
    f.launcher.onFirstPoll = [&] {
        actLikeAnImpatientUser(&f.dialog, execute);
        f.dialog.update();
    };
    execute->click();
    paintsDuringWait = painted.paints;

    QCOMPARE(f.launcher.starts, 1);
    QCOMPARE(f.launcher.cursorMeanwhile, Qt::WaitCursor);
    QVERIFY(paintsDuringWait > 0);
    QVERIFY(!QApplication::overrideCursor());
    // Nothing held back fires later either.
    QTest::qWait(50);
    QCoreApplication::processEvents();
    QCOMPARE(f.launcher.starts, 1);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.ws.messages.count(), 0);
    // Input works again once the wait is over.
    QTest::mouseClick(execute, Qt::LeftButton);
    QCOMPARE(f.launcher.starts, 2);
}

void TestBusyWait::inputDuringTheEchoTestIsDiscarded()
{
    BootFixture f(1);
    f.dialog.show();
    Qt::CursorShape cursor = Qt::ArrowCursor;
    f.echo.onFirstRequest = [&] {
        if (const QCursor *c = QApplication::overrideCursor())
            cursor = c->shape();
        QTest::mouseClick(f.button("Btn_Cancel"), Qt::LeftButton);
        actLikeAnImpatientUser(&f.dialog, f.button("Btn_Update"));
    };
    f.button("Btn_Update")->click();
    QCoreApplication::processEvents();
    QCOMPARE(cursor, Qt::WaitCursor);
    QCOMPARE(f.launcher.starts, 1);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.ws.messages.count(), 0);
}

// Every kind of input is thrown away while the wait lasts and reaches the window again after it;
// what the window system itself sends (painting, timers) goes through all along.
void TestBusyWait::eventsDuringAWait_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<EventMaker>("make");
    QTest::addColumn<bool>("discarded");
    const QPointF at(5, 5);
    const auto mouse = [at](QEvent::Type type) {
        return [at, type]() -> QEvent * {
            return new QMouseEvent(type, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        };
    };
    const auto key = [](QEvent::Type type) {
        return [type]() -> QEvent * { return new QKeyEvent(type, Qt::Key_Return, Qt::NoModifier); };
    };
    QTest::newRow("press") << int(QEvent::MouseButtonPress) << EventMaker(mouse(QEvent::MouseButtonPress)) << true;
    QTest::newRow("release") << int(QEvent::MouseButtonRelease) << EventMaker(mouse(QEvent::MouseButtonRelease))
                             << true;
    QTest::newRow("double click") << int(QEvent::MouseButtonDblClick) << EventMaker(mouse(QEvent::MouseButtonDblClick))
                                  << true;
    QTest::newRow("wheel") << int(QEvent::Wheel) << EventMaker([at]() -> QEvent * {
        return new QWheelEvent(at, at, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                               false);
    }) << true;
    QTest::newRow("key press") << int(QEvent::KeyPress) << EventMaker(key(QEvent::KeyPress)) << true;
    QTest::newRow("key release") << int(QEvent::KeyRelease) << EventMaker(key(QEvent::KeyRelease)) << true;
    QTest::newRow("context menu") << int(QEvent::ContextMenu) << EventMaker([]() -> QEvent * {
        return new QContextMenuEvent(QContextMenuEvent::Keyboard, QPoint(5, 5));
    }) << true;
    QTest::newRow("paint") << int(QEvent::Paint)
                           << EventMaker([]() -> QEvent * { return new QPaintEvent(QRect(0, 0, 5, 5)); }) << false;
    QTest::newRow("timer") << int(QEvent::Timer) << EventMaker([]() -> QEvent * { return new QTimerEvent(1); })
                           << false;
}

void TestBusyWait::eventsDuringAWait()
{
    QFETCH(int, type);
    QFETCH(EventMaker, make);
    QFETCH(bool, discarded);
    EventCounter window{QEvent::Type(type)};
    window.resize(20, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.received = 0;
    {
        const UserInputDiscarder waiting;
        std::unique_ptr<QEvent> event(make());
        QCoreApplication::sendEvent(&window, event.get());
        QCOMPARE(window.received, discarded ? 0 : 1);
    }
    std::unique_ptr<QEvent> after(make());
    QCoreApplication::sendEvent(&window, after.get());
    QCOMPARE(window.received, discarded ? 1 : 2);
}

void TestBusyWait::updaterThatCannotStartIsReported()
{
    for (int formType : {0, 1}) {
        BootFixture f(formType);
        f.launcher.startable = false;
        f.dialog.show();
        f.button("Btn_Update")->click();
        const QString program =
            QDir::toNativeSeparators(formType == 1 ? UpdateJob::ethernetUpdaterPath(f.ws.context.paths)
                                                   : UpdateJob::serialUpdaterPath(f.ws.context.paths));
        QCOMPARE(f.ws.messages.texts(),
                 QStringList{"Cannot start the update program " + program + "\nIt was looked for in " +
                             QDir::toNativeSeparators(f.ws.context.paths.ProgramFolder) + ". The file is not there."});
        QCOMPARE(f.ws.messages.lastKind(), QStringLiteral("error"));
        QVERIFY(f.dialog.isVisible());
    }
}

void TestBusyWait::serialUpdateNeedsAPort_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<int>("selected");
    QTest::newRow("no port in the list") << QStringList() << -1;
    QTest::newRow("none selected") << QStringList{"ttyS0", "ttyS1"} << -1;
}

void TestBusyWait::serialUpdateNeedsAPort()
{
    QFETCH(QStringList, ports);
    QFETCH(int, selected);
    BootFixture f(0);
    f.ports.names = ports;
    f.dialog.show();
    f.dialog.findChild<QComboBox *>(QStringLiteral("CB_COM_Port"))->setCurrentIndex(selected);
    f.button("Btn_Update")->click();
    QCOMPARE(f.launcher.starts, 0);
    QCOMPARE(f.ws.messages.texts(),
             QStringList{"No COM Port selected: connect the device and update the COM Ports List"});
}

void TestBusyWait::versionCheckOnDemandIsOneRequest()
{
    TestWorkspace ws;
    StandInHttp http;
    ws.context.platform.http = &http;
    ws.context.settings.enable_internet = true;
    ws.context.settings.enable_update = true;
    TFSoftOptions dialog(ws.context);
    dialog.show();
    auto *check = dialog.findChild<QPushButton *>(QStringLiteral("Btn_Check_Update"));
    bool enabledMeanwhile = true;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    http.during = [&] {
        enabledMeanwhile = check->isEnabled();
        if (const QCursor *c = QApplication::overrideCursor())
            cursor = c->shape();
        actLikeAnImpatientUser(&dialog, check);
    };
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(http.requests, 1);
    QVERIFY(!enabledMeanwhile);
    QCOMPARE(cursor, Qt::WaitCursor);
    QVERIFY(check->isEnabled());
    QVERIFY(dialog.isVisible());
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestBusyWait)
#include "tst_busywait.moc"
