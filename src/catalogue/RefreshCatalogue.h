#pragma once

#include "catalogue/CatalogueState.h"

namespace brieflist {

// The reason reported for a file whose name has characters the catalogue's text cannot hold.
inline constexpr const char* kUnrepresentableName =
    "its name has characters outside Windows-1252 (shown as ?); rename the file to catalogue it";

// The game files of a folder, the one word on which files a refresh reads: the archives, but
// those whose names start with '_' (the game passes them over: backups), then the loose mission
// files; each in name order.
struct GameFiles {
  IoResult<FolderFiles> Archives;
  IoResult<FolderFiles> Loose;
};
GameFiles ListGameFiles(FileSystem& Files, const std::string& Folder);

// Rebuilds the catalogue and MapNames from State.GameDirectory: archives in name order, then
// loose mission files. Returns what could not be read.
RefreshReport RefreshCatalogue(CatalogueState& State, const Platform& P);

}  // namespace brieflist
