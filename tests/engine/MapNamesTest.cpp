#include <gtest/gtest.h>

#include "catalogue/MapNames.h"
#include "catalogue/RefreshCatalogue.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;
using sample::BuildArchive;
using sample::BuildRtxt;

// Reads one RTXT resource as the only text resource of an archive.
std::vector<MapNameEntry> ReadResource(const sample::Bytes& Resource) {
  sample::Bytes file(20, 0);
  file.insert(file.end(), Resource.begin(), Resource.end());
  const ByteReader reader(file);
  CatalogueState state;
  state.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
  ReadMapNames(state, reader);
  return {state.MapNames.begin() + 1, state.MapNames.end()};
}

void PutU32(sample::Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(MapNameResource, PairsReadBackInOrderWithKeysUpperCased) {
  const auto names =
      ReadResource(BuildRtxt({{"Alpha", "First map"}, {"beta", "Second"}, {"C", ""}}));
  EXPECT_EQ(names,
            (std::vector<MapNameEntry>{{"ALPHA", "First map"}, {"BETA", "Second"}, {"C", ""}}));
}

TEST(MapNameResource, StrVc0KeysLoseTheirFirstFiveCharacters) {
  const auto names = ReadResource(BuildRtxt({{"STR_VC01234", "a"},
                                             {"str_vc0x", "b"},
                                             {"STR_VC0", "c"},
                                             {"STR_VC1", "d"},
                                             {"XSTR_VC0", "e"}}));
  ASSERT_EQ(names.size(), 5u);
  EXPECT_EQ(names[0].Key, "C01234");
  EXPECT_EQ(names[1].Key, "C0X");
  EXPECT_EQ(names[2].Key, "C0");
  EXPECT_EQ(names[3].Key, "STR_VC1");
  EXPECT_EQ(names[4].Key, "XSTR_VC0");
}

TEST(MapNameResource, TakesOnePairMoreThanItCountsRecords) {
  // Mark record 2 of 4 as not keyed: n drops to 2 and three pairs are read.
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}});
  PutU32(rtxt, 16 + 16 * 2 + 8, 5);
  const auto names = ReadResource(rtxt);
  EXPECT_EQ(names, (std::vector<MapNameEntry>{{"A", "1"}, {"B", "2"}, {"C", "3"}}));
}

TEST(MapNameResource, NothingWhenNoRecordAfterTheFirstIsKeyed) {
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}});
  PutU32(rtxt, 16 + 16 + 8, 1);
  EXPECT_TRUE(ReadResource(rtxt).empty());
  EXPECT_TRUE(ReadResource(BuildRtxt({{"ONLY", "one"}})).empty());  // a single record counts 0
}

TEST(MapNameResource, WrongTagOrCountIsPassedOver) {
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}});
  sample::Bytes lower = rtxt;
  lower[0] = 'r', lower[2] = 'x';
  EXPECT_EQ(ReadResource(lower).size(), 2u);
  sample::Bytes wrong = rtxt;
  wrong[3] = 'X';
  EXPECT_TRUE(ReadResource(wrong).empty());
  for (const uint32_t count : {0u, 0xFFFFFFFFu, 0x80000000u}) {
    sample::Bytes bad = rtxt;
    PutU32(bad, 12, count);
    EXPECT_TRUE(ReadResource(bad).empty()) << count;
  }
}

TEST(MapNameResource, TextBlockWithoutEnoughTextsSkipsAndRestarts) {
  // Two keyed records (three iterations) but a text block of two texts, cut short by the
  // byte count of the last record: the third iteration finds no NUL and adds nothing.
  sample::Bytes rtxt = BuildRtxt({{"A", "x"}, {"B", "y"}, {"C", "z"}});
  const size_t lastRecord = 16 + 16 * 2;
  PutU32(rtxt, lastRecord, static_cast<uint32_t>(4 - 32));  // text block "x\0y\0"
  const auto names = ReadResource(rtxt);
  EXPECT_EQ(names, (std::vector<MapNameEntry>{{"A", "x"}, {"B", "y"}}));
}

