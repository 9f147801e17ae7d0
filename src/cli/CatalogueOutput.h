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

// Mission rows in any output format: the ten grid columns, then SourceFile and DataOffset, then
// Extra when given. With Resolve, MissionName is looked up in the map-name table.
std::string RenderMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                           const MapNameLookup* Resolve, const ExtraColumn* Extra = nullptr);
// The same, handed to Sink piece by piece; false when the sink failed.
bool WriteMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                   const MapNameLookup* Resolve, const TextSink& Sink,
                   const ExtraColumn* Extra = nullptr);

std::string RenderMapNames(const std::vector<MapNameEntry>& MapNames, OutputFormat Format);

}  // namespace brieflist::cli
