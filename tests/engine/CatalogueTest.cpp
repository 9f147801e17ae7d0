// A game folder read into the catalogue: which records become rows, in which order, and damage.
#include "support/MemoryFileSystem.h"

namespace brieflist {
namespace {

using sample::ArchiveEntry;
using sample::ArchiveOptions;
using sample::BuildArchive;
using test::Bytes;
using Names = std::vector<std::string>;

ArchiveEntry Packed(const std::string& Name, const std::string& Signature = "BMS") {
  return {Name, test::MissionBytes(Signature), false, 0};
}

TEST(Refresh, FilesBecomeRowsArchivesFirstEachInNameOrder) {
  test::MemoryGame g;
  g.Put("b.PFF", BuildArchive({Packed("FROM_B.BMS")}));
  g.Put("a.pff", BuildArchive({{"README.TXT", {1, 2, 3}, false, 0}}));  // no rows, no shift
  g.Put("a1.pff", BuildArchive({Packed("UNREAD.BMS")}));
  g.Files.FailOpen[test::GamePath("a1.pff")] = IoFault::Denied;  // skipped and reported
  const std::vector<ArchiveEntry> a2 = {Packed("ONE.BMS"), Packed("BAD.BMS", "XYZ"),
                                        Packed("TWO.BMS", "VyK"), Packed("THREE.BMS", "bms")};
  g.Put("A2.pff", BuildArchive(a2));
  g.Put("_off.pff",
        BuildArchive({Packed("HIDDEN.BMS"),
                      {"T.BIN", sample::BuildRtxt({{"K", "T"}, {"L", "U"}}), false, 0}}));
  g.Put("Z.bms", test::MissionBytes());
  g.Put("a loose.bms", test::MissionBytes("vYk"));
  g.Put("_loose.bms", test::MissionBytes());
  g.Put("junk.bms", {'X', 'Y', 'Z', 0});
  g.Put("empty.bms", {});
  const RefreshReport report = g.Refresh();
  EXPECT_EQ(g.FileNames(), (Names{"ONE.BMS", "TWO.BMS", "THREE.BMS", "FROM_B.BMS", "_loose.bms",
                                  "a loose.bms", "Z.bms"}));
  ASSERT_EQ(report.Problems.size(), 1u);
  EXPECT_EQ(report.Problems[0].Path, test::GamePath("a1.pff"));
  EXPECT_EQ(report.Problems[0].Fault, IoFault::Denied);
  EXPECT_EQ(g.State.MapNames.size(), 1u);  // an archive skipped by its "_" adds no map names
  EXPECT_EQ(g.Mission("TWO.BMS").Enabled, kFalse);
  EXPECT_EQ(g.Mission("THREE.BMS").Enabled, kTrue);
  EXPECT_EQ(g.Mission("a loose.bms").Enabled, kFalse);
  EXPECT_EQ(g.Mission("Z.bms").DataOffset, 0);
  // Each row points at its own record's data, past records that gave no row.
  EXPECT_EQ(g.Mission("ONE.BMS").DataOffset, sample::ArchiveDataOffsets(a2)[0]);
  EXPECT_EQ(g.Mission("TWO.BMS").DataOffset, sample::ArchiveDataOffsets(a2)[2]);
  EXPECT_EQ(g.Mission("TWO.BMS").SourceFile, test::GamePath("A2.pff"));

  // Fewer missions than before leave no old rows; a missing folder empties the catalogue.
  g.Files.Files.erase(test::GamePath("A2.pff"));
  g.Refresh();
  EXPECT_EQ(g.FileNames(), (Names{"FROM_B.BMS", "_loose.bms", "a loose.bms", "Z.bms"}));
  const RefreshReport missing = g.Refresh("/nowhere");
  EXPECT_EQ(g.State.LastMission, -1);
  EXPECT_TRUE(g.State.Missions.empty());
  ASSERT_EQ(missing.Problems.size(), 1u);
  EXPECT_EQ(missing.Problems[0].Fault, IoFault::Missing);
}

TEST(Refresh, ALooseMissionAloneStartsAtRowZeroAndTheSourceFileHasOneSeparator) {
  test::MemoryGame g;
  g.Put("x.pff", BuildArchive({{"T.TXT", {0}, false, 0}}));
  g.Put("one.bms", test::MissionBytes());
  for (const std::string& folder : {std::string("/g"), JoinPath("/g", "")}) {  // with a separator
    g.Refresh(folder);
    EXPECT_EQ(g.FileNames(), Names{"one.bms"});
    EXPECT_EQ(g.State.Missions[0].SourceFile, test::GamePath("one.bms"));
  }
}

TEST(Refresh, MapNamesComeFromArchivesWithMissionsFirstKeyWinning) {
  test::MemoryGame g;
  const auto text = [](std::vector<std::pair<std::string, std::string>> Pairs, const char* Name) {
    return ArchiveEntry{Name, sample::BuildRtxt(Pairs), false, 0};
  };
  g.Put("a.pff",
        BuildArchive({Packed("M.BMS"), text({{"STR_VC0K", "from a"}, {"X", "x"}}, "T.BIN")}));
  g.Put("b.pff", BuildArchive({text({{"C0K", "no mission"}, {"Y", "y"}}, "T.BIN")}));
  g.Put("c.pff", BuildArchive({Packed("M.BMS"), text({{"c0k", "from c"}, {"Z", "z"}}, "T.bin")}));
  g.Refresh();
  EXPECT_EQ(g.State.MapNames,
            (std::vector<MapNameEntry>{
                {}, {"C0K", "from a"}, {"X", "x"}, {"C0K", "from c"}, {"Z", "z"}}));
}

TEST(ArchiveReading, DamagedHeadersAndDirectories) {
  const auto archive = [](std::function<void(ArchiveOptions&)> Set = {}) {
    ArchiveOptions o;
    if (Set) Set(o);
    return BuildArchive({Packed("A.BMS"), Packed("B.BMS")}, o);
  };
  const auto patched = [](Bytes b, size_t At, uint32_t Value) {
    for (int i = 0; i < 4; ++i) b[At + i] = static_cast<uint8_t>(Value >> (8 * i));
    return b;
  };
  Bytes cut = archive();
  cut.resize(30);
  const Names both = {"A.BMS", "B.BMS"};
  std::vector<ArchiveEntry> beyond = {Packed("A.BMS"), Packed("B.BMS")};
  beyond[1].OverrideOffset = true;
  beyond[1].DataOffset = 1 << 30;
  std::vector<ArchiveEntry> before = beyond;
  before[1].DataOffset = -100;
  const struct {
    const char* What;
    Bytes File;
    std::deque<bool> Answers;  // to the question about an invalid header
    Names Rows;
  } cases[] = {
      {"lower-case magic, no question", archive([](auto& o) { o.Magic = "pff3"; }), {}, both},
      {"header size 24: skipped", archive([](auto& o) { o.HeaderSize = 24; }), {true}, {}},
      {"magic PFF2, read anyway", archive([](auto& o) { o.Magic = "PFF2"; }), {false}, both},
      {"entry count 0", archive([](auto& o) { o.OverrideEntryCount = true; }), {}, both},
      {"entry size 48", archive([](auto& o) { o.EntrySize = 48; }), {}, both},
      {"entry size 0", patched(archive(), 12, 0), {}, {}},
      {"entry size -32", patched(archive(), 12, static_cast<uint32_t>(-32)), {}, {}},
      {"directory at 0x80000000", patched(archive(), 16, 0x80000000u), {}, {}},
      {"data past the end", BuildArchive(beyond), {}, {"A.BMS"}},
      {"data before the start", BuildArchive(before), {}, {"A.BMS"}},
      {"cut inside its directory", cut, {}, {}},
      {"empty, read anyway", {}, {false}, {}},
      {"names lose spaces and NULs; endings in any case",
       BuildArchive({Packed(" MY MAP.BMS"), Packed(std::string("X\0Y.bMs", 7)), Packed("NOTES.TXT"),
                     Packed("LOWER.bms")}),
       {},
       {"MYMAP.BMS", "XY.bMs", "LOWER.bms"}},
  };
  for (const auto& c : cases) {
    test::MemoryGame g;
    g.Put("a.pff", c.File);
    g.Host.Answers = c.Answers;
    g.Refresh();
    EXPECT_EQ(g.FileNames(), c.Rows) << c.What;
    EXPECT_EQ(g.Host.Questions.size(), c.Answers.size()) << c.What;
    EXPECT_TRUE(c.Answers.empty() ||
                g.Host.Questions[0].ends_with("skip this file:\r\n" + test::GamePath("a.pff")));
  }
}

}  // namespace
}  // namespace brieflist
