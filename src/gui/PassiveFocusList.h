#pragma once

#include <QListWidget>

// A list whose items are chosen only by the user: taking the keyboard focus (Tab) does not make its
// first item the current one. A list that loads an editor from its current item would otherwise
// overwrite what the user had just typed there merely because the focus passed through.
class PassiveFocusList : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent *event) override;
};
