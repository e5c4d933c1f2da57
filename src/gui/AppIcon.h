#pragma once

#include <QIcon>

// The program's icon, the picture of packaging/sw40917.svg drawn in code at the usual sizes, each when it
// is first asked for: no image plug-in is needed to show it on every window, whatever the system has
// installed.
namespace AppIcon {

QIcon icon();
// Gives every window of the application the icon, and on Linux names the desktop entry that the
// window system uses to find the program's name and icon.
void install();

} // namespace AppIcon
