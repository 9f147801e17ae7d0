#include "platform/UserDataFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/NativeNames.h"
#include "platform/Paths.h"

namespace brieflist {

#ifdef _WIN32

IoResult<std::string> UserDataFolder() {
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (!appData || !*appData) return IoError{"%APPDATA%", "not set"};
  std::string folder;
  if (!NameFromNative(std::filesystem::path(appData), folder))
    return IoError{NativeNameShown(std::filesystem::path(appData)),
                   "the application data folder has a name outside Windows-1252"};
  return folder;
}

namespace {
constexpr const char* kProgramFolder = "Brieflist";
}

#else

IoResult<std::string> UserDataFolder() {
  // The XDG rules ignore a relative value.
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg);
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return IoError{"$HOME", "not set: no folder for the user's data"};
  return JoinPath(JoinPath(home, ".local"), "share");
}

namespace {
constexpr const char* kProgramFolder = "brieflist";
}

#endif

IoResult<std::string> ProgramDataFolder() {
  auto base = UserDataFolder();
  if (!base) return base.Error();
  const std::string folder = JoinPath(*base, kProgramFolder);
  std::error_code ec;
  std::filesystem::create_directories(NativePath(folder), ec);
  if (ec) return IoError{folder, ec.message()};
  return folder;
}

}  // namespace brieflist
