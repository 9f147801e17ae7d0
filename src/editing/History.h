#pragma once

#include <cstddef>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "editing/JournalLine.h"

namespace brieflist {

// One command of the journal: the records of one operation, for a history that people read.
struct JournalCommand {
  std::string Operation;
  std::string Kind;             // "switch", "bulk", "import" or "undo"
  std::string Time;             // of its first record, as the journal keeps it (UTC)
  std::string Folder;           // the folder of its first record's file
  size_t Missions = 0;          // its records
  size_t Undone = 0;            // of its patches, those an undo has taken back since
  std::vector<size_t> Records;  // its records' indices in the journal, oldest first
};

// The commands of Records (oldest first), in the order they began. Linear in the records.
std::vector<JournalCommand> JournalCommands(std::span<const JournalRecord> Records);

// What an undo made of each record: "undone", "refused", "not applied", or empty for a record
// no undo looked at and for the undo kinds themselves. Linear in the records.
std::vector<std::string> UndoStates(std::span<const JournalRecord> Records);

// A record's Time ("YYYY-MM-DDTHH:MM:SSZ") as seconds since the epoch; nothing when malformed.
std::optional<std::time_t> JournalTimeValue(std::string_view Time);
// Seconds since the epoch as local time, "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText(std::time_t Time);
// A local date ("YYYY-MM-DD") or date and time ("YYYY-MM-DDTHH:MM[:SS]", a space for the "T"
// too) as seconds since the epoch; nothing when it is neither.
std::optional<std::time_t> ParseLocalTime(std::string_view Text);

}  // namespace brieflist
