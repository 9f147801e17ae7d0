#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "editing/Patching.h"

namespace brieflist {

// A catalogue row to switch, and the caller's grid row, handed back in its result.
struct BulkRow {
  int32_t Index = -1;
  int64_t GridRow = -1;
  std::optional<bool> Enabled = {};  // the state this row is to have; unset: the call's
};

// What happened to one row.
struct BulkRowResult {
  BulkRow Row;
  std::string FileName;  // empty for an index outside the catalogue
  std::string SourceFile;
  int32_t DataOffset = 0;
  PatchOutcome Outcome = PatchOutcome::AlreadySo;
  bool Enabled = false;           // for Patched and AlreadySo: the state it has now
  int32_t Now = -1;               // its catalogue row once the call is done; -1 for none
  std::vector<Problem> Problems;  // for Reported and Failed: why
};

struct BulkResult {
  std::vector<BulkRowResult> Rows;  // one per distinct index asked, in the order asked
  int32_t Patched = 0;
  int32_t AlreadySo = 0;
  int32_t Failed = 0;                    // Reported and Failed rows
  std::vector<RefreshReport> Refreshes;  // each rebuild of the catalogue by a locate step

  // One message listing every row that could not be switched and why; empty when none failed.
  std::string FailureMessage() const;
};

// The rows whose catalogue state is not yet Enabled: those a bulk switch would write, and what
// a question before it should count.
std::vector<BulkRow> RowsToSwitch(const CatalogueState& State, std::span<const BulkRow> Rows,
                                  bool Enabled);

// Catalogue rows by their place on disk (SourceFile, DataOffset, FileName), built once: finding
// many rows again after a refresh stays linear.
class MissionIndex {
 public:
  explicit MissionIndex(const CatalogueState& State);
  // As FindMission: the first row at that place; -1 when there is none.
  int32_t Find(const std::string& SourceFile, int32_t DataOffset,
               const std::string& FileName) const;

 private:
  std::unordered_map<std::string, int32_t> Rows_;
};

// Told of each row once its outcome is settled, in the order they settle: for output written as
// the work goes.
using BulkRowDone = std::function<void(const BulkRowResult&)>;

// Switches the missions of the given rows to Enabled (or each to its own BulkRow::Enabled). Rows
// already so in the catalogue are passed over without touching their files; the others are patched
// file by file: per file one open, a read and a write of each mission's header, one journal append
// and one flush (see PatchHeaders). A mission found without its signature takes the
// locate-and-retry step of SetMissionEnabled, after every file has been patched; one refresh serves
// all such rows while the folder lists the same files. Each switched row's Enabled is set. When
// something failed, the caller shows one closing message that lists it (FailureMessage). All
// patches form one operation of the journal, which an undo takes back together.
BulkResult SetMissionsEnabled(CatalogueState& State, const Platform& P,
                              std::span<const BulkRow> Rows, bool Enabled,
                              const BulkRowDone& OnRowDone = {});

}  // namespace brieflist
