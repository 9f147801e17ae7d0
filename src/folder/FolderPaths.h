#pragma once

#include <QString>
#include <vector>

#include "platform/qt/Drives.h"

namespace brieflist {

// Path unchanged when it ends with the folder separator, otherwise Path and a separator. An
// empty path gives the separator alone.
QString AddBackslash(const QString& Path);

// The chooser's starting folder when none is remembered: drive c's root on Windows, the user's home
// folder elsewhere; with its trailing separator.
QString DefaultFolder();

// Index of the drive Path lies on: the one whose root is Path's longest leading folder (on
// Windows, the drive letter). -1 when Path is on none of them.
int DriveIndexOf(const std::vector<Drive>& Drives, const QString& Path);

}  // namespace brieflist
