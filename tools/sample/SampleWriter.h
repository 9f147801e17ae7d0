#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Writes game folders, archives and missions for tests, benchmarks and demonstrations.
namespace brieflist::sample {

using Bytes = std::vector<uint8_t>;

// One mission file's header fields; the rest of the file is filler.
struct MissionSpec {
  std::string Signature = "BMS";  // first 3 bytes
  uint8_t VersionByte = 15;       // 13 for version 1, 15 for version 2
  std::string MissionName;        // 16-byte field at +4
  std::string Creator;            // at +36 (version 2) or +44 (version 1)
  std::string Terrain;            // at +68 (version 2) or +84 (version 1)
  uint8_t FlagHigh = 0;           // byte at +122 (or +126 when disabled)
  uint8_t FlagLow = 0;            // byte at +123 (or +127 when disabled)
  uint32_t ModifiedWord = 0;      // at +124 for an enabled mission
  bool Disabled = false;          // store as our tool leaves a disabled mission
  size_t Size = 512;              // whole file; at least 128 unless deliberately short
};

Bytes BuildMission(const MissionSpec& Spec);

// A text resource whose key/text pairs read back in this order.
Bytes BuildRtxt(const std::vector<std::pair<std::string, std::string>>& Pairs);

struct ArchiveEntry {
  std::string Name;  // directory name, up to 16 bytes, padded with NUL
  Bytes Data;
  bool OverrideOffset = false;
  int32_t DataOffset = 0;  // used when OverrideOffset
};

struct ArchiveOptions {
  int32_t HeaderSize = 20;
  std::string Magic = "PFF3";
  bool OverrideEntryCount = false;
  int32_t EntryCount = 0;
  int32_t EntrySize = 32;
};

// Header, every entry's data, the directory, and a 12-byte footer.
Bytes BuildArchive(const std::vector<ArchiveEntry>& Entries, const ArchiveOptions& Options = {});

// Offsets at which BuildArchive places each entry's data.
std::vector<int32_t> ArchiveDataOffsets(const std::vector<ArchiveEntry>& Entries);

bool WriteFile(const std::string& Path, const Bytes& Data);

struct FolderOptions {
  int Archives = 4;
  int MissionsPerArchive = 20;
  int KeysPerArchive = 50;
  int LooseMissions = 5;
  uint32_t Seed = 1;
};

// The folder the speed targets are measured on: 64 archives of 500 missions and 1,000 map
// names each, and 200 loose missions (32,200 missions).
inline FolderOptions StandardFolderOptions() {
  return FolderOptions{64, 500, 1000, 200, 1};
}

struct FolderSummary {
  int Archives = 0;
  int Missions = 0;
  int LooseMissions = 0;
  uint64_t Bytes = 0;
};

// A deterministic game folder: the same options give the same bytes on every system.
bool MakeSampleFolder(const std::string& Folder, const FolderOptions& Options,
                      FolderSummary& Summary, std::string& Error);

}  // namespace brieflist::sample
