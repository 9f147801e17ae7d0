// brieflist-cli's commands run in-process: what they print, their exit codes and what they select.
#include <climits>
#include <system_error>

#include "catalogue/RefreshCatalogue.h"
#include "cli/CatalogueOutput.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::CheckCli;
using test::CliRun;
using test::Has;
using test::MissionBytes;
using test::RunCli;
using Strings = std::vector<std::string>;

size_t Lines(const std::string& Text) {
  return static_cast<size_t>(std::count(Text.begin(), Text.end(), '\n'));
}

// One packed mission with awkward texts beside a text resource, and one loose version-1 mission.
struct ListFolder : test::TempFolder {
  ListFolder() {
    sample::MissionSpec packed;
    packed.MissionName = "Night Raid";
    packed.Creator = "O'Neil, \"Doc\" \\\xE9";  // comma, quotes, backslash, Windows-1252
    packed.Terrain = "Dry\tLake";
    packed.FlagHigh = 0x80, packed.FlagLow = 0x01;
    Write("a.pff",
          sample::BuildArchive(
              {{"RAID.BMS", sample::BuildMission(packed), false, 0},
               {"TEXT.BIN", sample::BuildRtxt({{"NIGHTRAID", "Operation Night"}, {"X", "y"}}),
                false, 0}}));
    sample::MissionSpec loose;
    loose.VersionByte = 13, loose.Signature = "VyK", loose.Disabled = true;
    Write("loose one.bms", sample::BuildMission(loose));
  }
};

TEST(CliList, JsonTsvAndCsvHoldEveryFieldEscaped) {
  ListFolder f;
  CliRun r = CheckCli(cli::RunList, {"--format", "json", f.Path()}, 0);
  std::string archive;  // as a JSON string's content: "\" separators are escaped on Windows
  cli::AppendJsonString(archive, JoinPath(f.Path(), "a.pff"));
  archive = archive.substr(1, archive.size() - 2);
  EXPECT_TRUE(
      Has(r.Out,
          "[\n  {\"FileName\": \"RAID.BMS\", \"MissionName\": \"NightRaid\", \"Creator\": "
          "\"O'Neil, \\\"Doc\\\" \\\\\xC3\xA9\", \"MissionType\": \"COOP,A&D,\", "
          "\"Enabled\": true, \"Modified\": false, \"MissionTypeFlags\": \"1000000000000001\", "
          "\"GameVersion\": 2, \"External\": false, \"Terrain\": \"Dry\\tLake\", "
          "\"SourceFile\": \"" +
              archive + "\", \"DataOffset\": 20}"))
      << r.Out;
  EXPECT_TRUE(Has(r.Out, "\"Creator\": \"\", \"MissionType\": \"\", \"Enabled\": false"));
  EXPECT_TRUE(Has(r.Out, "\"GameVersion\": 1, \"External\": true"));

  r = CheckCli(cli::RunList, {f.Path(), "--resolve-map-names", "--format=tsv"}, 0,
               "RAID.BMS\tOperation Night\t");
  EXPECT_TRUE(Has(r.Out, "loose one.bms\tNot Found!\t"));  // an empty name

  CheckCli(cli::RunList, {f.Path(), "--format", "csv"}, 0, ",\"O'Neil, \"\"Doc\"\" \\\xC3\xA9\",");
  // Output that could not be written (a full disk, a closed pipe) is no success.
  for (const char* format : {"table", "tsv", "csv", "json"})
    EXPECT_EQ(cli::RunList({f.Path(), "--format", format}, [](auto) { return false; }), 1);

  EXPECT_EQ(CheckCli(cli::RunMapNames, {f.Path(), "--format", "json"}, 0).Out,
            "[\n  {\"Key\": \"NIGHTRAID\", \"Text\": \"Operation Night\"},\n  {\"Key\": \"X\", "
            "\"Text\": \"y\"}\n]\n");
}

