#pragma once

#include <memory>

#include "editing/PatchJournal.h"

namespace brieflist::cli {

// The user's undo journal in the program's data folder; nothing (with the reason printed) when
// that folder cannot be found or made. Commands that patch refuse to run without it.
std::unique_ptr<PatchJournal> OpenUserJournal(FileSystem& Files);

}  // namespace brieflist::cli
