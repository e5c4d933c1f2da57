#pragma once

#include <QString>

// Removes characters of code 32 or below at both ends (blanks, tabs, control characters).
// Unlike QString::trimmed it keeps other Unicode spaces, as the stored files expect.
QString trimControl(const QString &text);
