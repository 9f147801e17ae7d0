#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/MissionEntry.h"
#include "platform/Paths.h"
#include "sample/SampleWriter.h"

namespace brieflist::test {

// How the system words a missing file; Windows has its own wording, so only its presence counts.
#ifdef _WIN32
inline constexpr const char* kMissingFileReason = "";
#else
inline constexpr const char* kMissingFileReason = "No such file";
#endif

// A file of the memory folder "/g", joined as the system joins paths.
inline std::string GamePath(const std::string& Name) {
  return JoinPath("/g", Name);
}

// A mission whose flag block and modified word are easy to recognise in a byte comparison.
inline sample::Bytes MissionBytes(const std::string& Signature = "BMS", uint8_t FlagHigh = 0x80,
                                  uint8_t FlagLow = 0x01, uint32_t ModifiedWord = 0,
                                  size_t Size = 300) {
  sample::MissionSpec m;
  m.Signature = Signature;
  m.MissionName = "Mission";
  m.FlagHigh = FlagHigh;
  m.FlagLow = FlagLow;
  m.ModifiedWord = ModifiedWord;
  m.Size = Size;
  return sample::BuildMission(m);
}

// An archive of the named missions, in this order.
inline sample::Bytes ArchiveBytes(
    const std::vector<std::pair<std::string, sample::Bytes>>& Missions,
    const sample::ArchiveOptions& Options = {}) {
  std::vector<sample::ArchiveEntry> entries;
  for (const auto& [name, data] : Missions) entries.push_back({name, data, false, 0});
  return sample::BuildArchive(entries, Options);
}

// A list row asking for the state On of the mission Name packed in SourceFile at Offset (loose
// at 0).
inline MissionEntry ListRow(std::string SourceFile, std::string Name, int32_t Offset, bool On) {
  MissionEntry row;
  row.SourceFile = std::move(SourceFile);
  row.FileName = std::move(Name);
  row.DataOffset = Offset;
  row.Enabled = ToFlag(On);
  return row;
}

// Positions of the bytes where A and B differ; a length difference counts from the shorter end.
inline std::vector<size_t> DifferingBytes(const sample::Bytes& A, const sample::Bytes& B) {
  std::vector<size_t> out;
  for (size_t i = 0; i < std::max(A.size(), B.size()); ++i)
    if (i >= A.size() || i >= B.size() || A[i] != B[i]) out.push_back(i);
  return out;
}

// The 11 bytes a patch may change for a mission at Offset.
inline std::vector<size_t> PatchedBytes(size_t Offset) {
  std::vector<size_t> out;
  for (size_t i : {0, 1, 2, 120, 121, 122, 123, 124, 125, 126, 127}) out.push_back(Offset + i);
  return out;
}

}  // namespace brieflist::test
