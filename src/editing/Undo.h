#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Problem.h"
#include "editing/PatchJournal.h"

namespace brieflist {

// A command of the journal that an undo can still take back.
struct UndoableOperation {
  std::string Id;
  std::string Kind;
  std::string Time;                    // of its newest record
  std::vector<JournalRecord> Pending;  // its records not yet looked at by an undo, newest first
};

// The operations of the journal with records still to undo, newest first. A record leaves the
// undo stack once an undo has looked at it: restored it ("undo"), or found it changed since
// ("refused") or never written ("not-applied"). Undo records themselves are never undone.
// With a Folder (ending with its separator), only the records of the files directly in it.
std::vector<UndoableOperation> UndoableOperations(const JournalContents& Journal,
                                                  const std::optional<std::string>& Folder = {});

enum class UndoStatus {
  Restored,      // the bytes from before the patch are back
  NotApplied,    // the mission already holds its bytes from before the patch: nothing to undo
  ChangedSince,  // the mission's bytes are no longer those the patch wrote: refused
  Failed,        // the file or the journal could not be read or written: try again later
};

struct UndoneRecord {
  JournalRecord Record;  // the record looked at
  UndoStatus Status = UndoStatus::Restored;
  std::vector<Problem> Problems;  // for every status but Restored: why
};

struct UndoResult {
  int32_t Operations = 0;             // operations taken back
  std::vector<UndoneRecord> Records;  // in the order they were looked at
  std::vector<int32_t> ChangedRows;   // catalogue rows whose Enabled the undo changed
  std::vector<std::string> Problems;  // a journal that cannot be read or written, lost records
  // Damaged journal lines, said but no failure of this undo: the part of them that concerns
  // the commands taken back is among the Problems.
  std::vector<std::string> Warnings;
  bool Unreadable = false;  // the journal could not be read or locked: nothing looked at

  int32_t Count(UndoStatus Status) const;
  // True when a record was refused or failed, or there was a problem.
  bool Failed() const;
  // The warnings, the problems and every record not restored, one per line; empty when there
  // is nothing to say.
  std::string Message() const;
};

// Takes back the Count most recent operations of the journal, newest record first: a mission is
// restored to its bytes from before the patch only where its file still holds the bytes the
// patch wrote; otherwise its undo is refused and nothing is written to it. Each restore is
// itself a patch, journalled as "undo"; the catalogue rows of restored missions get their new
// Enabled (listed in ChangedRows). What there is to say is Message(), for the caller to show.
// With a Folder, only the commands that patched files directly in it count, and only their
// records of those files are taken back: a window undoes what it shows and nothing else.
UndoResult UndoLastPatches(CatalogueState& State, const Platform& P, int32_t Count = 1,
                           const std::optional<std::string>& Folder = {});

}  // namespace brieflist
