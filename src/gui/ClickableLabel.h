#pragma once

#include <QLabel>

// A label that answers a click, such as the maker's web address.
class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Makes the label a Tab stop that Space or Enter activates like a click, with a focus frame.
    void setKeyboardActivation(bool on);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
