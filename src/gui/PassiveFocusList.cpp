#include "PassiveFocusList.h"

#include <QFocusEvent>
#include <QSignalBlocker>

void PassiveFocusList::focusInEvent(QFocusEvent *event)
{
    if (currentRow() >= 0) {
        QListWidget::focusInEvent(event);
        return;
    }
    // The view picks a current item on focus by itself; it is put back unnoticed.
    const QSignalBlocker blocker(this);
    QListWidget::focusInEvent(event);
    if (currentRow() >= 0)
        setCurrentRow(-1);
}
