#pragma once

#include <cstdint>
#include <string>

namespace brieflist {

// A Boolean as the games' files and our list files store it: True is -1, False is 0.
using BooleanFlag = int16_t;
inline constexpr BooleanFlag kTrue = -1;
inline constexpr BooleanFlag kFalse = 0;

inline BooleanFlag ToFlag(bool Value) {
  return Value ? kTrue : kFalse;
}

// One catalogue row. Texts are the raw single-byte strings of the files.
struct MissionEntry {
  std::string FileName;
  std::string MissionName;
  std::string Creator;
  std::string MissionTypeFlags;  // 16 characters "0"/"1"
  BooleanFlag Enabled = kFalse;
  BooleanFlag Modified = kFalse;
  std::string SourceFile;
  int32_t DataOffset = 0;  // 0 for a loose mission file
  int16_t GameVersion = 0;
  std::string Terrain;

  bool operator==(const MissionEntry&) const = default;
};

// One pair of the map-name table.
struct MapNameEntry {
  std::string Key;  // upper-cased
  std::string Text;

  bool operator==(const MapNameEntry&) const = default;
};

// The first 20 bytes of a PFF3 archive.
struct PffHeader {
  int32_t HeaderSize = 0;
  std::string Magic;  // 4 bytes as stored
  int32_t EntryCount = 0;
  int32_t EntrySize = 0;
  int32_t DirectoryOffset = 0;
};

// The first 32 bytes of a directory record; Name is kept with NULs and spaces removed.
struct PffEntry {
  int32_t Word0 = 0;
  int32_t DataOffset = 0;
  int32_t Word8 = 0;
  int32_t Word12 = 0;
  std::string Name;
};

}  // namespace brieflist
