#pragma once

#include <cstdint>
#include <string>

#include "catalogue/ByteReader.h"
#include "catalogue/CatalogueState.h"

namespace brieflist {

// Offsets inside a mission header, from the mission's first byte.
namespace MissionOffset {
inline constexpr int64_t Signature = 0;
inline constexpr int64_t Version = 3;
inline constexpr int64_t Name = 4;
inline constexpr int64_t CreatorVersion2 = 36;
inline constexpr int64_t CreatorVersion1 = 44;
inline constexpr int64_t TerrainVersion2 = 68;
inline constexpr int64_t TerrainVersion1 = 84;
inline constexpr int64_t FlagBlock = 120;     // flags of an enabled mission at 122..123
inline constexpr int64_t ModifiedWord = 124;  // moved flag block of a disabled mission
inline constexpr int64_t EnabledFlags = 122;
inline constexpr int64_t DisabledFlags = 126;
inline constexpr int64_t HeaderSize = 128;  // everything we read lies in the first 128
}  // namespace MissionOffset

inline constexpr int64_t kTextFieldSize = 16;

// Decoders: each reads one field of the mission that starts at Offset o of File.
int16_t ReadGameVersion(const ByteReader& File, int64_t o);
std::string ReadMissionName(const ByteReader& File, int64_t o);
std::string ReadCreator(const ByteReader& File, int64_t o, int16_t Version);
BooleanFlag ReadEnabled(const ByteReader& File, int64_t o);
std::string ReadMissionTypeFlags(const ByteReader& File, int64_t o, BooleanFlag Enabled);
BooleanFlag ReadModified(const ByteReader& File, int64_t o);
std::string ReadTerrain(const ByteReader& File, int64_t o, int16_t Version);

// Fills one row from the mission at o; FileName and SourceFile come from the caller.
MissionEntry DecodeMission(const ByteReader& File, int64_t o, std::string FileName,
                           const std::string& SourceFile, int32_t DataOffset);

// Fills rows FirstRow.. from Directory.PffMissions of the archive in File.
void DecodeArchiveMissions(CatalogueState& State, const ArchiveDirectory& Directory,
                           const ByteReader& File, int32_t FirstRow,
                           const std::string& ArchivePath);

// Appends one row for a loose mission file, or nothing when it has no valid signature.
// A file that cannot be read is recorded in Report.
void ReadLooseMission(CatalogueState& State, const Platform& P, const std::string& Path,
                      const std::string& FileName, RefreshReport& Report);

}  // namespace brieflist
