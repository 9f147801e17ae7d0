#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <unordered_set>

#include "editing/JournalLine.h"

namespace brieflist {

// Whether appending Adding records to a journal of Lines lines, Own of them the open command's,
// calls for a trim: past Limit with lines of other commands to drop. An undo never trims: what
// it takes back must stay until it is done, for it may be stopped half way.
bool JournalTrimDue(size_t Lines, size_t Adding, size_t Own, size_t Limit, bool Undoing);

// What a trim keeps of a journal.
struct JournalTrimPlan {
  std::unordered_set<std::string> Dropped;  // the operations whose records go
  size_t Kept = 0;                          // records left
};

// Records: the journal's records, oldest first, ending with the Adding records being appended.
// Drops whole commands, oldest first, until a tenth below Limit is left (so that a full journal
// is not rewritten on every patch), never these: the command being written (that of the added
// records, wherever its earlier records lie), the newest before it, and the newest that an undo
// can still take back. An undo goes only after the records it took back, or they would count
// as never undone.
JournalTrimPlan PlanJournalTrim(std::span<const JournalRecord> Records, size_t Adding,
                                size_t Limit);

}  // namespace brieflist
