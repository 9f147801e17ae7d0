// File names that more than one mission carries, letter case ignored.
#include <gtest/gtest.h>

#include "catalogue/DuplicateNames.h"

namespace brieflist {
namespace {

MissionEntry Row(const char* FileName, const char* SourceFile, int32_t DataOffset = 20) {
  MissionEntry row;
  row.FileName = FileName;
  row.SourceFile = SourceFile;
  row.DataOffset = DataOffset;
  return row;
}

CatalogueState CatalogueOf(std::vector<MissionEntry> Rows) {
  CatalogueState state;
  state.Missions = std::move(Rows);
  state.LastMission = static_cast<int32_t>(state.Missions.size()) - 1;
  return state;
}

TEST(FindDuplicateNames, GroupsNamesAcrossArchivesAndLooseFilesInCatalogueOrder) {
  const CatalogueState state = CatalogueOf({
      Row("RAID.BMS", "/g/a.pff"),          // 0
      Row("SOLO.BMS", "/g/a.pff", 500),     // 1
      Row("Storm.bms", "/g/a.pff", 900),    // 2
      Row("raid.bms", "/g/b.pff"),          // 3 same as 0, other case
      Row("STORM.BMS", "/g/b.pff", 300),    // 4 same as 2
      Row("\xC9T\xC9.BMS", "/g/b.pff", 7),  // 5 accented capitals
      Row("RAID.BMS", "/g/RAID.BMS", 0),    // 6 packed and loose
      Row("\xE9t\xE9.bms", "/g/c.pff"),     // 7 same as 5 in Windows-1252 lower case
      Row("RAID.BMS", "/g/a.pff", 4000),    // 8 twice in one archive
  });
  const DuplicateNames found = FindDuplicateNames(state);
  ASSERT_EQ(found.Groups.size(), 3u);
  EXPECT_EQ(found.Groups[0].FileName, "RAID.BMS");
  EXPECT_EQ(found.Groups[0].Rows, (std::vector<int32_t>{0, 3, 6, 8}));
  EXPECT_EQ(found.Groups[0].Sources,
            (std::vector<std::string>{"/g/a.pff", "/g/b.pff", "/g/RAID.BMS", "/g/a.pff"}));
  EXPECT_EQ(found.Groups[1].FileName, "Storm.bms");
  EXPECT_EQ(found.Groups[1].Rows, (std::vector<int32_t>{2, 4}));
  EXPECT_EQ(found.Groups[2].Rows, (std::vector<int32_t>{5, 7}));
  EXPECT_EQ(found.GroupOfRow, (std::vector<int32_t>{0, -1, 1, 0, 1, 2, 0, 2, 0}));
  EXPECT_EQ(DuplicateSourcesText(found.Groups[1]), "/g/a.pff\n/g/b.pff");
}

TEST(FindDuplicateNames, FindsNoneWhereEveryNameIsUniqueOrBeyondTheLastRow) {
  const struct {
    const char* What;
    std::vector<MissionEntry> Rows;
    int32_t LastMission;
  } cases[] = {
      {"empty", {}, -1},
      {"unique",
       {Row("A.BMS", "/g/a.pff"), Row("B.BMS", "/g/a.pff"), Row("AB.BMS", "/g/b.pff")},
       2},
      {"the copy lies past LastMission", {Row("A.BMS", "/g/a.pff"), Row("A.BMS", "/g/b.pff")}, 0},
  };
  for (const auto& c : cases) {
    CatalogueState state = CatalogueOf(c.Rows);
    state.LastMission = c.LastMission;
    const DuplicateNames found = FindDuplicateNames(state);
    EXPECT_TRUE(found.Groups.empty()) << c.What;
    EXPECT_EQ(found.GroupOfRow, std::vector<int32_t>(static_cast<size_t>(c.LastMission + 1), -1))
        << c.What;
  }
}

}  // namespace
}  // namespace brieflist
