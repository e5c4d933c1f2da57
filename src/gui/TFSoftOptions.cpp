#include "TFSoftOptions.h"

TFSoftOptions::TFSoftOptions(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFSoftOptions"));
    Set_Lang();
}

void TFSoftOptions::Set_Lang()
{
}
