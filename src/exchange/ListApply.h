#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Problem.h"

namespace brieflist {

// What became of one list row.
enum class ApplyOutcome {
  SwitchedOn,
  SwitchedOff,
  AlreadySo,
  Missing,    // not found where the row leads (its Fault says how, in the list's own folder)
  Ambiguous,  // the archive holds that file name more than once: not switched
  Failed,     // the file could not be read or written, or the mission could not be switched
};

struct ApplyRow {
  ApplyOutcome Outcome = ApplyOutcome::Missing;
  std::string Archive;           // file name of the archive the row names; empty for a loose row
  std::string FileName;          // the row's FileName
  std::string SourceFile;        // the file that holds the mission; empty when not found
  int32_t DataOffset = 0;        // where it was found
  bool NoSuchArchive = false;    // missing: the folder holds no archive of that name
  std::optional<Problem> Fault;  // why the row was not applied
};

struct ApplyResult {
  std::optional<IoError> FolderError;  // the chosen folder is not there: no row was looked at
  std::vector<IoError> Unread;         // what the read of the chosen folder could not read
  std::vector<ApplyRow> Rows;          // one per row looked at, in list order
  int32_t ListRows = 0;                // rows of the list
  int32_t StoppedAt = -1;  // an import of the list's own folders stops at a file it cannot
                           // read or write: the rows after it are not looked at

  int32_t Count(ApplyOutcome Outcome) const;
  // True when every row of the list was found and applied.
  bool Complete() const;
};

enum class ApplyMode { Write, DryRun };

// The last component of a path, after either separator: lists travel between systems.
std::string LastPathComponent(std::string_view Path);
// A path up to and including its last separator of either kind; empty when it has none.
std::string ListFolderOf(std::string_view Path);

// The one way a list is applied: each row is resolved against a catalogue of a folder read once,
// then the missions to switch are patched file by file through PatchHeaders under one operation
// of the journal, so one undo takes the whole list back. A dry run is the resolution and the
// state found, with the same check of each place that a write makes, and writes nothing.
//
// ApplyListToFolder: the rows are looked for in Folder, wherever they lie there now: a packed
// row matches the mission of its FileName in the archive of the same file name, a loose row
// (DataOffset 0) the loose file of its FileName; letter case is ignored; positions never come
// from the list. Every row is looked at. The folder's skip question goes to P.Host.
ApplyResult ApplyListToFolder(const Platform& P, const std::vector<MissionEntry>& Rows,
                              const std::string& Folder, ApplyMode Mode);

// ApplyImportedState: each row of ImportedMissions in the folder of its own SourceFile. The row's
// recorded position is taken when the file names that mission there; otherwise a loose row is
// NotAMission, a packed one is located by its FileName in the same archive (NotFound when it is
// not there), and a place that stops naming it before the write is StillInvalid. Invalid
// archives are passed over without a question: a list never switches them. A file that cannot
// be read or written stops it there (StoppedAt); the rows before stay applied.
ApplyResult ApplyImportedState(const CatalogueState& State, const Platform& P, ApplyMode Mode);

// "ARCHIVE: FILENAME" of a row; a loose row's archive reads "(loose)".
std::string ApplyRowName(const ApplyRow& Row);
// Every missing row's ApplyRowName, one per line (CR LF), for copying.
std::string MissingRowsText(const ApplyResult& Result);
// One message of what an import did: the counts, then the rows that were not applied (at most
// 20 of each kind, then "and K more"). Lines are joined by CR LF.
std::string ApplySummaryText(const ApplyResult& Result);

}  // namespace brieflist
