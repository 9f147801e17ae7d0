#pragma once

#include <string>
#include <string_view>

namespace brieflist {

// The folder separator of the system we run on: the game's own "\" on Windows.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// Whether another program can rename a folder that this one watches: on Windows a watch holds
// its folder open and may keep it from being renamed.
#ifdef _WIN32
inline constexpr bool kWatchedFoldersRename = false;
#else
inline constexpr bool kWatchedFoldersRename = true;
#endif

inline bool EndsWithSeparator(std::string_view Path) {
  if (Path.empty()) return false;
#ifdef _WIN32
  return Path.back() == '\\' || Path.back() == '/';
#else
  return Path.back() == '/';
#endif
}

// Folder, a separator unless it already ends with one, and the name.
inline std::string JoinPath(std::string_view Folder, std::string_view Name) {
  std::string path(Folder);
  if (!EndsWithSeparator(path)) path += kSeparator;
  path += Name;
  return path;
}

}  // namespace brieflist
