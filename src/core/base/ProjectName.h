#pragma once

#include <QString>

// Whether a configuration name can be a folder under PROJECTS on every platform the program runs
// on: no separators, not "." or "..", none of the characters or device names Windows refuses, and
// no trailing blank or point (Windows would drop them).
bool isValidProjectName(const QString &name);
