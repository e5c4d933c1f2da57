#include "QtMessages.h"

#include "base/ProductIdentity.h"

#include <QApplication>
#include <QMessageBox>

void QtMessages::error(const QString &text)
{
    QMessageBox::critical(QApplication::activeWindow(), Product::SoftwareCode, text);
}

void QtMessages::warning(const QString &text)
{
    QMessageBox::warning(QApplication::activeWindow(), Product::SoftwareCode, text);
}

bool QtMessages::question(const QString &text)
{
    return QMessageBox::question(QApplication::activeWindow(), Product::SoftwareCode, text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

Messages::Answer QtMessages::questionWithCancel(const QString &text)
{
    switch (QMessageBox::question(QApplication::activeWindow(), Product::SoftwareCode, text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}
