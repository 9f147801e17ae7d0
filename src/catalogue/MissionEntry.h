#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// A map-name text. Short texts are held in place, as a string holds them. Longer ones view into
// the texts of their resource, which every pair read from it shares: a resource that runs out
// of texts repeats them for each remaining key, and a copy per pair would cost the text's length
// times the number of keys.
class MapText {
 public:
  static constexpr size_t kInPlace = 24;  // the longest text held in place

  MapText() : Near_{} {}
  MapText(const char* Text) : MapText(std::string_view(Text)) {}
  MapText(const std::string& Text) : MapText(std::string_view(Text)) {}
  explicit MapText(std::string_view Text);
  // Length bytes at Offset of Texts.
  MapText(const std::shared_ptr<const std::string>& Texts, size_t Offset, size_t Length);
  MapText(const MapText& Other);
  MapText(MapText&& Other) noexcept;
  MapText& operator=(const MapText& Other);
  MapText& operator=(MapText&& Other) noexcept;
  ~MapText();

  std::string_view View() const {
    if (NearLength_ != kFar) return {Near_, NearLength_};
    return std::string_view(*Far_.Texts).substr(Far_.Offset, Far_.Length);
  }
  operator std::string_view() const { return View(); }
  std::string Str() const { return std::string(View()); }

  bool operator==(const MapText& Other) const { return View() == Other.View(); }
  bool operator==(const char* Other) const { return View() == Other; }
  bool operator==(const std::string& Other) const { return View() == Other; }

 private:
  static constexpr uint8_t kFar = 0xFF;
  struct Far {
    std::shared_ptr<const std::string> Texts;
    uint32_t Offset;  // a text block spans less than 4 GiB: its length is a 32-bit field
    uint32_t Length;
  };
  union {
    Far Far_;
    char Near_[kInPlace];
  };
  uint8_t NearLength_ = 0;  // kFar when the text is viewed in its resource's texts
};

// One pair of the map-name table.
struct MapNameEntry {
  std::string Key;  // upper-cased
  MapText Text;

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

// What the reader of one archive keeps while it reads: the archive's header and its directory's
// mission and text-resource records (element 0 of BinEntries is a placeholder).
struct ArchiveDirectory {
  PffHeader ArchiveHeader;
  std::vector<PffEntry> PffMissions;
  std::vector<PffEntry> BinEntries = std::vector<PffEntry>(1);
};

}  // namespace brieflist
