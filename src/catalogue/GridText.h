#pragma once

#include <array>
#include <string>
#include <string_view>

#include "catalogue/MapNames.h"
#include "catalogue/MissionEntry.h"

namespace brieflist {

inline constexpr int kGridColumns = 10;

// Column titles of the mission grid, in order.
inline constexpr std::array<const char*, kGridColumns> kGridTitles = {
    "FileName", "MissionName",      "Creator", "MissionType", "Enabled",
    "Modified", "MissionTypeFlags", "DF",      "External",    "Terrain"};

namespace GridColumn {
inline constexpr int FileName = 0;
inline constexpr int MissionName = 1;
inline constexpr int Creator = 2;
inline constexpr int MissionType = 3;
inline constexpr int Enabled = 4;
inline constexpr int Modified = 5;
inline constexpr int MissionTypeFlags = 6;
inline constexpr int DF = 7;
inline constexpr int External = 8;
inline constexpr int Terrain = 9;
}  // namespace GridColumn

// Short game-type names of a 16-digit flag text, each with its own comma: "COOP,DM,A&D,".
std::string MissionTypeText(const std::string& Flags);
// The same text appended to Out, for writers that reuse one buffer.
void AppendMissionTypeText(std::string& Out, std::string_view Flags);

inline const char* TrueFalseText(bool Value) {
  return Value ? "True" : "False";
}

// "True" for a loose mission file (DataOffset 0), else "False".
inline const char* ExternalText(const MissionEntry& Row) {
  return TrueFalseText(Row.DataOffset == 0);
}

// The text of one grid cell, as raw single-byte text. With Resolve, the mission name is looked
// up in the map-name table.
std::string GridCellText(const MissionEntry& Row, int Column, const MapNameLookup* Resolve);

}  // namespace brieflist
