#pragma once

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/NativeNames.h"
#include "support/TestSupport.h"

namespace brieflist::test {

// Points the per-user data folder (where the undo journal lives) at a fresh temporary folder
// while it lives, and puts the old setting back after.
class ScopedDataFolder {
 public:
  ScopedDataFolder() : Old_(Get()) { Set(Folder_.Path()); }
  ~ScopedDataFolder() { Set(Old_); }
  ScopedDataFolder(const ScopedDataFolder&) = delete;
  ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

  std::string Path() const { return Folder_.Path(); }

  // Sets the variable the data folder is taken from; nothing removes it.
  static void Set(const std::optional<std::string>& Value) {
#ifdef _WIN32
    _wputenv_s(L"APPDATA", Value ? NativePath(*Value).c_str() : L"");
#else
    if (Value)
      setenv("XDG_DATA_HOME", Value->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
#endif
  }

 private:
  static std::optional<std::string> Get() {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(L"APPDATA");
    if (!value) return std::nullopt;
    return NativeNameShown(std::filesystem::path(value));
#else
    const char* value = std::getenv("XDG_DATA_HOME");
    if (!value) return std::nullopt;
    return std::string(value);
#endif
  }

  TempFolder Folder_;
  std::optional<std::string> Old_;
};

}  // namespace brieflist::test
