#pragma once

#include <string>
#include <vector>

#include "catalogue/MapNames.h"
#include "catalogue/MissionEntry.h"
#include "cli/Output.h"

namespace brieflist::cli {

// Mission rows in any output format: the ten grid columns, then SourceFile and DataOffset.
// With Resolve, MissionName is looked up in the map-name table.
std::string RenderMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                           const MapNameLookup* Resolve);
// The same, handed to Sink piece by piece; false when the sink failed.
bool WriteMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                   const MapNameLookup* Resolve, const TextSink& Sink);

std::string RenderMapNames(const std::vector<MapNameEntry>& MapNames, OutputFormat Format);

}  // namespace brieflist::cli
