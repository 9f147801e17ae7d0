#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
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

// Archives up to this size are read whole, in one read: every real one is far smaller. Larger
// ones are read by parts, so that memory stays bounded whatever a file's size.
inline constexpr int64_t kWholeArchiveLimit = int64_t{64} << 20;

// The directory records that touch the file: indices First to Last - 1. Records wholly outside
// the file read as zeros and have no name.
struct PffRecordRange {
  int64_t First = 0;
  int64_t Last = 0;
};
PffRecordRange TouchingRecords(const PffHeader& Header, int64_t FileLength);

// The one walk over an archive's directory: Visit(PffEntry) for every record that touches the
// file, in order. Bytes holds the file from offset Base on (the whole file: Base 0); a caller
// that read only the header's directory onwards parses exactly what a reader of the whole file
// would.
template <typename Visit>
void ForEachPffEntry(const PffHeader& Header, int64_t FileLength, const ByteReader& Bytes,
                     int64_t Base, Visit&& Visitor) {
  const PffRecordRange range = TouchingRecords(Header, FileLength);
  // Widened first: a directory offset of -2^31 cannot be negated in 32 bits.
  const int64_t directory = Header.DirectoryOffset;
  const int64_t entrySize = Header.EntrySize;
  for (int64_t i = range.First; i < range.Last; ++i)
    Visitor(ParsePffEntry(Bytes, directory + i * entrySize - Base));
}

// The same walk over an open file, read in parts of at most a megabyte; records whose name lies
// in a hole of a sparse file are all zeros there and are passed over unread (they have no name,
// so no caller would keep them). False when a read failed.
bool ForEachPffEntry(const PffHeader& Header, OpenFile& File,
                     const std::function<void(PffEntry&&)>& Visitor);

// The three-line question asked about an archive whose header is not valid.
std::string InvalidArchiveQuestion(const std::string& Path);

// True when reading should go on: always for a valid header; for an invalid one, when the user
// answers No to the skip question.
bool CheckPffHeader(const PffHeader& Header, const std::string& Path, EngineHost& Host);

// True when the three bytes at Offset are a mission signature.
bool CheckMissionSignature(const ByteReader& File, int64_t Offset);

// Walks the directory of the archive in File (Directory.ArchiveHeader already read) into its
// PffMissions and BinEntries. Returns the number of valid missions.
int32_t WalkPffDirectory(ArchiveDirectory& Directory, const ByteReader& File);

// Reads the archive open in File into the catalogue and its text resources into MapNames by
// parts: its header, directory, mission headers and text resources by their offsets, as
// ReadPffArchive reads an archive larger than kWholeArchiveLimit. The rows and map names are
// those a whole read gives. False when a read failed; what was added is then taken back.
bool ReadPffArchiveByParts(CatalogueState& State, EngineHost& Host, const std::string& Path,
                           OpenFile& File);

// Reads one archive into the catalogue and its text resources into MapNames.
void ReadPffArchive(CatalogueState& State, const Platform& P, const std::string& Path,
                    RefreshReport& Report);

}  // namespace brieflist
