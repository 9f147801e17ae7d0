#include "catalogue/MissionHeader.h"

#include "catalogue/TextHelpers.h"

namespace brieflist {

int16_t ReadGameVersion(const ByteReader& File, int64_t o) {
  switch (File.U8(o + MissionOffset::Version)) {
    case 13:
      return 1;
    case 15:
      return 2;
    default:
      return 0;
  }
}

std::string ReadMissionName(const ByteReader& File, int64_t o) {
  // Bytes outside the file read as NULs, which are stripped anyway: the in-file part suffices.
  return StripNulsAndSpaces(File.InFile(o + MissionOffset::Name, kTextFieldSize));
}

std::string ReadCreator(const ByteReader& File, int64_t o, int16_t Version) {
  const int64_t at = Version == 1 ? MissionOffset::CreatorVersion1 : MissionOffset::CreatorVersion2;
  return StripNuls(File.InFile(o + at, kTextFieldSize));
}

BooleanFlag ReadEnabled(const ByteReader& File, int64_t o) {
  const auto signature = File.Chars<3>(o + MissionOffset::Signature);
  return ToFlag(IsEnabledSignature({signature.data(), signature.size()}));
}

std::string ReadMissionTypeFlags(const ByteReader& File, int64_t o, BooleanFlag Enabled) {
  const int64_t at = Enabled == kTrue ? MissionOffset::EnabledFlags : MissionOffset::DisabledFlags;
  const auto value = static_cast<uint16_t>(File.U8(o + at) * 256 + File.U8(o + at + 1));
  return BinaryDigits16(value);
}

BooleanFlag ReadModified(const ByteReader& File, int64_t o) {
  return ToFlag(File.U32LE(o + MissionOffset::ModifiedWord) != 0);
}

std::string ReadTerrain(const ByteReader& File, int64_t o, int16_t Version) {
  if (Version == 1)
    return StripNuls(File.InFile(o + MissionOffset::TerrainVersion1, kTextFieldSize));
  if (Version == 2)
    return StripNuls(File.InFile(o + MissionOffset::TerrainVersion2, kTextFieldSize));
  return {};
}

MissionEntry DecodeMission(const ByteReader& File, int64_t o, std::string FileName,
                           const std::string& SourceFile, int32_t DataOffset) {
  MissionEntry row;
  row.FileName = std::move(FileName);
  row.GameVersion = ReadGameVersion(File, o);
  row.Creator = ReadCreator(File, o, row.GameVersion);
  row.Enabled = ReadEnabled(File, o);
  row.MissionTypeFlags = ReadMissionTypeFlags(File, o, row.Enabled);
  row.SourceFile = SourceFile;
  row.Modified = ReadModified(File, o);
  row.MissionName = ReadMissionName(File, o);
  row.Terrain = ReadTerrain(File, o, row.GameVersion);
  row.DataOffset = DataOffset;
  return row;
}

void DecodeArchiveMissions(CatalogueState& State, const ArchiveDirectory& Directory,
                           const ByteReader& File, int32_t FirstRow,
                           const std::string& ArchivePath) {
  // Rows are stored from FirstRow on; anything at or after it is replaced.
  State.Missions.resize(static_cast<size_t>(FirstRow));
  for (const PffEntry& record : Directory.PffMissions)
    State.Missions.push_back(
        DecodeMission(File, record.DataOffset, record.Name, ArchivePath, record.DataOffset));
}

void ReadLooseMission(CatalogueState& State, const Platform& P, const std::string& Path,
                      const std::string& FileName, RefreshReport& Report) {
  // One read of the header; decoding works on those bytes alone.
  auto head = P.Files.ReadPrefix(Path, static_cast<size_t>(MissionOffset::HeaderSize));
  if (!head) {
    Report.Problems.push_back(head.Error());
    return;
  }
  const ByteReader file(*head);
  if (!IsMissionSignature(file.InFile(0, 3))) return;
  ++State.LastMission;
  State.Missions.resize(static_cast<size_t>(State.LastMission));
  State.Missions.push_back(DecodeMission(file, 0, FileName, Path, 0));
}

}  // namespace brieflist
