#pragma once

#include <string>

#include "platform/IoResult.h"

namespace brieflist {

// The per-user data folder: $XDG_DATA_HOME, or ~/.local/share, on Linux and other POSIX
// systems; %APPDATA% (the roaming application data) on Windows.
IoResult<std::string> UserDataFolder();

// The program's own folder inside the user data folder, created when missing.
IoResult<std::string> ProgramDataFolder();

}  // namespace brieflist
