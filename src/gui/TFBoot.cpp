#include "TFBoot.h"

TFBoot::TFBoot(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFBoot"));
    Set_Lang();
}

void TFBoot::Set_Lang()
{
}
