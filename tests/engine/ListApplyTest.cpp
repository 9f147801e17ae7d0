// A list applied to a game folder other than its own: matching by name, outcomes, one undo; and
// brieflist-cli import --folder and show --folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/Commands.h"
#include "editing/PatchJournal.h"
#include "editing/Undo.h"
#include "exchange/ListApply.h"
#include "support/CliRun.h"
#include "support/DataFolder.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;
using O = ApplyOutcome;

MissionEntry Row(const std::string& SourceFile, const std::string& FileName, int32_t Offset,
                 bool Enabled) {
  MissionEntry row;
  row.SourceFile = SourceFile;
  row.FileName = FileName;
  row.DataOffset = Offset;
  row.Enabled = ToFlag(Enabled);
  return row;
}

TEST(ApplyListToFolder, MatchesByArchiveAndFileNameWhateverThePathCaseAndOffset) {
  test::MemoryFileSystem files;
  files.Put("/g", "m.pff",
            ArchiveBytes({{"ONE.BMS", MissionBytes("BMS")},
                          {"TWO.BMS", MissionBytes("VyK")},
                          {"DUP.BMS", MissionBytes("BMS")},
                          {"DUP.BMS", MissionBytes("BMS")}}));
  files.Put("/g", "x.pff", ArchiveBytes({{"X.BMS", MissionBytes("BMS")}}));
  files.Put("/g", "Loose.bms", MissionBytes("BMS"));
  files.FailWrite[test::GamePath("x.pff")] = "Disk quota exceeded";
  const auto original = files.Files;
  const struct {
    MissionEntry Row;
    O Dry, Written;
  } cases[] = {
      {Row("C:\\Games\\DF2\\M.PFF", "one.bms", 99999, false), O::SwitchedOff, O::SwitchedOff},
      {Row("/home/p/df/m.pff", "TWO.BMS", 20, true), O::SwitchedOn, O::SwitchedOn},
      {Row("C:\\G\\gone.pff", "ONE.BMS", 20, true), O::Missing, O::Missing},
      {Row("C:\\G\\m.pff", "NOPE.BMS", 20, true), O::Missing, O::Missing},
      {Row("C:\\G\\m.pff", "DUP.BMS", 20, false), O::Ambiguous, O::Ambiguous},
      {Row("C:\\G\\x.pff", "X.BMS", 20, false), O::SwitchedOff, O::Failed},
      {Row("C:\\G\\LOOSE.BMS", "LOOSE.BMS", 0, false), O::SwitchedOff, O::SwitchedOff},
      {Row("C:\\G\\m.pff", "loose.bms", 20, false), O::Missing, O::Missing},  // packed only
      {Row("D:\\m.pff", "ONE.BMS", 7, false), O::AlreadySo, O::AlreadySo},    // after row 1
  };
  std::vector<MissionEntry> rows;
  for (const auto& c : cases) rows.push_back(c.Row);

  test::RecordingHost host;
  files.AddFolder("/data");
  PatchJournal journal(files, JoinPath("/data", "journal.tsv"));
  const Platform p{files, host, &journal};
  std::vector<size_t> expected;  // the bytes the switches of ONE and TWO may change
  for (const ApplyMode mode : {ApplyMode::DryRun, ApplyMode::Write}) {
    const ApplyResult result = ApplyListToFolder(p, rows, "/g", mode);
    ASSERT_EQ(result.Rows.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      EXPECT_EQ(result.Rows[i].Outcome, mode == ApplyMode::DryRun ? cases[i].Dry : cases[i].Written)
          << "row " << i + 1;
    EXPECT_FALSE(result.Complete());
    EXPECT_EQ(MissingRowsText(result),
              "gone.pff: ONE.BMS\r\nm.pff: NOPE.BMS\r\nm.pff: loose.bms\r\n");
    if (mode == ApplyMode::DryRun) {
      EXPECT_EQ(files.Files, original);
      continue;
    }
    for (const size_t row : {0, 1})
      for (size_t at : test::PatchedBytes(static_cast<size_t>(result.Rows[row].DataOffset)))
        expected.push_back(at);
    EXPECT_NE(result.Rows[5].Reason.find(test::GamePath("x.pff") + ":\r\nDisk quota exceeded"),
              std::string::npos)
        << result.Rows[5].Reason;
  }
  // Only the switched missions changed, and one undo takes the whole list back.
  const auto& m = files.Files[test::GamePath("m.pff")];
  for (size_t at : test::DifferingBytes(original.at(test::GamePath("m.pff")), m))
    EXPECT_NE(std::find(expected.begin(), expected.end(), at), expected.end()) << at;
  EXPECT_EQ(files.Files[test::GamePath("x.pff")], original.at(test::GamePath("x.pff")));
  EXPECT_EQ(std::string(files.Files[test::GamePath("Loose.bms")].begin(),
                        files.Files[test::GamePath("Loose.bms")].begin() + 3),
            "VyK");
  CatalogueState state;
  EXPECT_EQ(UndoLastPatches(state, p, 1).Count(UndoStatus::Restored), 3);
  files.Files.erase(journal.Path());
  EXPECT_EQ(files.Files, original);
  EXPECT_TRUE(host.Messages.empty());
}

TEST(ApplyListToFolder, TheSummaryListsTwentyMissingRowsAndCountsTheRest) {
  ApplyResult result;
  result.ListRows = 26;
  result.Rows.resize(26);
  result.Rows[0].Outcome = O::SwitchedOn;
  for (size_t i = 1; i < 26; ++i) result.Rows[i].FileName = "M" + std::to_string(i) + ".BMS";
  const std::string text = ApplySummaryText(result);
  EXPECT_EQ(text.rfind("Applied 26 of 26 rows of the list: 1 switched on, 0 switched off, 0 "
                       "already so.\r\n\r\n25 missing (not in this folder):\r\n(loose): M1.BMS",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("(loose): M20.BMS\r\nand 5 more"), std::string::npos) << text;
  EXPECT_EQ(text.find("M21.BMS"), std::string::npos);
  EXPECT_NE(MissingRowsText(result).find("M25.BMS"), std::string::npos);
}

TEST(CliImportFolder, PrintsEachRowTheSummaryAndTheMissingRowsWithExitCodes) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff",
             ArchiveBytes({{"ON.BMS", MissionBytes("BMS")}, {"OFF.BMS", MissionBytes("BMS")}}));
  const std::string list = game.File("shared.brl");
  const std::vector<MissionEntry> rows = {Row("C:\\Far\\A.PFF", "on.bms", 20, true),
                                          Row("C:\\Far\\a.pff", "OFF.BMS", 9, false),
                                          Row("C:\\Far\\gone.pff", "G.BMS", 20, true)};
  sample::WriteFile(list, EncodeListFile(rows).Bytes);
  const sample::Bytes archive = test::ReadBytes(game.File("a.pff"));
  using test::RunCli;

  test::CliRun r = RunCli(cli::RunShow, {list, "--folder", game.Path(), "--format", "csv"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find(",Import\r\n"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find(",would switch off\r\n"), std::string::npos) << r.Out;
  r = RunCli(cli::RunImport, {list, "--folder", game.Path(), "--dry-run"});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_NE(r.Out.find("Would apply 3 rows: 1 switched, 1 already so, 1 missing, 0 failed\n"),
            std::string::npos)
      << r.Out;
  EXPECT_EQ(test::ReadBytes(game.File("a.pff")), archive);

  r = RunCli(cli::RunImport, {list, "--folder", game.Path(), "--format", "json"});
  EXPECT_EQ(r.Exit, 1);
  EXPECT_EQ(r.Out.rfind("[\n  {\"Row\": 1, \"Result\": \"already so\", \"Archive\": \"A.PFF\"", 0),
            0u)
      << r.Out;
  EXPECT_NE(r.Out.find("\"Result\": \"switched off\""), std::string::npos) << r.Out;
  EXPECT_EQ(r.Out.find("Applied"), std::string::npos);  // stdout stays JSON
  EXPECT_NE(r.Err.find("missing: gone.pff: G.BMS\n"), std::string::npos) << r.Err;
  EXPECT_NE(r.Err.find("Applied 3 rows: 1 switched, 1 already so, 1 missing, 0 failed"),
            std::string::npos)
      << r.Err;
  EXPECT_NE(test::ReadBytes(game.File("a.pff")), archive);

  sample::WriteFile(list, EncodeListFile(std::vector<MissionEntry>{rows[0], rows[1]}).Bytes);
  r = RunCli(cli::RunImport, {list, "--folder", game.Path()});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("1    already so  A.PFF"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("Applied 2 rows: 0 switched, 2 already so, 0 missing, 0 failed\n"),
            std::string::npos)
      << r.Out;
  for (const std::vector<std::string>& usage : {std::vector<std::string>{list, "--format", "json"},
                                                {list, "--folder"},
                                                {list, "--folder", game.Path(), "--format", "xml"}})
    EXPECT_EQ(RunCli(cli::RunImport, usage).Exit, 2);
  EXPECT_EQ(RunCli(cli::RunImport, {list, "--folder", game.File("none")}).Exit, 1);
}

}  // namespace
}  // namespace brieflist
