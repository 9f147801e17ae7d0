// brieflist-cli enable, disable, toggle, export, import and show, run in-process.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/RefreshCatalogue.h"
#include "cli/CliCatalogue.h"
#include "cli/Commands.h"
#include "support/CliRun.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

using test::CliRun;
using test::RunCli;

// Two archives with a mission of the same name, and a loose mission of that name too.
struct CliFolder {
  test::TempFolder Folder;

  CliFolder() {
    Folder.Write("a.pff", ArchiveBytes({{"SAME.BMS", MissionBytes("BMS")},
                                        {"ALPHA.BMS", MissionBytes("BMS")},
                                        {"BETA.BMS", MissionBytes("VyK")}}));
    Folder.Write("b.pff", ArchiveBytes({{"SAME.BMS", MissionBytes("BMS")}}));
    Folder.Write("SAME.BMS", MissionBytes("BMS"));
  }
  std::string Path() const { return Folder.Path(); }

  // "FileName@archive" of every enabled mission, in catalogue order.
  std::vector<std::string> Enabled() const {
    auto files = MakeNativeFileSystem();
    QuietHost host;
    CatalogueState state;
    state.GameDirectory = Path();
    RefreshCatalogue(state, Platform{*files, host});
    std::vector<std::string> out;
    for (const MissionEntry& r : state.Missions)
      if (r.Enabled != kFalse)
        out.push_back(r.FileName + "@" + std::filesystem::path(r.SourceFile).filename().string());
    return out;
  }
};

