#include "TFDefineModbusRegs.h"

TFDefineModbusRegs::TFDefineModbusRegs(AppContext &context, QWidget *parent)
    : DialogBase(context, parent)
{
    setObjectName(QStringLiteral("TFDefineModbusRegs"));
    Set_Lang();
}

void TFDefineModbusRegs::Set_Lang()
{
}
