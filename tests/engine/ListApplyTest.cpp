// A list applied to a folder other than its own, and brieflist-cli import/show --folder.
#include "cli/Commands.h"
#include "editing/BulkSwitch.h"
#include "editing/Undo.h"
#include "exchange/ListApply.h"
#include "support/MemoryFileSystem.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;
using O = ApplyOutcome;
constexpr auto Row = test::ListRow;

TEST(ApplyListToFolder, MatchesByArchiveAndFileNameWhateverThePathCaseAndOffset) {
  test::MemoryGame g;
  test::MemoryFileSystem& files = g.Files;
  files.Put("/g", "m.pff",
            ArchiveBytes({{"ONE.BMS", MissionBytes("BMS")},
                          {"TWO.BMS", MissionBytes("VyK")},
                          {"DUP.BMS", MissionBytes("BMS")},
                          {"DUP.BMS", MissionBytes("BMS")}}));
  files.Put("/g", "x.pff", ArchiveBytes({{"X.BMS", MissionBytes("BMS")}}));
  files.Put("/g", "Loose.bms", MissionBytes("BMS"));
  // Where letter case tells files apart, two archives may share one name: both are named.
  files.Put("/g", "CASE.PFF", ArchiveBytes({{"X.BMS", MissionBytes()}}));
  files.Put("/g", "case.pff", ArchiveBytes({{"x.bms", MissionBytes()}}));
  files.FailWrite[test::GamePath("x.pff")] = IoFault::NoSpace;
  const auto original = files.Files;
  const struct {
    MissionEntry Row;
    O Dry, Written;
  } cases[] = {
      {Row("C:\\Games\\DF2\\M.PFF", "one.bms", 99999, false), O::SwitchedOff, O::SwitchedOff},
      {Row("/home/p/df/m.pff", "TWO.BMS", 20, true), O::SwitchedOn, O::SwitchedOn},
      {Row("C:\\G\\gone.pff", "ONE.BMS", 20, true), O::Missing, O::Missing},
      {Row("C:\\G\\m.pff", "DUP.BMS", 20, false), O::Ambiguous, O::Ambiguous},
      {Row("C:\\G\\x.pff", "X.BMS", 20, false), O::SwitchedOff, O::Failed},
      {Row("C:\\G\\LOOSE.BMS", "LOOSE.BMS", 0, false), O::SwitchedOff, O::SwitchedOff},
      {Row("C:\\G\\m.pff", "loose.bms", 20, false), O::Missing, O::Missing},  // packed only
      {Row("D:\\m.pff", "ONE.BMS", 7, false), O::AlreadySo, O::AlreadySo},    // after row 1
      {Row("C:\\G\\case.pff", "X.BMS", 20, false), O::Ambiguous, O::Ambiguous},
  };
  std::vector<MissionEntry> rows;
  for (const auto& c : cases) rows.push_back(c.Row);

  std::vector<size_t> expected;  // the bytes the switches of ONE and TWO may change
  for (const ApplyMode mode : {ApplyMode::DryRun, ApplyMode::Write}) {
    const ApplyResult result = ApplyListToFolder(g.P, rows, "/g", mode);
    for (size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(result.Rows[i].Outcome, mode == ApplyMode::DryRun ? cases[i].Dry : cases[i].Written)
          << "row " << i + 1;
    EXPECT_FALSE(result.Complete());
    EXPECT_EQ(MissingRowsText(result), "gone.pff: ONE.BMS\r\nm.pff: loose.bms\r\n");
    EXPECT_EQ(result.Rows[8].Fault->Detail,
              test::GamePath("CASE.PFF") + " and " + test::GamePath("case.pff"));
    if (mode == ApplyMode::DryRun) {
      EXPECT_EQ(files.Files, original);
      continue;
    }
    for (const size_t row : {0, 1})
      for (size_t at : test::PatchedBytes(static_cast<size_t>(result.Rows[row].DataOffset)))
        expected.push_back(at);
    EXPECT_EQ(result.Rows[4].Fault->Code, ProblemCode::Unwritable);
    EXPECT_EQ(result.Rows[4].Fault->File, test::GamePath("x.pff"));
  }
  // Only the switched missions changed, and one undo takes the whole list back.
  for (size_t at : test::DifferingBytes(original.at(test::GamePath("m.pff")),
                                        files.Files[test::GamePath("m.pff")]))
    EXPECT_NE(std::find(expected.begin(), expected.end(), at), expected.end()) << at;
  EXPECT_EQ(files.Files[test::GamePath("Loose.bms")][1], 'y');
  EXPECT_EQ(UndoLastPatches(g.State, g.P, 1).Count(UndoStatus::Restored), 3);
  EXPECT_EQ(files.Files, original);
}

// A read-only install: a mission already as asked needs no write; only a switch fails.
TEST(ApplyListToFolder, AMissionAlreadySoNeedsNoWriteInAReadOnlyFolder) {
  test::MemoryGame g;
  g.Put("m.pff", ArchiveBytes({{"ON.BMS", MissionBytes("BMS")}, {"OFF.BMS", MissionBytes("VyK")}}));
  g.Put("l.bms", MissionBytes("VyK"));
  for (const char* name : {"m.pff", "l.bms"})
    g.Files.ReadOnly[test::GamePath(name)] = IoFault::Denied;
  const auto original = g.Files.Files;
  const MissionEntry on = Row("C:\\G\\m.pff", "ON.BMS", 1, true);
  ApplyResult result = ApplyListToFolder(
      g.P, {on, Row("C:\\G\\M.PFF", "off.bms", 1, false), Row("C:\\G\\L.BMS", "l.bms", 0, false)},
      "/g", ApplyMode::Write);
  EXPECT_TRUE(result.Complete());
  EXPECT_EQ(result.Count(O::AlreadySo), 3);
  result =
      ApplyListToFolder(g.P, {on, Row("C:\\G\\m.pff", "OFF.BMS", 1, true)}, "/g", ApplyMode::Write);
  EXPECT_EQ(result.Rows[0].Outcome, O::AlreadySo);
  EXPECT_EQ(result.Rows[1].Outcome, O::Failed);
  EXPECT_EQ(result.Rows[1].Fault->Code, ProblemCode::Unwritable);

  // A switch to the state a stale catalogue did not know the mission had, alone or in bulk.
  g.Refresh();
  g.State.Missions[0].Enabled = kFalse;
  g.State.Missions[1].Enabled = g.State.Missions[2].Enabled = kTrue;
  const SwitchResult one = SetMissionEnabled(g.State, g.P, 0, 0, true);
  EXPECT_TRUE(one.Outcome == PatchOutcome::AlreadySo && one.Problems.empty());
  const BulkRow both[] = {{1, 1}, {2, 2}};
  const BulkResult bulk = SetMissionsEnabled(g.State, g.P, both, false);
  EXPECT_EQ(bulk.AlreadySo, 2);
  EXPECT_EQ(bulk.FailureMessage(), "");
  EXPECT_EQ(g.Files.Files, original);
  EXPECT_TRUE(g.Records().empty());
}

TEST(CliImportFolder, PrintsEachRowTheSummaryAndTheMissingRowsWithExitCodes) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff",
             ArchiveBytes({{"ON.BMS", MissionBytes("BMS")}, {"OFF.BMS", MissionBytes("BMS")}}));
  const std::string list = game.File("shared.brl"), ok = game.File("ok.brl"), dir = game.Path();
  const std::vector<MissionEntry> rows = {Row("C:\\Far\\A.PFF", "on.bms", 20, true),
                                          Row("C:\\Far\\a.pff", "OFF.BMS", 9, false),
                                          Row("C:\\Far\\gone.pff", "G.BMS", 20, true)};
  sample::WriteFile(list, EncodeListFile(rows).Bytes);
  sample::WriteFile(ok, EncodeListFile(std::vector<MissionEntry>{rows[0], rows[1]}).Bytes);
  const auto show = cli::RunShow, import = cli::RunImport;
  const std::string counts = " rows: 1 switched, 1 already so, 1 missing, 0 failed\n";
  const struct {
    decltype(show) Command;
    std::vector<std::string> Args;
    int Exit;
    std::string Out, Err;
    bool Writes = false;
  } cases[] = {
      {show, {list, "--folder", dir, "--format", "csv"}, 0, ",would switch off\r\n", ""},
      {import, {list, "--folder", dir, "--dry-run"}, 1, "Would apply 3" + counts, ""},
      // JSON stays parseable: the summary goes to stderr.
      {import,
       {list, "--folder", dir, "--format", "json"},
       1,
       "[\n  {\"Row\": 1, \"Result\"",
       "missing: gone.pff: G.BMS\nApplied 3" + counts,
       true},
      {import, {ok, "--folder", dir}, 0, "Applied 2 rows: 0 switched, 2 already so, 0 missing", ""},
      {import, {list, "--format", "json"}, 2, "", ""},
      {import, {list, "--folder", game.File("none")}, 1, "", "not a folder"},
  };
  for (const auto& c : cases) {
    const sample::Bytes before = test::ReadBytes(game.File("a.pff"));
    const test::CliRun r = test::CheckCli(c.Command, c.Args, c.Exit, c.Out, c.Err);
    EXPECT_TRUE(c.Args.back() != "json" || r.Out.find("Applied") == std::string::npos) << r.Out;
    EXPECT_EQ(test::ReadBytes(game.File("a.pff")) != before, c.Writes);
  }
}

}  // namespace
}  // namespace brieflist
