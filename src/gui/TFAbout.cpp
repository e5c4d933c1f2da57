#include "TFAbout.h"

TFAbout::TFAbout(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFAbout"));
    Set_Lang();
}

void TFAbout::Set_Lang()
{
}
