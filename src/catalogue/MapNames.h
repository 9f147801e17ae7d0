#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/ByteReader.h"
#include "catalogue/CatalogueState.h"

namespace brieflist {

namespace RtxtLayout {
inline constexpr int64_t HeaderBytes = 16;
inline constexpr int64_t KeyBlockOffsetField = 4;
inline constexpr int64_t StringCountField = 12;
inline constexpr int64_t RecordBytes = 16;
inline constexpr int64_t RecordZeroField = 8;
inline constexpr int64_t BlockSlack = 32;  // both blocks are read 32 bytes longer
}  // namespace RtxtLayout

// A run of a file's bytes that may reach outside the file, where it reads as zeros.
struct TextBlock {
  const ByteReader* File = nullptr;
  int64_t Start = 0;   // offset in the file; may be negative
  int64_t Length = 0;  // never negative

  // Index of the first NUL at or after From, or -1.
  int64_t FindNul(int64_t From) const;
  // The characters of [From, To); all lie in the file because a NUL ends them otherwise.
  std::string_view Text(int64_t From, int64_t To) const;
};

// Splits both blocks into N + 1 pairs and appends them.
void StoreStringPairs(std::vector<MapNameEntry>& MapNames, const TextBlock& KeyBlock,
                      const TextBlock& TextBlock_, int64_t N);

// Reads the RTXT resources of Directory.BinEntries from the open archive into MapNames.
void ReadMapNames(CatalogueState& State, const ArchiveDirectory& Directory, const ByteReader& File);
// The same from an archive read by parts: each resource's header, string table (a megabyte at
// a time), text block and key block by their offsets. False when a read failed.
bool ReadMapNames(CatalogueState& State, const ArchiveDirectory& Directory, OpenFile& File);

// The text a mission name shows when map names are resolved: the first pair whose key equals
// the upper-cased name, the name itself when none does, "Not Found!" for an empty name.
std::string LookUpMapName(const std::vector<MapNameEntry>& MapNames, const std::string& Name);

// The same lookup, with an index for filling a large grid.
class MapNameLookup {
 public:
  explicit MapNameLookup(const std::vector<MapNameEntry>& MapNames);
  std::string LookUp(const std::string& Name) const;

 private:
  std::unordered_map<std::string_view, std::string_view> First_;
};

}  // namespace brieflist
