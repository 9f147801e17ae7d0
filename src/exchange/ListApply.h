#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "exchange/ListFile.h"

namespace brieflist {

// What became of one list row applied to a folder.
enum class ApplyOutcome {
  SwitchedOn,
  SwitchedOff,
  AlreadySo,
  Missing,    // no such mission in the folder
  Ambiguous,  // the archive holds that file name more than once: not switched
  Failed,     // the file could not be read or written, or another archive of its name could
              // not be read and may hold the mission too
};

struct ApplyRow {
  ApplyOutcome Outcome = ApplyOutcome::Missing;
  std::string Archive;     // file name of the archive the row names; empty for a loose row
  std::string FileName;    // the row's FileName
  std::string SourceFile;  // the file of the folder that holds the mission; empty when not found
  int32_t DataOffset = 0;  // where it was found
  std::string Reason;      // for Failed: the file and the system's reason; for Ambiguous:
                           // "held more than once in" and every file that holds it
};

struct ApplyResult {
  std::optional<IoError> FolderError;  // the folder is not there: no row was looked at
  std::vector<IoError> Unread;         // what the read of the folder could not read
  std::vector<ApplyRow> Rows;          // one per row looked at, in list order
  int32_t ListRows = 0;                // rows of the list
  int32_t StoppedAt = -1;              // an import that stopped at this row (see ImportListFile)

  int32_t Count(ApplyOutcome Outcome) const;
  // True when every row of the list was found and applied.
  bool Complete() const;
};

enum class ApplyMode { Write, DryRun };

// The last component of a path, after either separator: lists travel between systems.
std::string LastPathComponent(std::string_view Path);
// A path up to and including its last separator of either kind; empty when it has none.
std::string ListFolderOf(std::string_view Path);

// Applies the rows of a list to the missions of Folder, wherever they lie there now: a packed
// row matches the mission of its FileName in the archive of the same file name, a loose row
// (DataOffset 0) the loose file of its FileName; letter case is ignored. Positions come from a
// fresh read of Folder (its skip question goes to P.Host; nothing else does), never from the
// list. Every row is looked at, whatever happened to the ones before. The writes go through
// PatchHeaders, one call per file, all under one operation of the journal, so one undo takes the
// whole list back. DryRun decides the same from the folder's catalogue and writes nothing.
ApplyResult ApplyListToFolder(const Platform& P, const std::vector<MissionEntry>& Rows,
                              const std::string& Folder, ApplyMode Mode);

// The outcome of an import of the list's own folders (ImportListFile) in the same terms: Rows
// are the rows it imported.
ApplyResult ApplyResultOfImport(const ImportResult& Result, const std::vector<MissionEntry>& Rows);

// "ARCHIVE: FILENAME" of a row; a loose row's archive reads "(loose)".
std::string ApplyRowName(const ApplyRow& Row);
// Every missing row's ApplyRowName, one per line (CR LF), for copying.
std::string MissingRowsText(const ApplyResult& Result);
// One message of what an import did: the counts, then the rows that were not applied (at most
// 20 of each kind, then "and K more"). Lines are joined by CR LF.
std::string ApplySummaryText(const ApplyResult& Result);

}  // namespace brieflist
