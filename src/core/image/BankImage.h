#pragma once

#include "ImageSources.h"

#include <QByteArray>

// bank.bin: a header of four section offsets, then the slave records, the read and write register
// records and, when ParGen.xml exists, the 24-byte parameter section. Built straight from the
// documents with strict conversions.
struct BankImage
{
    static constexpr int Capacity = 100000; // the device's buffer; the image never grows past it
    static constexpr int HeaderSize = 16;
    static constexpr int SlaveRecordSize = 9;
    static constexpr int RegisterRecordSize = 7;
    static constexpr int ParameterSectionSize = 24;

    QByteArray buffer; // Capacity bytes
    int length = 0;

    QByteArray bytes() const { return buffer.left(length); }
};

// Builds the image; throws AppError at the first value it cannot convert, for a configuration with
// more than MaxSlaves slaves, or for one whose image would exceed BankImage::Capacity.
void BuildBankImage(BankImage &image, ImageSources &sources);
