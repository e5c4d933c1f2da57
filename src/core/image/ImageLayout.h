#pragma once

#include "ByteWriter.h"

#include <QString>
#include <QtGlobal>

#include <cstring>

// The byte layout of every record of bank.bin and bank2.bin, each written down once: the serialisers
// write a record by walking its table, `SW40917-cli dump` decodes it by walking the same table, and
// the golden checks name fields from it. A field added to a table is therefore written, decoded and
// checkable at once. Multi-byte numbers are little-endian; a value keeps the low bits that fit.

// How a field's value reads in a dump.
enum class FieldFormat {
    Decimal,     // 502
    Hex,         // 0x68800
    Dotted,      // four bytes as an address: 192.168.0.10
    Bytes,       // every byte as a decimal number: 0 0 0 0
    BitRate,     // 500000 bit/s
    BitRateCode, // 2 (500000 bit/s)
    GatewayFlag, // 0 (gateway disabled)
    Milliseconds // 20 ms
};

template <typename Record> struct LayoutField
{
    int offset; // from the start of the record
    int width;  // 1, 2 or 4 for a number; any width for a byte string
    const char *name;
    FieldFormat format;
    quint32 (*number)(const Record &);                // the value of a number field
    const quint8 *(*bytes)(const Record &) = nullptr; // the first byte of a byte-string field, else null
    // A value that no document sets: a dump compares it with the reset record instead of listing it.
    bool fixed = false;
};

// One record kind: its size and its fields. Bytes that no field covers are zero.
template <typename Record> struct RecordLayout
{
    int size;
    const LayoutField<Record> *first;
    int count;

    const LayoutField<Record> *begin() const { return first; }
    const LayoutField<Record> *end() const { return first + count; }
    const LayoutField<Record> *find(const QString &name) const
    {
        for (const LayoutField<Record> &field : *this) {
            if (QLatin1String(field.name) == name)
                return &field;
        }
        return nullptr;
    }
};

template <typename Record, int N>
constexpr RecordLayout<Record> makeLayout(int size, const LayoutField<Record> (&fields)[N])
{
    return {size, fields, N};
}

// Writes the whole record at `at`: zeros first, then every field.
template <typename Record> void writeRecord(uchar *at, const Record &record, const RecordLayout<Record> &layout)
{
    std::memset(at, 0, size_t(layout.size));
    for (const LayoutField<Record> &field : layout) {
        uchar *to = at + field.offset;
        if (field.bytes) {
            std::memcpy(to, field.bytes(record), size_t(field.width));
            continue;
        }
        const quint32 value = field.number(record);
        switch (field.width) {
        case 1:
            putU8(to, value);
            break;
        case 2:
            putU16(to, value);
            break;
        default:
            putU32(to, value);
            break;
        }
    }
}

// The number a field holds in a record (the first four bytes of a byte string, little-endian).
quint32 readNumber(const uchar *at, int width);
// A field of a record at `record` as a dump shows it.
QString formatField(const uchar *record, int offset, int width, FieldFormat format);

template <typename Record> QString fieldText(const uchar *record, const LayoutField<Record> &field)
{
    return formatField(record, field.offset, field.width, field.format);
}

// The number in the named field of a record at `record`; the field must exist.
template <typename Record>
quint32 fieldNumber(const uchar *record, const RecordLayout<Record> &layout, const char *name)
{
    const LayoutField<Record> *field = layout.find(QLatin1String(name));
    Q_ASSERT(field);
    return readNumber(record + field->offset, field->width);
}

// "NAME VALUE, NAME VALUE, ..." for every field of the record.
template <typename Record> QString recordText(const uchar *record, const RecordLayout<Record> &layout)
{
    QString text;
    for (const LayoutField<Record> &field : layout) {
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        text += QLatin1String(field.name) + QLatin1Char(' ') + fieldText(record, field);
    }
    return text;
}
