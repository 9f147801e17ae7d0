#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "exchange/ListApply.h"

namespace brieflist {

// The most rows a list file is written with.
inline constexpr int32_t kMaxListRows = 32767;

// A list file's bytes, or why the rows cannot be held.
struct ListEncodeResult {
  bool Ok = false;
  std::vector<uint8_t> Bytes;
  std::string Reason;
};

// The list file of Rows: a 16-bit last row index, then each row's fields packed in order.
ListEncodeResult EncodeListFile(std::span<const MissionEntry> Rows);

struct ListDecodeResult {
  bool Ok = false;
  std::vector<MissionEntry> Rows;  // empty for a last row index of -1
  size_t BytesUsed = 0;            // up to the end of the last row
  bool NotAList = false;           // the bytes cannot be a list at all, not even a damaged one
  std::string Reason;              // names the row where reading stopped
};

// Reads a list file's rows. Every length is checked against what remains, so a damaged file
// gives a reason, never a read past the end or an allocation larger than the file. A last row
// index below -1 (the first bytes of a text file, a byte-order mark, UTF-16), and a file that
// fails to read with a row whose flags are not Booleans or with an archive's header, is no list;
// one that fails otherwise is a damaged list. Bytes after the last row are not read.
ListDecodeResult DecodeListFile(std::span<const uint8_t> Bytes);

// Reads and decodes the list file at Path; a failure's Reason names the file and says whether it
// is no list at all or may be a damaged one.
ListDecodeResult ReadListFile(FileSystem& Files, const std::string& Path);

// The outcome of an export; Message names the file and the reason when it failed.
struct ExportResult {
  bool Ok = false;
  int32_t Rows = 0;
  std::string Message;
};

// Writes catalogue rows 0..LastMission to Path through a temporary file that replaces Path only
// when complete: a failed export leaves an existing list as it was. Shows nothing.
ExportResult ExportListFile(const CatalogueState& State, FileSystem& Files,
                            const std::string& Path);

enum class ImportStatus {
  Done,         // every row looked at; GameDirectory is row 0's folder
  NoRows,       // the list holds no row: nothing changed
  BadListFile,  // the list could not be read: nothing patched
  Stopped,      // a mission file could not be read or written (Applied.StoppedAt): the rows
                // before it stay patched, GameDirectory is unchanged
};

struct ImportResult {
  ImportStatus Status = ImportStatus::Done;
  std::string Message;  // for BadListFile
  ApplyResult Applied;  // each row's outcome, and the problem of each row not applied
};

// Reads the list at Path into ImportedMissions and applies each row's state in its own folder
// (ApplyImportedState). Unless it stopped, sets GameDirectory to row 0's folder: the caller
// shows the rows' problems and then refreshes the catalogue.
ImportResult ImportListFile(CatalogueState& State, const Platform& P, const std::string& Path);
// The same for a list already read.
ImportResult ImportList(CatalogueState& State, const Platform& P, ListDecodeResult List);

}  // namespace brieflist