TEST(CliPattern, MatchesStarsAndQuestionMarksIgnoringCase) {
  const struct {
    const char* Name;
    const char* Pattern;
    bool Match;
  } cases[] = {
      {"ALPHA.BMS", "alpha.bms", true},
      {"ALPHA.BMS", "a*", true},
      {"ALPHA.BMS", "*.bms", true},
      {"ALPHA.BMS", "?LPHA.*", true},
      {"ALPHA.BMS", "*", true},
      {"ALPHA.BMS", "A*A*S", true},
      {"ALPHA.BMS", "B*", false},
      {"ALPHA.BMS", "?", false},
      {"ALPHA.BMS", "ALPHA", false},
      {"", "*", true},
      {"", "?", false},
      {"A*B", "A*B", true},
      {"AAAAAAAAAAAAAAAAAAAAAAAAB", "*A*A*A*A*A*A*A*C", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(cli::MatchesPattern(c.Name, c.Pattern), c.Match) << c.Name << " ~ " << c.Pattern;
}

TEST(CliSwitch, DisableAndEnableSelectByPatternArchiveOrLooseness) {
  CliFolder f;
  ASSERT_EQ(f.Enabled(), (std::vector<std::string>{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff",
                                                   "SAME.BMS@b.pff", "SAME.BMS@SAME.BMS"}));

  CliRun r = RunCli(cli::RunDisable, {f.Path(), "same.bms", "--archive", "B.PFF"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(f.Enabled(),
            (std::vector<std::string>{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff", "SAME.BMS@SAME.BMS"}));
  EXPECT_NE(r.Out.find("disabled"), std::string::npos);

  r = RunCli(cli::RunDisable, {f.Path(), "S*", "--loose"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(f.Enabled(), (std::vector<std::string>{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff"}));

  // Enable leaves the already enabled ones untouched and switches the rest.
  r = RunCli(cli::RunEnable, {f.Path(), "*"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(f.Enabled().size(), 5u);
  EXPECT_NE(r.Out.find("unchanged"), std::string::npos);

  r = RunCli(cli::RunToggle, {f.Path(), "alpha.BMS", "beta.bms"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(f.Enabled(),
            (std::vector<std::string>{"SAME.BMS@a.pff", "SAME.BMS@b.pff", "SAME.BMS@SAME.BMS"}));
}

TEST(CliSwitch, ReportsUsageErrorsAndPatternsThatMatchNothingWithoutPatching) {
  CliFolder f;
  const auto before = f.Enabled();
  const struct {
    std::vector<std::string> Args;
    int Exit;
    const char* Error;
  } cases[] = {
      {{f.Path()}, 2, "at least one pattern"},
      {{f.Path(), "*", "--archive", "a.pff", "--loose"}, 2, "exclude each other"},
      {{f.Path(), "*", "--bogus"}, 2, "unknown option"},
      {{f.Path(), "ALPHA.BMS", "NOPE*"}, 1, "no mission matches 'NOPE*'"},
      {{f.Path(), "ALPHA.BMS", "--archive", "zzz.pff"}, 1, "no mission matches"},
      {{f.Folder.File("none"), "*"}, 1, "not a folder"},
  };
  for (const auto& c : cases) {
    const CliRun r = RunCli(cli::RunDisable, c.Args);
    EXPECT_EQ(r.Exit, c.Exit) << r.Err;
    EXPECT_NE(r.Err.find(c.Error), std::string::npos) << r.Err;
  }
  EXPECT_EQ(f.Enabled(), before);
}

TEST(CliSwitch, AFailedPatchGivesExitOneWithTheMessageOnStderr) {
  CliFolder f;
  // A read-only loose mission: switching it needs write access.
  const CliRun ok = RunCli(cli::RunDisable, {f.Path(), "SAME.BMS", "--loose"});
  ASSERT_EQ(ok.Exit, 0);
  test::MakeReadOnly(f.Folder.File("SAME.BMS"));
  if (!test::ReadOnlyBinds(f.Folder.File("SAME.BMS")))
    GTEST_SKIP() << "permissions do not bind this user";
  const CliRun r = RunCli(cli::RunEnable, {f.Path(), "SAME.BMS", "--loose"});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find(test::kAccessDenied), std::string::npos) << r.Err;
  EXPECT_NE(r.Out.find("failed"), std::string::npos) << r.Out;
}

TEST(CliList, ExportImportAndShowRoundTrip) {
  CliFolder f;
  const std::string list = f.Folder.File("saved.brl");
  CliRun r = RunCli(cli::RunExport, {f.Path(), list});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("Saved 5 missions"), std::string::npos) << r.Out;
  const auto saved = f.Enabled();

  ASSERT_EQ(RunCli(cli::RunToggle, {f.Path(), "*"}).Exit, 0);
  ASSERT_NE(f.Enabled(), saved);

  // A dry run says what it would do and writes nothing.
  const sample::Bytes archive = test::ReadBytes(f.Folder.File("a.pff"));
  r = RunCli(cli::RunImport, {list, "--dry-run"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("4 to enable, 1 to disable, 0 already so, 0 not found"), std::string::npos)
      << r.Out;
  EXPECT_EQ(test::ReadBytes(f.Folder.File("a.pff")), archive);

  r = RunCli(cli::RunImport, {list});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("5 switched"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("5 missions, 4 enabled, 1 disabled"), std::string::npos) << r.Out;
  EXPECT_EQ(f.Enabled(), saved);

  r = RunCli(cli::RunShow, {list, "--format", "json"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(r.Out.rfind("[\n  {\"FileName\": \"SAME.BMS\", \"MissionName\": \"Mission\",", 0), 0u)
      << r.Out;
  EXPECT_NE(r.Out.find("\"DataOffset\": 0}\n]\n"), std::string::npos) << r.Out;
}

TEST(CliList, BadListsAndMissingMissionsGiveExitOne) {
  CliFolder f;
  const std::string list = f.Folder.File("bad.brl");
  f.Folder.Write("bad.brl", {0x01, 0x00, 0x03, 0x00, 'A'});
  for (auto command : {cli::RunShow, cli::RunImport}) {
    const CliRun r = RunCli(command, {list});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_NE(r.Err.find(list), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find("row 1 of 2"), std::string::npos) << r.Err;
  }
  EXPECT_EQ(RunCli(cli::RunImport, {list, "--dry-run"}).Exit, 1);
  EXPECT_EQ(RunCli(cli::RunShow, {list, "--format", "xml"}).Exit, 2);
  EXPECT_EQ(RunCli(cli::RunImport, {}).Exit, 2);

  // A row whose archive lost the mission: the message goes to stderr, the import goes on.
  ASSERT_EQ(RunCli(cli::RunExport, {f.Path(), list}).Exit, 0);
  f.Folder.Write("b.pff",
                 ArchiveBytes({{"T.BIN", sample::Bytes(300, 0)}, {"OTHER.BMS", MissionBytes()}}));
  const CliRun r = RunCli(cli::RunImport, {list});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Err.find("The File Could Not Be Found!"), std::string::npos) << r.Err;
  EXPECT_NE(r.Out.find("1 missing, 0 failed"), std::string::npos) << r.Out;
}

}  // namespace
}  // namespace brieflist