TEST(CliList, InvalidArchivesWarnUnlessReadAndErrorsExitOneOrTwo) {
  ListFolder f;
  sample::ArchiveOptions bad;
  bad.Magic = "XXXX";
  f.Write("bad.pff", ArchiveBytes({{"ODD.BMS", MissionBytes()}}, bad));
  EXPECT_FALSE(Has(CheckCli(cli::RunList, {f.Path(), "--format", "tsv"}, 0, "",
                            "skipped " + f.File("bad.pff") + ": not a PFF3 archive")
                       .Out,
                   "ODD.BMS"));
  CheckCli(cli::RunList, {"--read-invalid", f.Path(), "--format", "tsv"}, 0, "ODD.BMS");
  const sample::Bytes whole =
      ArchiveBytes({{"CUT.BMS", MissionBytes()}, {"GONE.BMS", MissionBytes()}});
  f.Write("cut.pff", sample::Bytes(whole.begin(), whole.end() - 40));  // a copy cut short
  CheckCli(cli::RunList, {f.Path(), "--format", "tsv"}, 0, "", f.File("cut.pff") + ": cut short");
  // A folder without archives and loose missions is listed empty, and said to be the wrong one.
  test::TempFolder empty;
  CheckCli(cli::RunList, {empty.Path()}, 0, "", "holds no missions");

  EXPECT_EQ(RunCli(cli::RunList, {f.File("nothing here")}).Exit, 1);
  for (const Strings& args :
       {Strings{}, Strings{f.Path(), f.Path()}, Strings{f.Path(), "--format", "xml"},
        Strings{f.Path(), "--colour"}, Strings{f.Path(), "--format"}})
    EXPECT_TRUE(CheckCli(cli::RunList, args, 2).Out.empty());
}

#ifndef _WIN32
// A folder the system cannot look at is not called "not a folder": the system's reason is given.
TEST(CliList, AFolderPathTooLongForTheSystemSaysSo) {
  test::TempFolder f;
  std::string dir = f.Path();
  while (dir.size() <= PATH_MAX) dir += "/" + std::string(200, 'd');
  for (const auto command : {cli::RunList, cli::RunDuplicates}) {
    const CliRun r = CheckCli(command, {dir}, 1, "", std::generic_category().message(ENAMETOOLONG));
    EXPECT_FALSE(Has(r.Err, "not a folder"));
  }
}
#endif

// Every command: "-h" is help, any other unknown option is named, and every message that ends a
// command starts with "error: ".
TEST(CliUsage, EveryCommandHelpsOnHAndNamesUnknownOptions) {
  for (const char* command : {"list", "map-names", "enable", "disable", "toggle", "export",
                              "import", "show", "duplicates", "undo", "history"}) {
    const CliRun r = CheckCli(cli::RunCommandLine, {command, "-f", "json"}, 2, "",
                              "brieflist-cli: error: unknown option '-f'");
    EXPECT_EQ(r.Err.rfind("brieflist-cli: error: ", 0), 0u) << r.Err;
    EXPECT_EQ(RunCli(cli::RunCommandLine, {command, "-h"}).Exit, 0) << command;
  }
  CheckCli(cli::RunCommandLine, {"lsit", "."}, 2, "",
           "unknown command 'lsit'; did you mean 'list'?");
  EXPECT_FALSE(Has(CheckCli(cli::RunCommandLine, {"frobnicate"}, 2).Err, "did you mean"));
}

TEST(CliPattern, MatchesStarsAndQuestionMarksIgnoringCase) {
  for (const char* pattern : {"alpha.bms", "a*", "*.bms", "?LPHA.*", "*", "A*A*S"})
    EXPECT_TRUE(cli::MatchesPattern("ALPHA.BMS", pattern)) << pattern;
  for (const char* pattern : {"B*", "?", "ALPHA"})
    EXPECT_FALSE(cli::MatchesPattern("ALPHA.BMS", pattern)) << pattern;
  EXPECT_TRUE(cli::MatchesPattern("", "*") && cli::MatchesPattern("CASE*.BMS", "CASE*S"));
  EXPECT_FALSE(cli::MatchesPattern("", "?"));
  EXPECT_FALSE(cli::MatchesPattern("AAAAAAAAAAAAAAAAAAAAAAAAB", "*A*A*A*A*A*A*A*C"));
}

