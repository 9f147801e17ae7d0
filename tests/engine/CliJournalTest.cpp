// brieflist-cli duplicates, history and undo, run in-process with a journal of their own.
#include <gtest/gtest.h>

#include "cli/Commands.h"
#include "editing/PatchJournal.h"
#include "support/CliRun.h"
#include "support/DataFolder.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::CliRun;
using test::MissionBytes;
using test::RunCli;

// A folder with a name packed in two archives and lying loose too, and a data folder of its own.
struct CliJournalFolder {
  test::ScopedDataFolder Data;
  test::TempFolder Folder;

  CliJournalFolder() {
    Folder.Write("a.pff", ArchiveBytes({{"SAME.BMS", MissionBytes("BMS", 0x80, 0x01, 0x1234)},
                                        {"ALPHA.BMS", MissionBytes("BMS")},
                                        {"Solo.bms", MissionBytes("VyK")}}));
    Folder.Write("b.pff", ArchiveBytes({{"same.bms", MissionBytes("BMS")}}));
    Folder.Write("SAME.BMS", MissionBytes("BMS"));
  }
  std::string Path() const { return Folder.Path(); }
  sample::Bytes Archive() const { return test::ReadBytes(Folder.File("a.pff")); }
};

size_t Lines(const std::string& Text) {
  return static_cast<size_t>(std::count(Text.begin(), Text.end(), '\n'));
}

