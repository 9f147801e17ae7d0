#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliArgs.h"
#include "editing/PatchJournal.h"

namespace brieflist::cli {

// The option of every command that writes the journal: how long to wait for another program.
inline constexpr const char* kWaitOption = "--wait";

// The wait that --wait asks for (seconds, fractions allowed), kJournalLockWait without it;
// nothing, with Error set, when its value is not a number of seconds.
std::optional<std::chrono::milliseconds> LockWaitOf(const CliArgs& Args, std::string& Error);

// The user's undo journal in the program's data folder; nothing (with the reason printed) when
// that folder cannot be found or made. Commands that patch refuse to run without it. Waiting
// for another program's lock, it waits at most Wait and says on stderr that it waits.
std::unique_ptr<PatchJournal> OpenUserJournal(FileSystem& Files,
                                              std::chrono::milliseconds Wait = kJournalLockWait);

// The journal's writer lock for the whole command; nothing, with the reason printed, when
// another program held it too long or it cannot be taken.
std::optional<PatchJournal::WriterLock> LockUserJournal(PatchJournal& Journal);

}  // namespace brieflist::cli
