#include "catalogue/PffArchive.h"

#include <algorithm>
#include <iterator>

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

PffRecordRange TouchingRecords(const PffHeader& Header, int64_t FileLength) {
  PffRecordRange range;
  const int64_t count = ComputeDirectoryCount(Header, FileLength);
  if (count <= 0) return range;  // also covers an EntrySize of zero or less
  const int64_t directory = Header.DirectoryOffset;
  const int64_t entrySize = Header.EntrySize;
  if (directory + PffLayout::EntryBytes <= 0)
    range.First = (-directory - PffLayout::EntryBytes) / entrySize + 1;
  if (directory < FileLength)
    range.Last = std::min(count, (FileLength - directory + entrySize - 1) / entrySize);
  return range;
}

bool ForEachPffEntry(const PffHeader& Header, OpenFile& File,
                     const std::function<void(PffEntry&&)>& Visitor) {
  constexpr int64_t kPartBytes = int64_t{1} << 20;
  constexpr int64_t kRecord = PffLayout::EntryBytes;
  const PffRecordRange range = TouchingRecords(Header, static_cast<int64_t>(File.Size()));
  const int64_t directory = Header.DirectoryOffset;
  const int64_t entrySize = Header.EntrySize;
  // Whole records only, as many as fit in a part; records farther apart are read one by one.
  const int64_t perPart =
      std::max<int64_t>(1, (kPartBytes - kRecord) / std::max<int64_t>(entrySize, 1) + 1);
  FileBlock part;
  int64_t partStart = 0;
  int64_t partEnd = 0;
  for (int64_t i = range.First; i < range.Last; ++i) {
    const int64_t record = directory + i * entrySize;
    if (record < partStart || record + kRecord > partEnd) {
      const int64_t name = std::max<int64_t>(record + PffLayout::EntryNameOffset, 0);
      const auto data = static_cast<int64_t>(File.NextData(static_cast<uint64_t>(name)));
      if (data >= record + kRecord) {
        // On to the first record whose name reaches past the hole.
        i = (data - kRecord - directory) / entrySize;
        continue;
      }
      partStart = record;
      partEnd = record + (std::min(perPart, range.Last - i) - 1) * entrySize + kRecord;
      if (!ReadFilePart(File, partStart, partEnd - partStart, part)) return false;
    }
    Visitor(ParsePffEntry(ByteReader(part.Bytes), record - static_cast<int64_t>(part.Offset)));
  }
  return true;
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

int32_t WalkPffDirectory(ArchiveDirectory& Directory, const ByteReader& File) {
  Directory.BinEntries.resize(1);
  Directory.PffMissions.clear();
  ForEachPffEntry(Directory.ArchiveHeader, File.Size(), File, 0, [&](PffEntry&& Entry) {
    if (EndsWithIgnoringCase(Entry.Name, ".BMS")) {
      if (CheckMissionSignature(File, Entry.DataOffset))
        Directory.PffMissions.push_back(std::move(Entry));
    } else if (EndsWithIgnoringCase(Entry.Name, ".BIN")) {
      Directory.BinEntries.push_back(std::move(Entry));
    }
  });
  return static_cast<int32_t>(Directory.PffMissions.size());
}

// Nothing of a damaged archive is refused that the reader would take, but it is named.
void NoteDamage(const PffHeader& Header, uint64_t Length, const std::string& Path,
                RefreshReport& Report) {
  if (!IsValidPffHeader(Header))
    Report.Damaged.push_back(IoError{Path, "not a valid archive"});
  else if (Header.EntryCount > ComputeDirectoryCount(Header, static_cast<int64_t>(Length)))
    Report.Damaged.push_back(IoError{Path, kCutShortArchive});
}

bool ReadPffArchiveByParts(CatalogueState& State, EngineHost& Host, const std::string& Path,
                           OpenFile& File) {
  FileBlock head;
  if (!ReadFilePart(File, 0, PffLayout::HeaderBytes, head)) return false;
  ArchiveDirectory directory;
  directory.ArchiveHeader = ParsePffHeader(ByteReader(head.Bytes));
  if (!CheckPffHeader(directory.ArchiveHeader, Path, Host)) return true;

  const int32_t firstRow = State.LastMission + 1;
  const size_t namesBefore = State.MapNames.size();
  // Each mission's header is read once: its signature decides whether the record is kept, and
  // its row is decoded from the same bytes.
  std::vector<MissionEntry> rows;
  FileBlock mission;
  bool read = true;
  const bool walked = ForEachPffEntry(directory.ArchiveHeader, File, [&](PffEntry&& Entry) {
    if (EndsWithIgnoringCase(Entry.Name, ".BMS")) {
      if (!ReadFilePart(File, Entry.DataOffset, MissionOffset::HeaderSize, mission)) {
        read = false;
        return;
      }
      const ByteReader header(mission.Bytes);
      const int64_t at = Entry.DataOffset - static_cast<int64_t>(mission.Offset);
      if (!CheckMissionSignature(header, at)) return;
      rows.push_back(DecodeMission(header, at, Entry.Name, Path, Entry.DataOffset));
      directory.PffMissions.push_back(std::move(Entry));
    } else if (EndsWithIgnoringCase(Entry.Name, ".BIN")) {
      directory.BinEntries.push_back(std::move(Entry));
    }
  });
  read = read && walked;
  const auto k = static_cast<int32_t>(directory.PffMissions.size());
  if (read && k >= 1) read = ReadMapNames(State, directory, File);
  if (!read) {
    State.MapNames.resize(namesBefore);
  } else if (k >= 1) {
    State.LastMission = firstRow + k - 1;
    State.Missions.resize(static_cast<size_t>(firstRow));
    std::move(rows.begin(), rows.end(), std::back_inserter(State.Missions));
  }
  return read;
}

void ReadPffArchive(CatalogueState& State, const Platform& P, const std::string& Path,
                    RefreshReport& Report) {
  auto bytes = P.Files.ReadWholeUpTo(Path, static_cast<uint64_t>(kWholeArchiveLimit));
  if (bytes && !*bytes) {
    bool complete = false;
    auto read = P.Files.InspectFile(Path, [&](OpenFile& File) {
      FileBlock head;
      if (ReadFilePart(File, 0, PffLayout::HeaderBytes, head))
        NoteDamage(ParsePffHeader(ByteReader(head.Bytes)), File.Size(), Path, Report);
      complete = ReadPffArchiveByParts(State, P.Host, Path, File);
    });
    if (!read)
      Report.Problems.push_back(read.Error());
    else if (!complete)
      Report.Problems.push_back(IoError{Path, "could not be read to its end"});
    return;
  }
  if (!bytes) {
    Report.Problems.push_back(bytes.Error());
    return;
  }
  const ByteReader file((*bytes)->Bytes());

  ArchiveDirectory directory;
  directory.ArchiveHeader = ParsePffHeader(file);
  NoteDamage(directory.ArchiveHeader, (*bytes)->Bytes().size(), Path, Report);
  if (!CheckPffHeader(directory.ArchiveHeader, Path, P.Host)) return;

  const int32_t firstRow = State.LastMission + 1;
  const int32_t k = WalkPffDirectory(directory, file);
  if (k >= 1) {
    State.LastMission = firstRow + k - 1;
    DecodeArchiveMissions(State, directory, file, firstRow, Path);
    ReadMapNames(State, directory, file);
  }
}

}  // namespace brieflist
