#pragma once

#include <QIcon>

// The pictures on the program's buttons: one flat set in the colours of the program's icon, drawn in code
// at the size a button shows (no icon theme looked up, no picture decoded at sizes never shown), and the
// same on every system.
namespace ButtonIcons {

enum class Picture {
    Info,          // about the program
    Options,       // the program's options
    Close,         // leave the program
    New,           // a new configuration
    Open,          // open a configuration
    Communication, // both ports of the converter
    Network,       // the DeviceNet slaves on their bus
    Registers,     // the Modbus register map
    Update,        // send the images to the device
    Monitor,       // look at the converter's registers
    Report,        // the configuration's report
    Refresh,       // read a list again
    Cancel,        // stop and go back
};

QIcon icon(Picture picture);

} // namespace ButtonIcons