TEST(CliDuplicates, PrintsEachGroupInEveryFormat) {
  CliJournalFolder f;
  CliRun r = RunCli(cli::RunDuplicates, {f.Path()});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(Lines(r.Out), 6u);  // titles, their rule, three rows, the count
  EXPECT_NE(r.Out.find("1 duplicate names"), std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.find("ALPHA"), std::string::npos);

  r = RunCli(cli::RunDuplicates, {f.Path(), "--format", "csv"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out.substr(0, r.Out.find('\n')), "FileName,Count,SourceFile,DataOffset\r");
  EXPECT_NE(r.Out.find("same.bms,3," + f.Folder.File("b.pff") + ",20"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("SAME.BMS,3," + f.Folder.File("SAME.BMS") + ",0"), std::string::npos);

  r = RunCli(cli::RunDuplicates, {f.Path(), "--format", "json"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("{\"FileName\": \"SAME.BMS\", \"Count\": 3, \"Missions\": ["),
            std::string::npos)
      << r.Out;
  EXPECT_EQ(r.Out.front(), '[');
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "]\n");
}

TEST(CliDuplicates, SaysSoWhenThereAreNoneAndReportsUsageErrors) {
  CliJournalFolder f;
  test::TempFolder plain;
  plain.Write("x.pff", ArchiveBytes({{"A.BMS", MissionBytes()}, {"B.BMS", MissionBytes()}}));
  CliRun r = RunCli(cli::RunDuplicates, {plain.Path()});
  EXPECT_EQ(r.Exit, 0);
  EXPECT_EQ(r.Out, "No duplicate names.\n");
  r = RunCli(cli::RunDuplicates, {plain.Path(), "--format", "json"});
  EXPECT_EQ(r.Out, "[]\n");

  const struct {
    std::vector<std::string> Args;
    int Exit;
  } cases[] = {{{}, 2}, {{f.Path(), "--format", "xml"}, 2}, {{f.Folder.File("none")}, 1}};
  for (const auto& c : cases) EXPECT_EQ(RunCli(cli::RunDuplicates, c.Args).Exit, c.Exit);
}

TEST(CliUndo, TakesBackTheLatestCommandsAndHistoryListsThemNewestFirst) {
  CliJournalFolder f;
  const sample::Bytes original = f.Archive();
  CliRun r = RunCli(cli::RunHistory, {});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out, "The journal is empty.\n");

  ASSERT_EQ(RunCli(cli::RunDisable, {f.Path(), "SAME.BMS", "ALPHA.BMS", "--archive", "a.pff"}).Exit,
            0);
  const sample::Bytes afterFirst = f.Archive();
  ASSERT_EQ(RunCli(cli::RunEnable, {f.Path(), "solo.bms"}).Exit, 0);

  r = RunCli(cli::RunHistory, {"--format", "tsv"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  ASSERT_EQ(Lines(r.Out), 4u) << r.Out;
  std::vector<std::string> lines;
  for (size_t at = 0; at < r.Out.size();) {
    const size_t end = r.Out.find('\n', at);
    lines.push_back(r.Out.substr(at, end - at));
    at = end + 1;
  }
  EXPECT_EQ(lines[0].substr(0, 25), "Time\tKind\tFileName\tSource");
  EXPECT_NE(lines[1].find("\tset\tSolo.bms\t"), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("\t56794b 00008001 00000000\t424d53 00000000 00000000\t"),
            std::string::npos)
      << lines[1];
  EXPECT_NE(lines[3].find("\tset\tSAME.BMS\t" + f.Folder.File("a.pff") + "\t20\t"),
            std::string::npos)
      << lines[3];

  r = RunCli(cli::RunUndo, {});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("Undid 1 operation: 1 restored, 0 not applied, 0 refused, 0 failed"),
            std::string::npos)
      << r.Out;
  EXPECT_EQ(f.Archive(), afterFirst);
  r = RunCli(cli::RunUndo, {"--count", "5"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("2 restored"), std::string::npos) << r.Out;
  EXPECT_EQ(f.Archive(), original);  // the modified word of SAME.BMS included
  r = RunCli(cli::RunUndo, {});
  EXPECT_EQ(r.Exit, 0);
  EXPECT_EQ(r.Out, "Nothing to undo.\n");

  r = RunCli(cli::RunHistory, {"--format", "json"});
  ASSERT_EQ(r.Exit, 0);
  EXPECT_EQ(Lines(r.Out), 8u);  // "[", six records, "]"
  EXPECT_NE(r.Out.find("\"Kind\": \"undo\""), std::string::npos);
  EXPECT_NE(r.Out.find("\"Undo\": \"undone\""), std::string::npos);
}

TEST(CliUndo, RefusesAMissionChangedSinceWithExitOneAndTheFileNamed) {
  CliJournalFolder f;
  ASSERT_EQ(RunCli(cli::RunDisable, {f.Path(), "ALPHA.BMS"}).Exit, 0);
  // Another program changes the disabled mission's marker.
  sample::Bytes archive = f.Archive();
  const auto at = static_cast<size_t>(
      std::search(archive.begin() + 20, archive.end(), std::begin("VyK"), std::end("VyK") - 1) -
      archive.begin());
  ASSERT_LT(at, archive.size());
  archive[at + 1] = 'Y';  // "VYK": still disabled, other bytes
  f.Folder.Write("a.pff", archive);

  const CliRun r = RunCli(cli::RunUndo, {});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find(f.Folder.File("a.pff") + ": ALPHA.BMS was changed since"), std::string::npos)
      << r.Err;
  EXPECT_NE(r.Out.find("refused: changed since"), std::string::npos) << r.Out;
  EXPECT_EQ(f.Archive(), archive);
}

TEST(CliUndo, ReportsUsageErrors) {
  CliJournalFolder f;
  const struct {
    const char* Option;
    const char* Value;
  } cases[] = {{"--count", "0"}, {"--count", "-1"}, {"--count", "two"}, {"--count", "3x"}};
  for (const auto& c : cases) {
    const CliRun r = RunCli(cli::RunUndo, {c.Option, c.Value});
    EXPECT_EQ(r.Exit, 2) << c.Value;
    EXPECT_NE(r.Err.find("--count"), std::string::npos) << r.Err;
  }
  EXPECT_EQ(RunCli(cli::RunUndo, {"extra"}).Exit, 2);
  EXPECT_EQ(RunCli(cli::RunHistory, {"--format", "yaml"}).Exit, 2);
}

#ifndef _WIN32
TEST(CliUndo, WithoutAFolderForTheJournalNothingIsSwitched) {
  CliJournalFolder f;
  const sample::Bytes before = f.Archive();
  test::ScopedDataFolder::Set("relative/ignored");
  const char* home = std::getenv("HOME");
  const std::string oldHome = home ? home : "";
  unsetenv("HOME");
  const CliRun r = RunCli(cli::RunDisable, {f.Path(), "ALPHA.BMS"});
  setenv("HOME", oldHome.c_str(), 1);
  test::ScopedDataFolder::Set(f.Data.Path());
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find("no folder for the undo journal"), std::string::npos) << r.Err;
  EXPECT_EQ(f.Archive(), before);
}
#endif

}  // namespace
}  // namespace brieflist
