#pragma once

#include "RegisterPoller.h"
#include "documents/ModbusMap.h"

struct WorkspacePaths;

// What the monitor of a configuration reads, from its saved documents: the register map of
// DNET_Net.xml and DefReg.xml, and from ParGen.xml the converter's address, port and the
// slave-state register.
struct MonitorSource
{
    ModbusMap map;
    PollSettings settings; // host and port; the rest at its default
    int stateRegister = -1; // -1 when the stored value is no register number

    // Throws AppError naming the file when a document cannot be read.
    static MonitorSource load(const WorkspacePaths &paths);
};
