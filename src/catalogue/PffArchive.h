#pragma once

#include <cstdint>
#include <string>

#include "catalogue/ByteReader.h"
#include "catalogue/CatalogueState.h"

namespace brieflist {

namespace PffLayout {
inline constexpr int64_t HeaderBytes = 20;
inline constexpr int32_t ValidHeaderSize = 20;
inline constexpr int64_t EntryBytes = 32;  // the part of a directory record we read
inline constexpr int64_t EntryNameOffset = 16;
inline constexpr int64_t EntryNameBytes = 16;
inline constexpr int64_t FooterBytes = 12;  // never taken for a directory record
}  // namespace PffLayout

PffHeader ParsePffHeader(const ByteReader& File);
PffEntry ParsePffEntry(const ByteReader& File, int64_t Offset);

bool IsValidPffHeader(const PffHeader& Header);

// Number of directory records, from the file length alone; 0 when the header cannot hold any.
int64_t ComputeDirectoryCount(const PffHeader& Header, int64_t FileLength);

// The three-line question asked about an archive whose header is not valid.
std::string InvalidArchiveQuestion(const std::string& Path);

// True when reading should go on: always for a valid header; for an invalid one, when the user
// answers No to the skip question.
bool CheckPffHeader(const PffHeader& Header, const std::string& Path, EngineHost& Host);

// True when the three bytes at Offset are a mission signature.
bool CheckMissionSignature(const ByteReader& File, int64_t Offset);

// Walks the directory of the archive in File into State.PffMissions and State.BinEntries.
// Returns the number of valid missions.
int32_t WalkPffDirectory(CatalogueState& State, const ByteReader& File);

// Reads one archive into the catalogue and its text resources into MapNames.
void ReadPffArchive(CatalogueState& State, const Platform& P, const std::string& Path,
                    RefreshReport& Report);

}  // namespace brieflist
