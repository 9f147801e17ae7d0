#include "catalogue/PffArchive.h"

#include <algorithm>

#include "catalogue/MapNames.h"
#include "catalogue/MissionHeader.h"
#include "catalogue/TextHelpers.h"
#include "platform/FolderListing.h"

namespace brieflist {

PffHeader ParsePffHeader(const ByteReader& File) {
  PffHeader h;
  h.HeaderSize = File.I32LE(0);
  h.Magic = File.Bytes(4, 4);
  h.EntryCount = File.I32LE(8);
  h.EntrySize = File.I32LE(12);
  h.DirectoryOffset = File.I32LE(16);
  return h;
}

PffEntry ParsePffEntry(const ByteReader& File, int64_t Offset) {
  PffEntry e;
  e.Word0 = File.I32LE(Offset);
  e.DataOffset = File.I32LE(Offset + 4);
  e.Word8 = File.I32LE(Offset + 8);
  e.Word12 = File.I32LE(Offset + 12);
  e.Name = StripNulsAndSpaces(
      File.InFile(Offset + PffLayout::EntryNameOffset, PffLayout::EntryNameBytes));
  return e;
}

bool IsValidPffHeader(const PffHeader& Header) {
  return Header.HeaderSize == PffLayout::ValidHeaderSize &&
         EqualsIgnoringCase(Header.Magic, "PFF3");
}

int64_t ComputeDirectoryCount(const PffHeader& Header, int64_t FileLength) {
  if (Header.EntrySize <= 0) return 0;
  const int64_t span = FileLength - Header.DirectoryOffset - PffLayout::FooterBytes;
  if (span <= 0) return 0;
  return span / Header.EntrySize;
}

std::string InvalidArchiveQuestion(const std::string& Path) {
  return "This does not seem to be a valid Pff File!\r\nDo you want to skip this file:\r\n" + Path;
}

bool CheckPffHeader(const PffHeader& Header, const std::string& Path, EngineHost& Host) {
  if (IsValidPffHeader(Header)) return true;
  return !Host.AskYesNo(InvalidArchiveQuestion(Path));
}

bool CheckMissionSignature(const ByteReader& File, int64_t Offset) {
  const auto signature = File.Chars<3>(Offset);
  return IsMissionSignature({signature.data(), signature.size()});
}

int32_t WalkPffDirectory(CatalogueState& State, const ByteReader& File) {
  State.BinEntries.resize(1);
  State.PffMissions.clear();
  ForEachPffEntry(State.ArchiveHeader, File.Size(), File, 0, [&](PffEntry&& Entry) {
    if (EndsWithIgnoringCase(Entry.Name, ".BMS")) {
      if (CheckMissionSignature(File, Entry.DataOffset))
        State.PffMissions.push_back(std::move(Entry));
    } else if (EndsWithIgnoringCase(Entry.Name, ".BIN")) {
      State.BinEntries.push_back(std::move(Entry));
    }
  });
  return static_cast<int32_t>(State.PffMissions.size());
}

void ReadPffArchive(CatalogueState& State, const Platform& P, const std::string& Path,
                    RefreshReport& Report) {
  auto bytes = P.Files.ReadWhole(Path);
  if (!bytes) {
    Report.Problems.push_back(bytes.Error());
    return;
  }
  const ByteReader file((*bytes)->Bytes());

  State.ArchiveHeader = ParsePffHeader(file);
  if (!CheckPffHeader(State.ArchiveHeader, Path, P.Host)) return;
  State.DirectoryCount = ComputeDirectoryCount(State.ArchiveHeader, file.Size());

  const int32_t firstRow = State.FirstArchive ? State.LastMission : State.LastMission + 1;
  P.Host.SetWindowEnabled(false);
  const int32_t k = WalkPffDirectory(State, file);
  if (k >= 1) {
    State.LastMission = firstRow + k - 1;
    State.FirstArchive = false;
    DecodeArchiveMissions(State, file, firstRow, Path);
    ReadMapNames(State, file);
  }
  P.Host.SetWindowEnabled(true);
}

}  // namespace brieflist
