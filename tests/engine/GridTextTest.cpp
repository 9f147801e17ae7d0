#include <gtest/gtest.h>

#include "catalogue/GridText.h"

namespace brieflist {
namespace {

TEST(MissionTypeNames, PositionsMapToNamesInTableOrder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"0000000000000000", ""},
      {"0111111100000000", ""},  // positions 2 to 8 are never shown
      {"1000000000000001", "COOP,A&D,"},
      {"1000000000000011", "COOP,DM,A&D,"},
      {"0000000011111111", "COOP,DM,KOTH,FB,CTF,TDM,TKOTH,S&D,"},
      {"1111111111111111", "COOP,DM,KOTH,FB,CTF,TDM,TKOTH,S&D,A&D,"},
      {"0000000010000000", "S&D,"},
      {"1", "A&D,"},             // shorter texts: missing positions are not set
      {"000000000000000x", ""},  // only "1" counts
      {"", ""},
  };
  for (const auto& [flags, expected] : cases) EXPECT_EQ(MissionTypeText(flags), expected) << flags;
}

TEST(GridCells, TextsOfEveryColumn) {
  MissionEntry row;
  row.FileName = "A.BMS";
  row.MissionName = "name";
  row.Creator = "c|r;x";
  row.MissionTypeFlags = "1000000000000001";
  row.Enabled = kTrue;
  row.Modified = kFalse;
  row.GameVersion = 2;
  row.DataOffset = 0;
  row.Terrain = "name";
  const std::vector<MapNameEntry> table = {{}, {"NAME", "Resolved"}};
  const MapNameLookup lookup(table);
  const std::vector<std::string> plain = {
      "A.BMS", "name", "c|r;x", "COOP,A&D,", "True", "False", "1000000000000001",
      "2",     "True", "name"};
  for (int c = 0; c < kGridColumns; ++c) EXPECT_EQ(GridCellText(row, c, nullptr), plain[c]) << c;
  EXPECT_EQ(GridCellText(row, GridColumn::MissionName, &lookup), "Resolved");
  EXPECT_EQ(GridCellText(row, GridColumn::Terrain, &lookup), "name");  // never resolved
  row.DataOffset = 20;
  row.Enabled = kFalse;
  EXPECT_EQ(GridCellText(row, GridColumn::External, nullptr), "False");
  EXPECT_EQ(GridCellText(row, GridColumn::Enabled, nullptr), "False");
  row.MissionName.clear();
  EXPECT_EQ(GridCellText(row, GridColumn::MissionName, &lookup), "Not Found!");
  EXPECT_EQ(GridCellText(row, GridColumn::MissionName, nullptr), "");
}

}  // namespace
}  // namespace brieflist
