#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Acts on the modal dialog that is about to run: the action runs once exec() has started. A dialog
// the action leaves open (a failed check returns early) is rejected, so a test never hangs. With a scope,
// an action whose dialog never opened dies with the scope instead of acting on the next test's dialog.
inline void whenModal(QObject *scope, std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, scope, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        action(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal); dialog && dialog->isVisible())
            dialog->reject();
    });
}

inline void whenModal(std::function<void(QWidget *)> action)
{
    whenModal(qApp, std::move(action));
}
