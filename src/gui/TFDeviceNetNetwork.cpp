#include "TFDeviceNetNetwork.h"

TFDeviceNetNetwork::TFDeviceNetNetwork(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFDeviceNetNetwork"));
    Set_Lang();
}

void TFDeviceNetNetwork::Set_Lang()
{
}
