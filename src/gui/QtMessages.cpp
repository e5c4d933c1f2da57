#include "QtMessages.h"

#include "base/ProductIdentity.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>

namespace {

// Room the box needs beside its text: the icon, the margins and the frame.
constexpr int BesideText = 120;

// A number stays with the word before and after it ("byte 5", "4 bytes"): wrapping never leaves it alone
// at the start of a line.
QString keepNumbersWithTheirWords(QString text)
{
    static const QRegularExpression spaceAtNumber(QStringLiteral("(?<=\\S) (?=\\d)|(?<=\\d) (?=\\S)"));
    return text.replace(spaceAtNumber, QString(QChar(0x00A0)));
}

QMessageBox::StandardButton show(QMessageBox::Icon icon, const QString &text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, Product::SoftwareCode, keepNumbersWithTheirWords(text), buttons,
                    QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    // Each line of a message is one statement: the box is as wide as its longest line where the screen
    // has room (Qt's own limit is narrower, and a wrapped line can leave its last word alone).
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        int longest = 0;
        for (const QString &line : box.text().split(QLatin1Char('\n')))
            longest = std::max(longest, label->fontMetrics().horizontalAdvance(line) + 4);
        const QScreen *screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
        const int room = screen ? screen->availableGeometry().width() * 9 / 10 - BesideText : longest;
        label->setMinimumWidth(std::min(longest, room));
    }
    return QMessageBox::StandardButton(box.exec());
}

} // namespace

void QtMessages::error(const QString &text)
{
    show(QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessages::warning(const QString &text)
{
    show(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessages::question(const QString &text)
{
    return show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

Messages::Answer QtMessages::questionWithCancel(const QString &text)
{
    switch (show(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                 QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}