// A name packed in two archives and lying loose too.
struct CliFolder : test::TempFolder {
  CliFolder() {
    Write("a.pff", ArchiveBytes({{"SAME.BMS", MissionBytes("BMS", 0x80, 0x01, 0x1234)},
                                 {"ALPHA.BMS", MissionBytes("BMS")},
                                 {"BETA.BMS", MissionBytes("VyK")}}));
    Write("b.pff", ArchiveBytes({{"same.bms", MissionBytes("BMS")}}));
    Write("SAME.BMS", MissionBytes("BMS"));
  }
  // "FileName@file" of every enabled mission, in catalogue order.
  Strings Enabled() const {
    test::NativeGame g;
    g.Refresh(Path());
    Strings out;
    for (const MissionEntry& r : g.State.Missions)
      if (r.Enabled != kFalse)
        out.push_back(r.FileName + "@" + std::filesystem::path(r.SourceFile).filename().string());
    return out;
  }
  test::Bytes Archive() const { return test::ReadBytes(File("a.pff")); }
};

TEST(CliSwitch, DisableEnableAndToggleSelectByPatternArchiveOrLooseness) {
  CliFolder f;
  ASSERT_EQ(f.Enabled(),
            (Strings{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff", "same.bms@b.pff", "SAME.BMS@SAME.BMS"}));
  // Scripts' stderr stays clean: no progress where it is no terminal.
  EXPECT_EQ(
      CheckCli(cli::RunDisable, {f.Path(), "same.bms", "--archive", "B.PFF"}, 0, "disabled").Err,
      "");
  EXPECT_EQ(f.Enabled(), (Strings{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff", "SAME.BMS@SAME.BMS"}));
  CheckCli(cli::RunDisable, {f.Path(), "S*", "--loose"}, 0);
  EXPECT_EQ(f.Enabled(), (Strings{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff"}));
  CheckCli(cli::RunEnable, {f.Path(), "*"}, 0, "unchanged");
  EXPECT_EQ(f.Enabled().size(), 5u);
  CheckCli(cli::RunToggle, {f.Path(), "alpha.BMS", "beta.bms"}, 0);
  EXPECT_EQ(f.Enabled(), (Strings{"SAME.BMS@a.pff", "same.bms@b.pff", "SAME.BMS@SAME.BMS"}));

  const auto before = f.Enabled();
  const struct {
    Strings Args;
    int Exit;
    const char* Error;
  } cases[] = {
      {{f.Path()}, 2, "at least one pattern"},
      {{f.Path(), "*", "--archive", "a.pff", "--loose"}, 2, "exclude each other"},
      {{f.Path(), "*", "--bogus"}, 2, "unknown option"},
      {{f.Path(), "*", "-f"}, 2, "unknown option '-f'"},
      {{f.Path(), "ALPHA.BMS", "NOPE*"}, 1, "no mission matches 'NOPE*'"},
      {{f.Path(), "alpha"}, 1, "did you mean 'alpha.BMS'?"},
      {{f.Path(), "*", "--archive", "missions99.pff"}, 1, "no archive 'missions99.pff'"},
      {{f.File("none"), "*"}, 1, "not a folder"},
  };
  for (const auto& c : cases) CheckCli(cli::RunDisable, c.Args, c.Exit, "", c.Error);
  EXPECT_EQ(f.Enabled(), before);
}

// A file under two names (a hard link; a symbolic link where the system lets us make one) is one
// file: listed once, under the name met first, with a warning naming both; `toggle '*'` flips each
// of its headers once; a list naming the second name applies to the file.
TEST(CliSwitch, AFileUnderTwoNamesIsListedAndSwitchedOnce) {
  namespace fs = std::filesystem;
  test::TempFolder f;
  f.Write("a.pff", ArchiveBytes({{"ONE.BMS", MissionBytes()}, {"TWO.BMS", MissionBytes("VyK")}}));
  f.Write("m.bms", MissionBytes());
  std::error_code ec;
  fs::create_hard_link(NativePath(f.File("a.pff")), NativePath(f.File("b.pff")), ec);
  if (ec) GTEST_SKIP() << "no hard links in " << f.Path() << ": " << ec.message();
  fs::create_symlink(NativePath(f.File("m.bms")), NativePath(f.File("n.bms")), ec);
  if (ec) fs::create_hard_link(NativePath(f.File("m.bms")), NativePath(f.File("n.bms")));
  test::NativeGame g;
  const RefreshReport report = g.Refresh(f.Path());
  ASSERT_EQ(g.State.Missions.size(), 3u);
  ASSERT_EQ(report.SameFiles.size(), 2u);
  EXPECT_EQ(report.SameFiles[0].Path, f.File("b.pff"));
  EXPECT_EQ(report.SameFiles[0].ReadAs, f.File("a.pff"));
  test::Bytes archive = test::ReadBytes(f.File("a.pff")), loose = test::ReadBytes(f.File("m.bms"));
  for (const MissionEntry& m : g.State.Missions)
    WriteMissionState(
        std::span(m.DataOffset ? archive : loose).subspan(static_cast<size_t>(m.DataOffset), 128),
        m.Enabled == kFalse);

  const CliRun r = CheckCli(cli::RunToggle, {f.Path(), "*"}, 0, "",
                            f.File("n.bms") + ": the same file as " + f.File("m.bms"));
  EXPECT_EQ(Lines(r.Out), 2u + 3u) << r.Out;
  EXPECT_EQ(test::ReadBytes(f.File("b.pff")), archive);
  EXPECT_EQ(test::ReadBytes(f.File("n.bms")), loose);

  const std::vector<MissionEntry> rows{
      test::ListRow(JoinPath("elsewhere", "B.PFF"), "ONE.BMS", g.State.Missions[0].DataOffset,
                    true),
      test::ListRow(JoinPath("elsewhere", "n.bms"), "n.bms", 0, true)};
  f.Write("list.BRL", EncodeListFile(rows).Bytes);
  CheckCli(cli::RunImport, {f.File("list.BRL"), "--folder", f.Path()}, 0);
  g.Refresh(f.Path());
  EXPECT_EQ(g.State.Missions[0].Enabled, kTrue);
  EXPECT_EQ(g.State.Missions[2].Enabled, kTrue);
}

// CI runs the tests named ReadOnly as an unprivileged user, for whom the mark binds.
TEST(CliSwitch, AReadOnlyFileGivesExitOneWithTheMessageOnStderr) {
  CliFolder f;
  test::MakeReadOnly(f.File("SAME.BMS"));
  if (!test::ReadOnlyBinds(f.File("SAME.BMS"))) GTEST_SKIP() << "permissions do not bind this user";
  CheckCli(cli::RunDisable, {f.Path(), "SAME.BMS", "--loose"}, 1, "failed", test::kAccessDenied);
}

// A result lacking an unread file's missions is no success, and the file is named.
TEST(CliUnread, CommandsWhoseResultLacksAFileThatCouldNotBeReadExitOne) {
  const test::ScopedDataFolder data;
  CliFolder f;
  const std::string unread = test::PutUnreadableArchive(f);
  const std::string list = f.File("saved.BRL");
  const struct {
    cli::CommandFunction Command;
    Strings Args;
    int Exit;
    const char* Out;
  } cases[] = {
      {cli::RunList, {f.Path(), "--format", "tsv"}, 1, "ALPHA.BMS"},
      {cli::RunMapNames, {f.Path()}, 1, ""},
      {cli::RunDuplicates, {f.Path()}, 1, "same.bms"},
      {cli::RunExport, {f.Path(), list}, 1, ""},
      {cli::RunDisable, {f.Path(), "*"}, 1, "disabled"},
      {cli::RunEnable, {f.Path(), "*", "--archive", "a.pff"}, 0, "enabled"},  // not in it
  };
  for (const auto& c : cases) CheckCli(c.Command, c.Args, c.Exit, c.Out, f.File(unread));
  EXPECT_FALSE(std::filesystem::exists(list));  // a list that looks whole but is not: not saved
  EXPECT_EQ(f.Enabled(), (Strings{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff", "BETA.BMS@a.pff"}));

  // A row the unread archive may hold cannot be settled; other rows still apply.
  test::WriteList(list, {test::ListRow("C:\\G\\a.pff", "BETA.BMS", 9, false),
                         test::ListRow("C:\\G\\" + unread, "X.BMS", 9, true)});
  for (auto command : {cli::RunShow, cli::RunImport})
    CheckCli(command, {list, "--folder", f.Path()}, 1, "", f.File(unread));
  EXPECT_EQ(f.Enabled(), (Strings{"SAME.BMS@a.pff", "ALPHA.BMS@a.pff"}));
}

// CI runs the tests named ReadOnly as an unprivileged user, for whom the marks bind.
TEST(CliImport, AReadOnlyFolderAlreadyAsAskedIsAlreadySo) {
  const test::ScopedDataFolder data;
  CliFolder f;
  test::TempFolder lists;
  const std::string list = lists.File("as-is.BRL");
  test::WriteList(list, {test::ListRow(f.File("SAME.BMS"), "SAME.BMS", 0, true)});
  test::MakeReadOnly(f.File("SAME.BMS"));
  test::MakeReadOnly(f.Path());
  if (!test::ReadOnlyBinds(f.File("SAME.BMS"))) GTEST_SKIP() << "permissions do not bind this user";
  for (const Strings& args : {Strings{list, "--folder", f.Path()}, Strings{list}})
    CheckCli(cli::RunImport, args, 0, "1 already so");
}

TEST(CliDuplicates, PrintsEachGroupInEveryFormatOrSaysThereAreNone) {
  CliFolder f;
  // Titles, their rule, three rows, the count.
  EXPECT_EQ(Lines(CheckCli(cli::RunDuplicates, {f.Path()}, 0, "1 duplicate names").Out), 6u);
  CheckCli(cli::RunDuplicates, {f.Path(), "--format", "csv"}, 0,
           "same.bms,3," + f.File("b.pff") + ",20");
  CheckCli(cli::RunDuplicates, {f.Path(), "--format", "json"}, 0,
           "[\n  {\"FileName\": \"SAME.BMS\", \"Count\": 3, \"Missions\": [");

  test::TempFolder plain;
  plain.Write("x.pff", ArchiveBytes({{"A.BMS", MissionBytes()}, {"B.BMS", MissionBytes()}}));
  EXPECT_EQ(RunCli(cli::RunDuplicates, {plain.Path()}).Out, "No duplicate names.\n");
  EXPECT_EQ(RunCli(cli::RunDuplicates, {}).Exit, 2);
  EXPECT_EQ(RunCli(cli::RunDuplicates, {f.File("none")}).Exit, 1);
}

TEST(CliUndo, TakesBackTheLatestCommandsAndHistoryListsThemNewestFirst) {
  const test::ScopedDataFolder data;  // an empty journal of its own
  CliFolder f;
  const test::Bytes original = f.Archive();
  EXPECT_EQ(CheckCli(cli::RunHistory, {}, 0).Out, "The journal is empty.\n");
  CheckCli(cli::RunDisable, {f.Path(), "SAME.BMS", "ALPHA.BMS", "--archive", "a.pff"}, 0);
  const test::Bytes afterFirst = f.Archive();
  ASSERT_EQ(RunCli(cli::RunEnable, {f.Path(), "beta.bms"}).Exit, 0);

  // Per mission, the journal's own columns; per command, one line each.
  CliRun r = CheckCli(cli::RunHistory, {"--missions", "--format", "tsv"}, 0,
                      "\t56794b 00008001 00000000\t424d53 00000000 00000000\t");
  ASSERT_EQ(Lines(r.Out), 4u) << r.Out;
  const size_t oldest = r.Out.find("\tbulk\tSAME.BMS\t" + f.File("a.pff") + "\t20\t");
  ASSERT_NE(oldest, std::string::npos) << r.Out;
  EXPECT_LT(r.Out.find("\tset\tBETA.BMS\t"), oldest);  // newest first
  const std::string folder = JoinPath(f.Path(), "");
  r = CheckCli(cli::RunHistory, {"--format", "tsv"}, 0, "\tswitch\t" + folder + "\t1\t\n");
  EXPECT_LT(r.Out.find("\tswitch\t"), r.Out.find("\tbulk\t" + folder + "\t2\t\n")) << r.Out;
  EXPECT_EQ(Lines(r.Out), 3u);
  EXPECT_EQ(Lines(CheckCli(cli::RunHistory, {"--count", "1", "--format=csv"}, 0, ",switch,").Out),
            2u);
  CheckCli(cli::RunHistory, {"--since", "2999-01-01"}, 0, "No command matches.");
  for (const char* since : {"2020-01-01", "2020-01-01T10:30", "2020-01-01 10:30:05"})
    EXPECT_EQ(Lines(CheckCli(cli::RunHistory, {"--since", since, "--format=tsv"}, 0).Out), 3u);

  CheckCli(cli::RunUndo, {}, 0,
           "Undid 1 operation: 1 restored, 0 not applied, 0 refused, 0 failed");
  EXPECT_EQ(f.Archive(), afterFirst);
  CheckCli(cli::RunUndo, {"--count", "5"}, 0, "2 restored");
  EXPECT_EQ(f.Archive(), original);  // the modified word of SAME.BMS included
  EXPECT_EQ(RunCli(cli::RunUndo, {}).Out, "Nothing to undo.\n");
  // A toggle of one enabled and one disabled mission is one command too.
  ASSERT_EQ(RunCli(cli::RunToggle, {f.Path(), "ALPHA.BMS", "BETA.BMS"}).Exit, 0);
  CheckCli(cli::RunUndo, {}, 0, "Undid 1 operation: 2 restored");
  EXPECT_EQ(f.Archive(), original);
  r = CheckCli(cli::RunHistory, {"--format", "json", "--missions"}, 0, "\"Undo\": \"undone\"");
  EXPECT_EQ(Lines(r.Out), 12u);  // "[", ten records, "]"
  r = CheckCli(cli::RunHistory, {"--format", "json"}, 0, "\"Undone\": \"undone\"");
  EXPECT_EQ(Lines(r.Out), 8u);  // "[", three commands and their three undos, "]"

  for (const char* count : {"0", "-1", "two", "3x"})
    CheckCli(cli::RunUndo, {"--count", count}, 2, "", "--count");
  EXPECT_EQ(RunCli(cli::RunUndo, {"extra"}).Exit, 2);
  for (const Strings& args : {Strings{"--format", "yaml"}, Strings{"--count", "0"},
                              Strings{"--since", "yesterday"}, Strings{"--since", "2026-13-01"}})
    EXPECT_EQ(RunCli(cli::RunHistory, args).Exit, 2);
}

// A locked journal is waited for, said after a second, and given up on after --wait seconds.
TEST(CliUndo, AJournalLockedByAnotherProgramIsWaitedForThenGivenUp) {
  const test::ScopedDataFolder data;
  CliFolder f;
  const std::string list = f.File("all.BRL");
  ASSERT_EQ(RunCli(cli::RunExport, {f.Path(), list}).Exit, 0);
  ASSERT_EQ(RunCli(cli::RunDisable, {f.Path(), "*"}).Exit, 0);  // something to undo
  const test::Bytes before = f.Archive();
  auto held = MakeNativeFileSystem()->TryLockFile(*UserJournalPath() + kJournalLockSuffix);
  ASSERT_TRUE(held && *held);
  const std::pair<cli::CommandFunction, Strings> commands[] = {
      {cli::RunEnable, {f.Path(), "*", "--wait", "1.2"}},
      {cli::RunToggle, {"--wait=0.2", f.Path(), "*"}},
      {cli::RunImport, {list, "--wait", "0.2"}},
      {cli::RunImport, {list, "--folder", f.Path(), "--wait", "0.2"}},
      {cli::RunUndo, {"--wait", "0.2"}}};
  for (const auto& [command, args] : commands) {
    const CliRun r = CheckCli(command, args, 1, "", kJournalLockSuffix);
    EXPECT_EQ(Has(r.Err, "waiting for another program"), args.back() == "1.2") << r.Err;
  }
  EXPECT_EQ(f.Archive(), before);
  EXPECT_EQ(RunCli(cli::RunUndo, {"--wait", "soon"}).Exit, 2);
  held->reset();
  EXPECT_EQ(RunCli(cli::RunUndo, {"--wait", "0"}).Exit, 0);
  EXPECT_NE(f.Archive(), before);
}

TEST(CliUndo, RefusesAMissionChangedSinceWithExitOneAndTheFileNamed) {
  const test::ScopedDataFolder data;
  CliFolder f;
  ASSERT_EQ(RunCli(cli::RunDisable, {f.Path(), "ALPHA.BMS"}).Exit, 0);
  test::Bytes archive = f.Archive();
  ASSERT_EQ(test::SignatureAt(archive, 320), "VyK");  // after the 300 bytes of SAME.BMS
  archive[321] = 'Y';                                 // "VYK": still disabled, other bytes
  f.Write("a.pff", archive);
  CheckCli(cli::RunUndo, {}, 1, "refused: changed since",
           f.File("a.pff") + ": ALPHA.BMS was changed since");
  EXPECT_EQ(f.Archive(), archive);
}

TEST(CliListFile, ExportImportAndShowPrintWhatTheyDid) {
  const test::ScopedDataFolder data;
  CliFolder f;
  const std::string list = f.File("saved.brl");
  CheckCli(cli::RunExport, {f.Path(), list}, 0, "Saved 5 missions");
  const auto saved = f.Enabled();
  ASSERT_EQ(RunCli(cli::RunToggle, {f.Path(), "*"}).Exit, 0);
  const test::Bytes archive = f.Archive();
  // Both dry runs say the same in the same words, and exit as the import would.
  const CliRun dry = CheckCli(cli::RunImport, {list, "--dry-run"}, 0,
                              "Would apply 5 rows: 5 switched, 0 already so, 0 missing, 0 failed");
  EXPECT_EQ(RunCli(cli::RunImport, {list, "--folder", f.Path(), "--dry-run"}).Out, dry.Out);
  EXPECT_EQ(f.Archive(), archive);
  EXPECT_TRUE(Has(CheckCli(cli::RunImport, {list}, 0, "5 switched").Out,
                  "5 missions, 4 enabled, 1 disabled"));
  EXPECT_EQ(f.Enabled(), saved);
  CliRun r = CheckCli(cli::RunShow, {list, "--format", "json"}, 0, "\"DataOffset\": 0}\n]\n");
  EXPECT_EQ(r.Out.rfind("[\n  {\"FileName\": \"SAME.BMS\", \"MissionName\": \"Mission\",", 0), 0u)
      << r.Out;

  // A row whose archive lost the mission: the message goes to stderr, the import goes on.
  f.Write("b.pff", ArchiveBytes({{"T.BIN", test::Bytes(300, 0)}, {"OTHER.BMS", MissionBytes()}}));
  CheckCli(cli::RunImport, {list, "--dry-run"}, 1, "1 missing, 0 failed", "missing: b.pff");
  CheckCli(cli::RunImport, {list}, 1, "1 missing, 0 failed", "The File Could Not Be Found!");

  // A list saved where this computer has no such folder names the folder and the way out.
  const std::string away = f.File("away.brl"), gone = JoinPath(f.File("gone"), "");
  test::WriteList(away, {test::ListRow(gone + "a.pff", "ALPHA.BMS", 320, false)});
  for (const Strings& args : {Strings{away}, Strings{away, "--dry-run"}})
    CheckCli(cli::RunImport, args, 1, "", "folder " + gone + " is not on this computer");

  f.Write("bad.brl", {0x01, 0x00, 0x03, 0x00, 'A'});
  for (auto command : {cli::RunShow, cli::RunImport})
    EXPECT_TRUE(
        Has(CheckCli(command, {f.File("bad.brl")}, 1, "", f.File("bad.brl") + " is damaged").Err,
            "row 1 of 2"));
  // A text file picked by mistake is no list without rows.
  f.Write("notes.brl", {0xEF, 0xBB, 0xBF, 'h', 'i', '\n'});
  for (const Strings& args :
       {Strings{f.File("notes.brl")}, Strings{f.File("notes.brl"), "--dry-run"},
        Strings{f.File("notes.brl"), "--folder", f.Path()}})
    CheckCli(cli::RunImport, args, 1, "", f.File("notes.brl") + " is not a Brieflist list");
  // Nor is a file whose row holds a flag no list holds, or an archive picked by mistake.
  f.Write("odd.brl", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 16, 0});
  CheckCli(cli::RunImport, {f.File("odd.brl")}, 1, "", "is not a Brieflist list: row 1's Enabled");
  for (auto command : {cli::RunShow, cli::RunImport})
    CheckCli(command, {f.File("a.pff")}, 1, "", " is not a Brieflist list: it is a PFF3 archive");
  EXPECT_EQ(RunCli(cli::RunShow, {list, "--format", "xml"}).Exit, 2);
  EXPECT_EQ(RunCli(cli::RunImport, {}).Exit, 2);
}

}  // namespace
}  // namespace brieflist
