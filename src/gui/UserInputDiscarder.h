#pragma once

#include <QObject>

// While it lives, every user input to the application (mouse, keys, wheel, touch, tablet, shortcuts,
// context menus, drag and drop) is thrown away, and the busy cursor shows; the windows still repaint
// and timers still run. For the moments when the program waits on something outside it (an updater,
// the echo test, the version service) and keeps the windows alive with processEvents: holding the
// input back instead (QEventLoop::ExcludeUserInputEvents) would only deliver it later, so that a
// click made during the wait starts the same command again once it ends.
class UserInputDiscarder : public QObject
{
    Q_OBJECT
public:
    UserInputDiscarder();
    // Input that is still queued is discarded too before the filter goes.
    ~UserInputDiscarder() override;

    static bool isUserInput(int eventType);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
