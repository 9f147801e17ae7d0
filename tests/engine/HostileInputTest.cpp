// Crafted archives and lists, files changed underneath: a switch changes its 11 bytes or nothing.
#include <numeric>

#include "cli/CliCatalogue.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "editing/BulkSwitch.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "exchange/ListApply.h"
#include "exchange/ListFile.h"
#include "support/MemoryFileSystem.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace brieflist {
namespace {

using test::GamePath;
using test::ListRow;
using test::MissionBytes;

using Hostile = test::MemoryGame;

sample::ArchiveEntry Entry(const std::string& Name, sample::Bytes Data, int32_t Offset = 0) {
  return {Name, std::move(Data), Offset != 0, Offset};
}

// Directories whose missions overlap other bytes: the switch is refused, nothing changes.
TEST(HostileArchive, AMisplacedHeaderIsNeverWrittenNorJournalled) {
  sample::MissionSpec spec;
  spec.MissionName = "xxxxBMS";  // a signature 8 bytes into the mission
  spec.FlagHigh = 0x80;
  spec.FlagLow = 0x01;
  spec.Size = 300;
  const sample::Bytes m = sample::BuildMission(spec);
  sample::ArchiveOptions countSpellsBms;
  countSpellsBms.OverrideEntryCount = true;
  countSpellsBms.EntryCount = 0x00534D42;  // "BMS\0" at offset 8
  // A record whose "mission" is the name field of the next record, which reads "BMS...".
  const int32_t nameOfSecond = 20 + 2 * static_cast<int32_t>(m.size()) + 32 + 16;
  // A record pointing at a mission appended after the footer, 60 bytes before the end.
  const int32_t appended = 20 + static_cast<int32_t>(m.size()) + 2 * 32 + 12;
  const struct {
    const char* Name;
    std::vector<sample::ArchiveEntry> Entries;
    sample::ArchiveOptions Options;
    std::vector<std::string> Refused;
    int32_t Good;  // offset of M1.BMS, which still switches; 0: refused as well
  } cases[] = {
      {"overlapping headers",
       {Entry("M1.BMS", m), Entry("M2.BMS", m, 20 + 8)},
       sample::ArchiveOptions(),
       {"M1.BMS", "M2.BMS"},
       0},
      {"same offset twice",
       {Entry("M1.BMS", m), Entry("M2.BMS", m, 20)},
       sample::ArchiveOptions(),
       {"M1.BMS", "M2.BMS"},
       0},
      {"over the archive's header",
       {Entry("PAD.BIN", sample::Bytes(200)), Entry("M1.BMS", m), Entry("HEAD.BMS", {}, 8)},
       countSpellsBms,
       {"HEAD.BMS"},
       20 + 200},
      {"over the directory",
       {Entry("M1.BMS", m), Entry("BMSREAL3.BMS", m), Entry("FAKE.BMS", {}, nameOfSecond),
        Entry("P1.BIN", {}), Entry("P2.BIN", {}), Entry("P3.BIN", {}), Entry("P4.BIN", {})},
       sample::ArchiveOptions(),
       {"FAKE.BMS"},
       20},
      {"past the end",
       {Entry("M1.BMS", m), Entry("END.BMS", {}, appended)},
       sample::ArchiveOptions(),
       {"END.BMS"},
       20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Hostile h;
    sample::Bytes archive = sample::BuildArchive(c.Entries, c.Options);
    if (archive.size() == static_cast<size_t>(appended)) {
      const sample::Bytes tail = MissionBytes("BMS", 0x80, 0x01, 0, 60);
      archive.insert(archive.end(), tail.begin(), tail.end());
    }
    h.Put("a.pff", archive);
    h.Put("short.bms", MissionBytes("BMS", 0x80, 0x01, 0, 125));
    h.Refresh();
    const auto before = h.Files.Files;
    std::vector<std::string> refused = c.Refused;
    refused.push_back("short.bms");
    for (const std::string& name : refused) {
      const int32_t row = h.Row(name);
      ASSERT_GE(row, 0) << name << " is still listed";
      const SwitchResult r = ToggleMissionEnabled(h.State, h.P, row, row);
      EXPECT_EQ(r.Outcome, PatchOutcome::Reported) << name;
      ASSERT_EQ(test::CodesOf(r.Problems), test::Codes{ProblemCode::Misplaced}) << name;
      EXPECT_TRUE(r.Problems[0].Mission == name &&
                  r.Problems[0].File == h.State.Missions[row].SourceFile)
          << ProblemText(r.Problems[0]);
      const BulkRow one{row, row};
      EXPECT_EQ(SetMissionsEnabled(h.State, h.P, {&one, 1}, false).Failed, 1) << name;
    }
    EXPECT_EQ(h.Files.Files, before);
    EXPECT_TRUE(h.Journal.Read()->Records.empty());
    if (c.Good != 0) {
      ASSERT_EQ(ToggleMissionEnabled(h.State, h.P, h.Row("M1.BMS"), 0).Outcome,
                PatchOutcome::Patched);
      EXPECT_EQ(h.File("a.pff"), test::Switched(archive, static_cast<size_t>(c.Good), false));
    }
  }
}

// Missions swapped by another program: every write checks the directory in the same open.
TEST(HostileArchive, ASwappedArchiveSwitchesTheMissionNamedOrNone) {
  const sample::Bytes alpha = MissionBytes("BMS", 0x00, 0x0A);
  const sample::Bytes bravo = MissionBytes("BMS", 0x00, 0x0B, 0, 400);
  const std::vector<std::function<void(Hostile&)>> ways = {
      [](Hostile& h) { ToggleMissionEnabled(h.State, h.P, h.Row("ALPHA.BMS"), 0); },
      [](Hostile& h) {
        std::vector<BulkRow> rows{{h.Row("ALPHA.BMS"), 0}};
        SetMissionsEnabled(h.State, h.P, rows, false);
      },
      [](Hostile& h) {
        const MissionEntry row =
            ListRow(GamePath("a.pff"), "ALPHA.BMS", h.Mission("ALPHA.BMS").DataOffset, false);
        h.Put("l.BRL", EncodeListFile({&row, 1}).Bytes);
        ImportListFile(h.State, h.P, GamePath("l.BRL"));
      },
  };
  for (size_t way = 0; way < ways.size(); ++way) {
    SCOPED_TRACE(way);
    Hostile h;
    h.Put("a.pff", test::ArchiveBytes({{"ALPHA.BMS", alpha}, {"BRAVO.BMS", bravo}}));
    h.Refresh();
    const sample::Bytes swapped = test::ArchiveBytes({{"BRAVO.BMS", bravo}, {"ALPHA.BMS", alpha}});
    h.File("a.pff") = swapped;
    ways[way](h);
    const size_t alphaNow = 20 + bravo.size();
    EXPECT_EQ(h.File("a.pff"), test::Switched(swapped, alphaNow, false));
    ASSERT_EQ(h.Records().size(), 1u);
    EXPECT_EQ(h.Records()[0].DataOffset, static_cast<int32_t>(alphaNow));
  }
}

// Rewritten between the read of the folder and the write, an archive is read again and the
// mission found there; rewritten once more, the row is StillInvalid and nothing is written.
TEST(HostileList, AnArchiveRewrittenBeforeTheWriteIsReadAgainOnce) {
  const sample::Bytes alpha = MissionBytes("BMS", 0x00, 0x0A);
  const sample::Bytes bravo = MissionBytes("BMS", 0x00, 0x0B, 0, 400);
  const sample::Bytes original = test::ArchiveBytes({{"ALPHA.BMS", alpha}, {"BRAVO.BMS", bravo}});
  const sample::Bytes swapped = test::ArchiveBytes({{"BRAVO.BMS", bravo}, {"ALPHA.BMS", alpha}});
  for (const size_t rewrites : {1u, 2u}) {
    Hostile h;
    h.Put("a.pff", original);
    h.State.ImportedMissions = {ListRow(GamePath("a.pff"), "ALPHA.BMS", 20, false)};
    h.State.LastImported = 0;
    size_t patches = 0;
    h.Files.BeforePatch = [&](const std::string&) {
      if (patches < rewrites) h.File("a.pff") = patches % 2 ? original : swapped;
      ++patches;
    };
    const ApplyResult result = ApplyImportedState(h.State, h.P, ApplyMode::Write);
    ASSERT_EQ(patches, 2u);
    const bool found = rewrites == 1;
    EXPECT_TRUE(found ? !result.Rows[0].Fault
                      : result.Rows[0].Fault->Code == ProblemCode::StillInvalid);
    EXPECT_EQ(h.File("a.pff"),
              found ? test::Switched(swapped, 20 + bravo.size(), false) : original);
  }
}

TEST(HostileArchive, UndoRefusesARecordWhoseMissionIsGoneFromThatPlace) {
  Hostile h;
  const sample::Bytes old = MissionBytes("BMS", 0x00, 0x0C);
  h.Put("a.pff", test::ArchiveBytes({{"OLD.BMS", old}}));
  h.Refresh();
  ASSERT_EQ(ToggleMissionEnabled(h.State, h.P, 0, 0).Outcome, PatchOutcome::Patched);
  // Replaced by an archive holding another mission, byte for byte the disabled OLD, there.
  const sample::Bytes disabledOld(h.File("a.pff").begin() + 20,
                                  h.File("a.pff").begin() + 20 + old.size());
  h.File("a.pff") = test::ArchiveBytes({{"NEW.BMS", disabledOld}});
  const auto replaced = h.Files.Files;
  const UndoResult undo = UndoLastPatches(h.State, h.P, 1);
  EXPECT_TRUE(undo.Failed());
  EXPECT_TRUE(test::Has(undo.Message(), GamePath("a.pff"))) << undo.Message();
  EXPECT_EQ(h.Files.Files, replaced);
}

// A shared list is untrusted: only missions the file names at the row's offset are written.
TEST(HostileList, RowsArePreviewedAndAppliedAsTheArchiveNamesThem) {
  Hostile h;
  const sample::Bytes m = MissionBytes("BMS", 0x00, 0x0D);
  h.Put("a.pff", test::ArchiveBytes({{"OTHER.BMS", m}, {"MOVED.BMS", m}}));
  // A valid header whose directory offset is -2^31: its records wrap round into the whole file.
  sample::Bytes wrapped = test::ArchiveBytes({{"W.BMS", m}});
  wrapped[16] = 0, wrapped[17] = 0, wrapped[18] = 0, wrapped[19] = 0x80;
  h.Put("w.pff", wrapped);
  for (const char* name : {"l.bms", "other.bms", "notes.txt", "A.BMS"}) h.Put(name, m);
  h.Put("bin.pff", test::ArchiveBytes({{"B.BMS", m}, {"T.BIN", m}}));
  const int32_t second = 20 + static_cast<int32_t>(m.size());
  using O = ApplyOutcome;
  using C = ProblemCode;
  const struct {
    MissionEntry Row;
    O Outcome;
    std::optional<ProblemCode> Code;
  } cases[] = {
      {ListRow(GamePath("a.pff"), "HARMLESS.BMS", 20, false), O::Missing, C::NotFound},
      {ListRow(GamePath("a.pff"), "MOVED.BMS", 20, false), O::SwitchedOff, {}},  // by name
      {ListRow(GamePath("other.bms"), "l.bms", 0, false), O::Missing, C::NotAMission},
      {ListRow(GamePath("w.pff"), "W.BMS", 20, false), O::Missing, C::Misplaced},  // in the dir
      {ListRow(GamePath("notes.txt"), "notes.txt", 0, false), O::Missing, C::NotAMission},
      {ListRow(GamePath("A.BMS"), "A.BMS", 20, false), O::Missing, C::NotFound},  // loose, offset
      {ListRow(GamePath("bin.pff"), "T.BIN", second, false), O::Missing, C::NotFound},
      {ListRow(GamePath("a.pff"), "NONE.BMS", -5, false), O::Missing, C::NotFound},
      {ListRow(GamePath("a.pff"), "OTHER.BMS", 20, false), O::AlreadySo, {}},  // flag 5
  };
  for (const auto& c : cases) h.State.ImportedMissions.push_back(c.Row);
  h.State.ImportedMissions.back().Enabled = 5;  // neither True nor False: asks for nothing
  h.State.LastImported = static_cast<int32_t>(std::size(cases)) - 1;
  auto expected = h.Files.Files;
  for (const ApplyMode mode : {ApplyMode::DryRun, ApplyMode::Write}) {
    const ApplyResult result = ApplyImportedState(h.State, h.P, mode);
    ASSERT_EQ(result.Rows.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
      const ApplyRow& row = result.Rows[i];
      EXPECT_EQ(row.Outcome, cases[i].Outcome) << i;
      EXPECT_EQ(row.Fault ? std::optional(row.Fault->Code) : std::nullopt, cases[i].Code) << i;
    }
    EXPECT_EQ(result.Rows[1].DataOffset, second);
    EXPECT_EQ(h.Files.Files, expected);
    expected[GamePath("a.pff")] = test::Switched(expected[GamePath("a.pff")], second, false);
  }
}

// Rows whose offsets are stale are found again in one read of the folder, not one per row.
TEST(HostileList, AnImportOfMovedRowsReadsTheFolderOnceForAllOfThem) {
  Hostile h;
  std::vector<std::pair<std::string, sample::Bytes>> missions;
  for (int i = 0; i < 30; ++i)
    missions.emplace_back(std::string("M").append(std::to_string(i)) + ".BMS",
                          MissionBytes("BMS", 0, 1));
  h.Put("a.pff", test::ArchiveBytes(missions));
  h.Put("b.pff", test::ArchiveBytes({{"B.BMS", MissionBytes()}}));
  h.Refresh();
  std::vector<MissionEntry> rows;
  for (const auto& [name, bytes] : missions)
    rows.push_back(
        ListRow(GamePath("a.pff"), name, h.State.Missions[h.Row(name)].DataOffset + 1, false));
  h.Put("l.BRL", EncodeListFile(rows).Bytes);
  h.Files.ResetCounters();
  const ApplyResult result = ImportListFile(h.State, h.P, GamePath("l.BRL")).Applied;
  EXPECT_EQ(result.Count(ApplyOutcome::SwitchedOff), 30);
  // The list, each archive once, and one patch of a.pff.
  EXPECT_EQ(h.Files.Counters().Opens, 4u);
  h.Refresh();
  // A bulk switch of rows whose archive was rebuilt in another order: one refresh for all.
  std::vector<BulkRow> all;
  for (int32_t i = 0; i < 30; ++i) all.push_back({h.Row(missions[i].first), i});
  std::reverse(missions.begin(), missions.end());
  for (auto& [name, bytes] : missions) bytes = MissionBytes("VyK", 0, 1);
  h.Put("a.pff", test::ArchiveBytes(missions));
  const BulkResult bulk = SetMissionsEnabled(h.State, h.P, all, true);
  EXPECT_TRUE(bulk.Patched == 30 && bulk.Refreshes.size() == 1u);
  // Each row names its mission where it is now, in the rebuilt catalogue.
  for (const BulkRowResult& r : bulk.Rows)
    EXPECT_EQ(h.State.Missions.at(static_cast<size_t>(r.Now)).FileName, r.FileName);
}

#ifndef _WIN32
// A FIFO named like a game file or the journal is refused at once by every native path.
TEST(HostileFile, AFifoIsRefusedWithoutWaiting) {
  test::TempFolder folder;
  const std::string fifo = folder.File("x.pff");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  auto files = MakeNativeFileSystem();
  std::vector<FileBlock> blocks(1);
  const std::vector<std::function<bool()>> paths = {
      [&] { return !!files->ReadWhole(fifo); },
      [&] { return !!files->PatchBlocks(fifo, blocks, [](OpenFile&) { return true; }); },
      [&] { return !!files->AppendFile(fifo, sample::Bytes{1}); },
      [&] { return !!files->ReplaceFile(fifo, sample::Bytes{1}); },
  };
  for (size_t i = 0; i < paths.size(); ++i) EXPECT_FALSE(paths[i]()) << i;
  const std::vector<MissionEntry> rows = {{"X.BMS", "", "", "", kFalse, 0, fifo, 20, 2, ""}};
  CatalogueState state;
  state.ImportedMissions = rows;
  state.LastImported = 0;
  QuietHost quiet;
  const ApplyResult preview = ApplyImportedState(state, Platform{*files, quiet}, ApplyMode::DryRun);
  ASSERT_EQ(preview.StoppedAt, 0);
  EXPECT_EQ(preview.Rows[0].Fault->Code, ProblemCode::Unreadable);
  // A journal that is a pipe is unreadable, never an empty journal.
  EXPECT_FALSE(PatchJournal(*files, fifo).Read());
}
#endif

TEST(CliExport, ARelativeFolderIsWrittenAsAbsolutePaths) {
  test::TempFolder work;
  std::filesystem::create_directory(NativePath(work.File("game")));
  sample::WriteFile(work.File(JoinPath("game", "a.pff")),
                    test::ArchiveBytes({{"A.BMS", MissionBytes()}}));
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(NativePath(work.Path()));
  const test::CliRun run = test::RunCli(cli::RunExport, {"game", "l.BRL"});
  std::filesystem::current_path(old);
  ASSERT_EQ(run.Exit, cli::kExitOk) << run.Err;
  const ListDecodeResult list = ReadListFile(*MakeNativeFileSystem(), work.File("l.BRL"));
  ASSERT_EQ(list.Rows.size(), 1u);
  EXPECT_TRUE(NativePath(list.Rows[0].SourceFile).is_absolute()) << list.Rows[0].SourceFile;
  EXPECT_TRUE(std::filesystem::exists(NativePath(list.Rows[0].SourceFile)));
}

}  // namespace
}  // namespace brieflist