TEST(MapNameResource, KeyBlockEndingAtTheFileEndReadsZeros) {
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}, {"C", "3"}});
  rtxt.resize(rtxt.size() - 3);  // the file ends right after "A\0B"
  const auto names = ReadResource(rtxt);
  EXPECT_EQ(names, (std::vector<MapNameEntry>{{"A", "1"}, {"B", "2"}, {"", "3"}}));
}

TEST(MapNameResource, KeyBlockWithoutAnyNulGivesEmptyKeys) {
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}, {"C", "3"}});
  const uint32_t keyBlockOffset = rtxt[4] | rtxt[5] << 8 | rtxt[6] << 16;
  rtxt.insert(rtxt.end(), 200, 'Q');
  PutU32(rtxt, keyBlockOffset + 4, 4 + 6 + 10);  // point the key block into the run of Qs
  const auto names = ReadResource(rtxt);
  EXPECT_EQ(names, (std::vector<MapNameEntry>{{"", "1"}, {"", "2"}, {"", "3"}}));
}

TEST(MapNameResource, HugeCountsStayWithinTheFile) {
  sample::Bytes rtxt = BuildRtxt({{"A", "1"}, {"B", "2"}});
  PutU32(rtxt, 12, 0x7FFFFFFF);
  const auto names = ReadResource(rtxt);  // bounded by the file: no crash, no huge table
  EXPECT_LT(names.size(), rtxt.size());
  sample::Bytes keys = BuildRtxt({{"A", "1"}, {"B", "2"}});
  PutU32(keys, 4, 0x7FFFFFF0);  // key block far outside the file: keys read as empty
  const auto names2 = ReadResource(keys);
  ASSERT_EQ(names2.size(), 2u);
  EXPECT_EQ(names2[0].Key, "");
  EXPECT_EQ(names2[0].Text, "1");
}

TEST(MapNameLookupRules, EmptyNameUnknownNameAndFirstKeyWins) {
  const std::vector<MapNameEntry> table = {
      {}, {"ALPHA", "First"}, {"BETA", "B"}, {"ALPHA", "Second"}};
  const MapNameLookup lookup(table);
  for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
           {"alpha", "First"}, {"Beta", "B"}, {"Gamma", "Gamma"}, {"", "Not Found!"}}) {
    EXPECT_EQ(LookUpMapName(table, name), expected) << name;
    EXPECT_EQ(lookup.LookUp(name), expected) << name;
  }
  // The placeholder is never searched, even for an empty key.
  const std::vector<MapNameEntry> placeholderOnly = {{"", "nothing"}};
  EXPECT_EQ(LookUpMapName(placeholderOnly, "x"), "x");
}

TEST(MapNamesInRefresh, ArchivesReadFirstWinAndArchivesWithoutMissionsAddNothing) {
  test::TempFolder folder;
  sample::MissionSpec m;
  const sample::ArchiveEntry mission{"M.BMS", sample::BuildMission(m), false, 0};
  folder.Write(
      "a.pff",
      BuildArchive(
          {mission, {"T.BIN", BuildRtxt({{"STR_VC0K", "from a"}, {"X", "x"}}), false, 0}}));
  folder.Write("b.pff",
               BuildArchive({{"T.BIN", BuildRtxt({{"C0K", "no mission"}, {"Y", "y"}}), false, 0}}));
  folder.Write(
      "c.pff",
      BuildArchive({mission, {"T.bin", BuildRtxt({{"c0k", "from c"}, {"Z", "z"}}), false, 0}}));
  auto files = MakeNativeFileSystem();
  test::RecordingHost host;
  CatalogueState state;
  state.GameDirectory = folder.Path();
  RefreshCatalogue(state, Platform{*files, host});
  EXPECT_EQ(state.MapNames, (std::vector<MapNameEntry>{
                                {}, {"C0K", "from a"}, {"X", "x"}, {"C0K", "from c"}, {"Z", "z"}}));
  EXPECT_EQ(LookUpMapName(state.MapNames, "c0k"), "from a");
}

}  // namespace
}  // namespace brieflist
