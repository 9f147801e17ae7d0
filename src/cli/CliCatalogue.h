#pragma once

#include <string>

#include "catalogue/CatalogueState.h"

namespace brieflist::cli {

// Refreshes State from Folder through Host; false (with the message printed) when Folder is no
// folder.
bool LoadCatalogue(CatalogueState& State, FileSystem& Files, EngineHost& Host,
                   const std::string& Folder);

// Folder as an absolute path (Folder itself when the system cannot say): the list files and the
// journal keep the paths of missions, which must lead to them from any working folder.
std::string AbsoluteFolder(const std::string& Folder);

// "N missions, E enabled, D disabled" of the catalogue.
std::string CatalogueCounts(const CatalogueState& State);

// True when Name matches Pattern: "*" any run of characters, "?" one character, letter case
// ignored.
bool MatchesPattern(const std::string& Name, const std::string& Pattern);

}  // namespace brieflist::cli
