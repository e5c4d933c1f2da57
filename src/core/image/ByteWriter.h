#pragma once

#include <QtGlobal>

// Little-endian writes into a preallocated buffer; a value keeps the low bits that fit its field.
inline void putU8(uchar *at, quint32 value)
{
    at[0] = uchar(value);
}
inline void putU16(uchar *at, quint32 value)
{
    at[0] = uchar(value);
    at[1] = uchar(value >> 8);
}
inline void putU32(uchar *at, quint32 value)
{
    at[0] = uchar(value);
    at[1] = uchar(value >> 8);
    at[2] = uchar(value >> 16);
    at[3] = uchar(value >> 24);
}
inline quint32 getU16(const uchar *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8;
}
inline quint32 getU32(const uchar *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
}
