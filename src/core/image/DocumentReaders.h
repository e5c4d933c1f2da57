#pragma once

#include "DeviceConfigRecord.h"
#include "ImageSources.h"

// Fill a freshly reset record from the project documents; called in this order, once per compile.
// A missing document is not an error. Each throws AppError at the first value it cannot take.

// ParGen.xml: lenient, every value has a fallback. Sets the constant fields even without the file.
void ReadCommunicationSettings(DeviceConfigRecord &record, ImageSources &sources);
// DNET_Net.xml: ID, NB_IN and NB_OUT must be integers; more than DeviceSlaveSlots rows is refused.
void ReadSlaveList(DeviceConfigRecord &record, ImageSources &sources);
// DefReg.xml: takes the rows whose NrDNNode names an existing slave (depends on SlaveCount);
// more than MaxRegisters taken rows in a section is refused.
void ReadRegisterMap(DeviceConfigRecord &record, ImageSources &sources);
// The refusal of a section with more than MaxRegisters taken rows; an import that would write one says the same.
QString tooManyRegistersMessage(const QString &defRegPath, const QString &sectionName);
