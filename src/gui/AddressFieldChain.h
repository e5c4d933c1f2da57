#pragma once

#include <QList>
#include <QObject>

class QLineEdit;

// The "." key in a chain of address fields: the point is never typed; it moves the focus to the
// next field (when that one can take it), whose whole text is then selected so typing replaces it.
// In the last field the point is simply dropped.
class AddressFieldChain : public QObject
{
    Q_OBJECT
public:
    explicit AddressFieldChain(QObject *parent);
    void append(QLineEdit *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QLineEdit *> m_fields;
};
