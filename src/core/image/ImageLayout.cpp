#include "ImageLayout.h"

namespace {

QString bitRateOfCode(quint32 code)
{
    switch (code) {
    case 0:
        return QStringLiteral("125000 bit/s");
    case 1:
        return QStringLiteral("250000 bit/s");
    case 2:
        return QStringLiteral("500000 bit/s");
    default:
        return QStringLiteral("unknown code");
    }
}

} // namespace

quint32 readNumber(const uchar *at, int width)
{
    switch (width) {
    case 1:
        return at[0];
    case 2:
        return getU16(at);
    default:
        return getU32(at);
    }
}

QString formatField(const uchar *record, int offset, int width, FieldFormat format)
{
    const uchar *at = record + offset;
    const quint32 value = readNumber(at, width);
    switch (format) {
    case FieldFormat::Decimal:
        return QString::number(value);
    case FieldFormat::Hex:
        return QStringLiteral("0x") + QString::number(value, 16).toUpper();
    case FieldFormat::Dotted:
        return QStringLiteral("%1.%2.%3.%4").arg(at[0]).arg(at[1]).arg(at[2]).arg(at[3]);
    case FieldFormat::Bytes: {
        QString text;
        for (int i = 0; i < width; ++i)
            text += (i ? QStringLiteral(" ") : QString()) + QString::number(at[i]);
        return text;
    }
    case FieldFormat::BitRate:
        return QString::number(value) + QStringLiteral(" bit/s");
    case FieldFormat::BitRateCode:
        return QStringLiteral("%1 (%2)").arg(value).arg(bitRateOfCode(value));
    case FieldFormat::GatewayFlag:
        return QString::number(value) +
               (value ? QStringLiteral(" (gateway enabled)") : QStringLiteral(" (gateway disabled)"));
    case FieldFormat::Milliseconds:
        return QString::number(value) + QStringLiteral(" ms");
    }
    return QString::number(value);
}
