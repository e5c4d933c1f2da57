#include "AddressFieldChain.h"

#include <QKeyEvent>
#include <QLineEdit>

AddressFieldChain::AddressFieldChain(QObject *parent)
    : QObject(parent)
{}

void AddressFieldChain::append(QLineEdit *field)
{
    m_fields.append(field);
    field->installEventFilter(this);
}

bool AddressFieldChain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->text() != QLatin1String("."))
        return false;
    const int at = m_fields.indexOf(static_cast<QLineEdit *>(watched));
    if (at < 0)
        return false;
    if (at + 1 < m_fields.size()) {
        QLineEdit *next = m_fields.at(at + 1);
        if (next->isEnabled() && next->isVisible()) {
            next->setFocus(Qt::TabFocusReason);
            next->selectAll();
        }
    }
    return true;
}
