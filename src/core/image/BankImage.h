#pragma once

#include "ImageLayout.h"
#include "ImageSources.h"

#include <QByteArray>

#include <array>

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

// The values of bank.bin's records before they are laid out; each keeps the low bits its field holds.
struct BankHeader
{
    quint32 SlaveSection = 0; // file offsets of the four sections
    quint32 ReadSection = 0;
    quint32 WriteSection = 0;
    quint32 ParameterSection = 0;
};

struct BankSlaveRecord
{
    quint32 Id = 0;
    quint32 InputBytes = 0;
    quint32 OutputBytes = 0;
    quint32 InputOffset = 0; // sum of the input bytes of the slaves before, modulo 65536
    quint32 OutputOffset = 0;
};

struct BankRegisterRecord
{
    quint32 Index = 0;
    quint32 Position = 0;      // PosComp: low part in its low 16 bits, high part in its high 16 bits
    quint32 SlavePosition = 0; // NrDNNode - 1
};

struct BankParameterSection
{
    quint32 DeviceId = 0;
    quint32 BaudCode = 0;
    std::array<quint32, 4> Ip{};
    std::array<quint32, 4> Subnet{};
    quint32 GatewayEnabled = 0;
    std::array<quint32, 4> Gateway{};
    quint32 Port = 0;
    quint32 SlaveCount = 0;
    quint32 ReadCount = 0;
    quint32 WriteCount = 0;
    quint32 SlaveStateRegister = 0;
};

// Constant-initialised tables: ready before any code runs, static initialisers included.
extern const RecordLayout<BankHeader> bankHeaderLayout;
extern const RecordLayout<BankSlaveRecord> bankSlaveLayout;
extern const RecordLayout<BankRegisterRecord> bankRegisterLayout;
extern const RecordLayout<BankParameterSection> bankParameterLayout;

// Builds the image; throws AppError at the first value it cannot convert, for a configuration with
// more than DeviceSlaveSlots slaves, or for one whose image would exceed BankImage::Capacity.
void BuildBankImage(BankImage &image, ImageSources &sources);
