#pragma once

#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"

namespace brieflist::cli {

// True when Folder is a folder; otherwise prints why not ("not a folder", or the system's reason
// when it cannot be looked at) and returns false.
bool CheckFolder(FileSystem& Files, const std::string& Folder);

// Refreshes State from Folder through Host; false (with the message printed) when Folder is no
// folder. Report, when given, receives what the refresh could not read.
bool LoadCatalogue(CatalogueState& State, FileSystem& Files, EngineHost& Host,
                   const std::string& Folder, RefreshReport* Report = nullptr);

// A command whose result lacks what could not be read fails: when Problems holds any, prints
// Text with their count ("N files that could not be read") on stderr and returns true. The
// files themselves were named by the refresh's warnings.
bool ReportUnread(const std::vector<IoError>& Problems, const std::string& Text);

// Folder (or a file) as an absolute path (itself when the system cannot say): every path the
// commands print is absolute, and the list files and the journal keep the paths of missions,
// which must lead to them from any working folder.
std::string AbsoluteFolder(const std::string& Folder);

// "N missions, E enabled, D disabled" of the catalogue.
std::string CatalogueCounts(const CatalogueState& State);

// True when Name matches Pattern: "*" any run of characters, "?" one character, letter case
// ignored.
bool MatchesPattern(const std::string& Name, const std::string& Pattern);

}  // namespace brieflist::cli
