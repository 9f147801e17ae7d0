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
  auto journal = std::make_unique<PatchJournal>(Files, *path);
  journal->OnNotice = [](const std::string& Text) { PrintWarning(Text); };
  return journal;
}

}  // namespace brieflist::cli
