#include "cli/CliJournal.h"

#include "cli/CliHost.h"
#include "platform/Paths.h"
#include "platform/UserDataFolder.h"

namespace brieflist::cli {

std::unique_ptr<PatchJournal> OpenUserJournal(FileSystem& Files) {
  auto folder = ProgramDataFolder();
  if (!folder) {
    PrintError("no folder for the undo journal: " + folder.Error().Describe() +
               "; nothing was changed");
    return nullptr;
  }
  return std::make_unique<PatchJournal>(Files, JoinPath(*folder, kJournalFileName));
}

}  // namespace brieflist::cli
