#pragma once

#include <algorithm>
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

// The one walk over an archive's directory: Visit(PffEntry) for every record that touches the
// file, in order. Records wholly outside the file read as zeros and have no name, so they are not
// visited. Bytes holds the file from offset Base on (the whole file: Base 0); a caller that read
// only the header's directory onwards parses exactly what a reader of the whole file would.
template <typename Visit>
void ForEachPffEntry(const PffHeader& Header, int64_t FileLength, const ByteReader& Bytes,
                     int64_t Base, Visit&& Visitor) {
  const int64_t count = ComputeDirectoryCount(Header, FileLength);
  if (count <= 0) return;  // also covers an EntrySize of zero or less
  // Widened first: a directory offset of -2^31 cannot be negated in 32 bits.
  const int64_t directory = Header.DirectoryOffset;
  const int64_t entrySize = Header.EntrySize;
  int64_t first = 0;
  if (directory + PffLayout::EntryBytes <= 0)
    first = (-directory - PffLayout::EntryBytes) / entrySize + 1;
  int64_t last = 0;
  if (directory < FileLength)
    last = std::min(count, (FileLength - directory + entrySize - 1) / entrySize);
  for (int64_t i = first; i < last; ++i)
    Visitor(ParsePffEntry(Bytes, directory + i * entrySize - Base));
}

// The three-line question asked about an archive whose header is not valid.
std::string InvalidArchiveQuestion(const std::string& Path);

// True when reading should go on: always for a valid header; for an invalid one, when the user
// answers No to the skip question.
bool CheckPffHeader(const PffHeader& Header, const std::string& Path, EngineHost& Host);

// True when the three bytes at Offset are a mission signature.
bool CheckMissionSignature(const ByteReader& File, int64_t Offset);

// Walks the directory of the archive in File (ArchiveHeader already read) into State.PffMissions
// and State.BinEntries.
// Returns the number of valid missions.
int32_t WalkPffDirectory(CatalogueState& State, const ByteReader& File);

// Reads one archive into the catalogue and its text resources into MapNames.
void ReadPffArchive(CatalogueState& State, const Platform& P, const std::string& Path,
                    RefreshReport& Report);

}  // namespace brieflist
