#pragma once

#include "DialogBase.h"

class ClickableLabel;

// The product's identity. Its texts are fixed: they do not change with the language.
class TFAbout : public DialogBase
{
    Q_OBJECT
public:
    explicit TFAbout(AppContext &context, QWidget *parent = nullptr);
    void Set_Lang() override;

    // The product picture, drawn here so that the program needs no picture file for it.
    static QPixmap productPicture();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *makeLabel(const QString &name, const QString &text, int left, int top);
    void openHomePage();

    ClickableLabel *Image2;
    QLabel *Label2;
    QLabel *Label9;
    QLabel *Label10;
    QLabel *Label12;
    ClickableLabel *Label4;
};
