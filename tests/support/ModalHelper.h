#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Acts on the modal dialog that is about to run: the action runs once exec() has started.
inline void whenModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        action(modal);
    });
}
