#pragma once

#include <QStringList>

// Serial port names in natural order (ttyS2 before ttyS10, COM9 before COM10), each once.
QStringList sortPortNames(QStringList names);
