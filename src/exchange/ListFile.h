#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "editing/Patching.h"

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
// index below -1 (the first bytes of a text file, a byte-order mark, UTF-16) makes the file no
// list; bytes after the last row are not read.
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
  Done,         // every row applied and the catalogue refreshed
  NoRows,       // the list holds no row: nothing changed
  BadListFile,  // the list could not be read: nothing patched, nothing shown
  Stopped,      // a mission file could not be read or written at Row: rows before it stay
                // patched, no closing refresh followed; Told's last row says why
};

struct ImportResult {
  ImportStatus Status = ImportStatus::Done;
  std::string Message;  // for BadListFile and Stopped
  int32_t Row = -1;     // the row at which a Stopped import stopped
  int32_t Patched = 0;
  int32_t AlreadySo = 0;
  int32_t Reported = 0;  // rows whose mission could not be located (a problem says why)
  std::vector<PatchOutcome> Outcomes;  // of each row applied, in row order
  // The rows that met problems or rebuilt the catalogue, in row order, for the caller to show.
  std::vector<SwitchResult> Told;
  std::optional<RefreshReport> Refreshed;  // the closing refresh, for Done
};

// Reads the list at Path into ImportedMissions, applies each row's state in order with
// ApplyImportedState, takes GameDirectory from row 0's folder and refreshes the catalogue.
ImportResult ImportListFile(CatalogueState& State, const Platform& P, const std::string& Path);

// What the import would do with one row, found without writing anything.
// Refused: the mission is found, but switching it would touch other bytes of its file.
enum class ImportAction { Enable, Disable, AlreadySo, NotFound, Unreadable, Refused };

struct ImportPreviewRow {
  ImportAction Action = ImportAction::NotFound;
  std::string SourceFile;  // where the mission was found; empty when not found
  int32_t DataOffset = 0;
  std::string Reason;  // for Unreadable: the file and the system's reason; for Refused: why
};

// The actions ImportListFile would take for Rows, reading only, with the same checks of each
// position. Rows the locate step would find elsewhere are looked up in a refresh of their folder.
// Ends after an Unreadable row, where the import would stop.
std::vector<ImportPreviewRow> PreviewImport(FileSystem& Files,
                                            const std::vector<MissionEntry>& Rows);

}  // namespace brieflist
