#include "TFParGen.h"

TFParGen::TFParGen(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFParGen"));
    Set_Lang();
}

void TFParGen::Set_Lang()
{
}
