#pragma once

#include <string>
#include <vector>

#include "catalogue/MapNames.h"
#include "catalogue/MissionEntry.h"
#include "cli/Output.h"

namespace brieflist::cli {

// A column after the twelve of a mission row: its title and one UTF-8 cell per row.
struct ExtraColumn {
  std::string Title;
  std::vector<std::string> Cells;
};

// Mission rows: the ten grid columns, then SourceFile and DataOffset, then Extra when given.
// With Resolve, MissionName is looked up in the map-name table. The table refers to its
// arguments, which must outlive it.
TypedTable MissionTable(const std::vector<MissionEntry>& Rows, const MapNameLookup* Resolve,
                        const ExtraColumn* Extra = nullptr);

TypedTable MapNameTable(const std::vector<MapNameEntry>& MapNames);

}  // namespace brieflist::cli
