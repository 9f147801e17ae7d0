#include "cli/CliJournal.h"

#include <charconv>
#include <cstdio>

#include "cli/CliHost.h"
#include "cli/Output.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {

std::optional<std::chrono::milliseconds> LockWaitOf(const CliArgs& Args, std::string& Error) {
  const auto text = Args.Value(kWaitOption);
  if (!text) return kJournalLockWait;
  double seconds = -1;
  const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), seconds);
  // A year is longer than anyone means to wait, and keeps the milliseconds far from overflow.
  if (failed != std::errc() || end != text->data() + text->size() || !(seconds >= 0) ||
      seconds > 365.0 * 24 * 3600) {
    Error = std::string(kWaitOption) + " takes a number of seconds, not '" + *text + "'";
    return std::nullopt;
  }
  return std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000 + 0.5));
}

std::unique_ptr<PatchJournal> OpenUserJournal(FileSystem& Files, std::chrono::milliseconds Wait) {
  auto path = UserJournalPath();
  if (!path) {
    PrintError("no folder for the undo journal: " + path.Error().Describe() +
               "; nothing was changed");
    return nullptr;
  }
  auto journal = std::make_unique<PatchJournal>(Files, *path);
  journal->OnNotice = [](const std::string& Text) { PrintWarning(Text); };
  journal->LockWait = Wait;
  journal->OnWaiting = [lock = *path + kJournalLockSuffix] {
    std::fprintf(stderr,
                 "brieflist-cli: waiting for another program to finish writing the undo journal "
                 "(%s)...\n",
                 TerminalSafe(NativeNameToUtf8(lock)).c_str());
  };
  return journal;
}

std::optional<PatchJournal::WriterLock> LockUserJournal(PatchJournal& Journal) {
  auto lock = Journal.LockWriters();
  if (!lock) {
    PrintError("could not lock the undo journal: " + lock.Error().Describe() +
               "; nothing was changed");
    return std::nullopt;
  }
  return std::move(*lock);
}

}  // namespace brieflist::cli
