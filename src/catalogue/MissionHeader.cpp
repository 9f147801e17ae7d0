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
  return StripNulsAndSpaces(File.Bytes(o + MissionOffset::Name, kTextFieldSize));
}

std::string ReadCreator(const ByteReader& File, int64_t o, int16_t Version) {
  const int64_t at = Version == 1 ? MissionOffset::CreatorVersion1 : MissionOffset::CreatorVersion2;
  return StripNuls(File.Bytes(o + at, kTextFieldSize));
}

BooleanFlag ReadEnabled(const ByteReader& File, int64_t o) {
  return ToFlag(IsEnabledSignature(File.Bytes(o + MissionOffset::Signature, 3)));
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
    return StripNuls(File.Bytes(o + MissionOffset::TerrainVersion1, kTextFieldSize));
  if (Version == 2)
    return StripNuls(File.Bytes(o + MissionOffset::TerrainVersion2, kTextFieldSize));
  return {};
}

MissionEntry DecodeMission(const ByteReader& File, int64_t o, std::string FileName,
                           const std::string& SourceFile, int32_t DataOffset) {
  MissionEntry row;
  row.FileName = std::move(FileName);
  row.GameVersion = ReadGameVersion(File, o);
  row.Creator = ReadCreator(File, o, row.GameVersion);
  row.Enabled = ReadEnabled(File, o);
  row.MissionTypeFlags = ReadMissionTypeFlags(File, o, ReadEnabled(File, o));
  row.SourceFile = SourceFile;
  row.Modified = ReadModified(File, o);
  row.MissionName = ReadMissionName(File, o);
  row.Terrain = ReadTerrain(File, o, row.GameVersion);
  row.DataOffset = DataOffset;
  return row;
}

void DecodeArchiveMissions(CatalogueState& State, const ByteReader& File, int32_t FirstRow,
                           const std::string& ArchivePath) {
  const auto k = static_cast<int32_t>(State.PffMissions.size());
  State.Missions.resize(static_cast<size_t>(FirstRow) + static_cast<size_t>(k));
  for (int32_t i = 0; i < k; ++i) {
    const PffEntry& record = State.PffMissions[static_cast<size_t>(i)];
    State.Missions[static_cast<size_t>(FirstRow + i)] =
        DecodeMission(File, record.DataOffset, record.Name, ArchivePath, record.DataOffset);
  }
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
  if (!IsMissionSignature(file.Bytes(0, 3))) return;
  ++State.LastMission;
  State.Missions.resize(static_cast<size_t>(State.LastMission) + 1);
  State.Missions[static_cast<size_t>(State.LastMission)] =
      DecodeMission(file, 0, FileName, Path, 0);
}

}  // namespace brieflist
