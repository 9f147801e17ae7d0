#include "cli/CliJournal.h"

#include "cli/CliHost.h"

namespace brieflist::cli {

std::unique_ptr<PatchJournal> OpenUserJournal(FileSystem& Files) {
  auto path = UserJournalPath();
  if (!path) {
    PrintError("no folder for the undo journal: " + path.Error().Describe() +
               "; nothing was changed");
    return nullptr;
  }
  return std::make_unique<PatchJournal>(Files, *path);
}

}  // namespace brieflist::cli
