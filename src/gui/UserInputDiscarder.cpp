#include "UserInputDiscarder.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>

UserInputDiscarder::UserInputDiscarder()
{
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

UserInputDiscarder::~UserInputDiscarder()
{
    // Input the window system delivers only now was still made during the wait.
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
}

bool UserInputDiscarder::isUserInput(int eventType)
{
    switch (eventType) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
    case QEvent::Gesture:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

bool UserInputDiscarder::eventFilter(QObject *watched, QEvent *event)
{
    if (isUserInput(event->type()))
        return true;
    return QObject::eventFilter(watched, event);
}
