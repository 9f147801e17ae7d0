// Switching missions one at a time, in bulk, from a list and back by undo; every failure.
#include <array>
#include <random>

#include "editing/BulkSwitch.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "exchange/ListApply.h"
#include "exchange/ListFile.h"
#include "support/MemoryFileSystem.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::Bytes;
using test::GamePath;
using test::Has;
using test::MissionBytes;
using Block = std::array<uint8_t, 4>;
using Files = std::map<std::string, Bytes>;

// Full headers are checked by the model below; a header cut short is written where it has bytes.
TEST(WriteMissionState, AHeaderCutShortIsWrittenOnlyWhereItHasBytes) {
  Bytes cut = MissionBytes("BMS", 0x12, 0x34, 0, 122);  // the flag block itself cut in half
  WriteMissionState(cut, false);
  EXPECT_EQ(test::SignatureAt(cut, 0), "VyK");
  EXPECT_EQ(cut[120] + cut[121], 0);
}

// What each mission's header must hold: signature and flag blocks of its state, if switched.
struct MissionModel {
  std::string Path;
  size_t Offset = 0;
  bool Enabled = true;
  bool Touched = false;
  Block Flags{};  // the flag block, wherever it stands now
  std::string FlagsText;
};

Files Expected(const Files& Original, const std::vector<MissionModel>& Missions) {
  Files out = Original;
  for (const MissionModel& m : Missions) {
    if (!m.Touched) continue;
    Bytes& file = out[m.Path];
    const char* signature = m.Enabled ? "BMS" : "VyK";
    for (size_t i = 0; i < 3; ++i) file[m.Offset + i] = static_cast<uint8_t>(signature[i]);
    for (size_t i = 0; i < 4; ++i) {
      file[m.Offset + 120 + i] = m.Enabled ? m.Flags[i] : 0;
      file[m.Offset + 124 + i] = m.Enabled ? 0 : m.Flags[i];
    }
  }
  return out;
}

// Random folders and commands: after each, the files, the costs and a refresh agree with the model.
TEST(SwitchingModel, EveryCommandWritesExactlyTheModelsBytes) {
  std::mt19937 rng(20240607);
  const auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  const char* kEnabled[] = {"BMS", "bms", "bMs"};
  const char* kDisabled[] = {"VyK", "VYK", "vyk"};
  const char* kNames[] = {"A.BMS", "B.BMS", "C.bms", "SAME.BMS"};

  for (int sequence = 0; sequence < 400; ++sequence) {
    test::MemoryGame g;
    const uint32_t archives = 1 + pick(3);
    for (uint32_t a = 0; a < archives; ++a) {
      std::vector<std::pair<std::string, Bytes>> entries;
      for (uint32_t m = 0, count = 1 + pick(4); m < count; ++m) {
        sample::MissionSpec spec;
        spec.Disabled = pick(3) == 0;
        spec.Signature = spec.Disabled ? kDisabled[pick(3)] : kEnabled[pick(3)];
        spec.FlagHigh = static_cast<uint8_t>(rng());
        spec.FlagLow = static_cast<uint8_t>(rng());
        spec.ModifiedWord = pick(2) ? 0 : static_cast<uint32_t>(rng());
        spec.Size = 128 + pick(200);
        entries.emplace_back(kNames[pick(4)], sample::BuildMission(spec));
      }
      g.Put(std::string("arc").append(std::to_string(a)) + ".pff", ArchiveBytes(entries));
    }
    if (pick(2)) g.Put("loose.bms", MissionBytes(pick(2) ? "BMS" : "vYk", 0x12, 0x34, 0x99));
    const Files original = g.Files.Files;
    g.Refresh();
    std::vector<MissionModel> models;
    for (const MissionEntry& row : g.State.Missions) {
      MissionModel m;
      m.Path = row.SourceFile;
      m.Offset = static_cast<size_t>(row.DataOffset);
      m.Enabled = row.Enabled != kFalse;
      for (size_t i = 0; i < 4; ++i)
        m.Flags[i] = original.at(m.Path)[m.Offset + (m.Enabled ? 120 : 124) + i];
      m.FlagsText = row.MissionTypeFlags;
      models.push_back(m);
    }
    const auto n = static_cast<uint32_t>(models.size());
    std::vector<std::vector<MissionModel>> undoable;  // the model before each journalled command
    std::string operation;                            // of the last command journalled

    for (uint32_t step = 0, steps = 1 + pick(12); step < steps; ++step) {
      const std::vector<MissionModel> before = models;
      const Files filesBefore = g.Files.Files;
      const size_t journalled = g.Records().size();
      int patched = 0;
      g.Files.ResetCounters();
      g.JournalFiles.ResetCounters();
      const uint32_t command = pick(5);
      const auto i = static_cast<int32_t>(pick(n));
      const bool wanted = pick(2);
      std::string what = std::string("sequence ").append(std::to_string(sequence));
      what += " step " + std::to_string(step);
      if (command == 0) {
        what += " toggle";
        const SwitchResult r = ToggleMissionEnabled(g.State, g.P, i, 100 + i);
        ASSERT_EQ(r.Outcome, PatchOutcome::Patched) << what;
        patched = 1;
        const IoCounters& c = g.Files.Counters();
        // An archive's header and directory are read in the same open, to check the mission.
        ASSERT_EQ(c.Opens + c.Reads + c.Writes + c.Flushes + c.Closes, models[i].Offset ? 7u : 5u)
            << what;
        models[i].Enabled = !models[i].Enabled;
        models[i].Touched = true;
        ASSERT_TRUE(r.GridRow == 100 + i && r.Index == i && r.Enabled == models[i].Enabled) << what;
      } else if (command == 1) {
        what += " set";
        const bool already = models[i].Enabled == wanted;
        const SwitchResult r = SetMissionEnabled(g.State, g.P, i, 100 + i, wanted);
        ASSERT_EQ(r.Outcome, already ? PatchOutcome::AlreadySo : PatchOutcome::Patched) << what;
        ASSERT_TRUE(r.GridRow == 100 + i && r.Index == i && r.Enabled == wanted) << what;
        ASSERT_EQ(g.Files.Counters().Writes, already ? 0u : 1u) << what;
        patched = !already;
        models[i].Touched = models[i].Touched || !already;
        models[i].Enabled = wanted;
      } else if (command == 2) {
        what += " bulk";
        std::vector<BulkRow> rows;
        std::set<std::string> files;
        std::set<int32_t> distinct;
        for (uint32_t k = 0, count = 1 + pick(n + 1); k < count; ++k) {
          const auto j = static_cast<int32_t>(pick(n));
          rows.push_back({j, 100 + j});
          if (!distinct.insert(j).second || models[j].Enabled == wanted) continue;
          ++patched;
          files.insert(models[j].Path);
          models[j].Enabled = wanted;
          models[j].Touched = true;
        }
        ASSERT_EQ(RowsToSwitch(g.State, rows, wanted).size(), static_cast<size_t>(patched)) << what;
        const BulkResult result = SetMissionsEnabled(g.State, g.P, rows, wanted);
        ASSERT_EQ(result.Patched, patched) << what;
        ASSERT_EQ(result.AlreadySo, static_cast<int32_t>(distinct.size()) - patched) << what;
        ASSERT_EQ(result.Rows.size(), distinct.size()) << what;
        ASSERT_EQ(result.Rows[0].Row.Index, rows[0].Index) << what;  // in the order asked
        const IoCounters& c = g.Files.Counters();
        ASSERT_EQ(c.Opens, files.size()) << what;  // one open, one flush per file
        ASSERT_EQ(c.Flushes, files.size()) << what;
        const auto archives = std::count_if(files.begin(), files.end(), [](auto& f) {
          return f.find(".pff") != std::string::npos;
        });
        ASSERT_EQ(c.Reads, static_cast<uint64_t>(patched + 2 * archives)) << what;
        ASSERT_EQ(c.Writes, static_cast<uint64_t>(patched)) << what;
        ASSERT_EQ(g.JournalFiles.Counters().Flushes, files.size()) << what;  // one append each
        for (const BulkRowResult& r : result.Rows)
          ASSERT_TRUE(r.Enabled == wanted && r.Now == r.Row.Index && r.Row.GridRow == 100 + r.Now)
              << what;
      } else if (command == 3) {
        what += " import";
        std::vector<MissionEntry> rows;
        std::vector<uint32_t> at;
        for (uint32_t k = 0, count = 1 + pick(n); k < count; ++k) {
          at.push_back(pick(n));
          rows.push_back(g.State.Missions[at.back()]);
          rows.back().Enabled = ToFlag(pick(2) == 1);
        }
        // Rows of one file that follow one another are written together: each mission once, to
        // what its last row asks; a row counts as switched when it differs from the row before.
        int32_t switchedRows = 0;
        uint64_t writeOpens = 0;
        for (size_t a = 0, b = 0; a < rows.size(); a = b) {
          std::map<uint32_t, bool> last;
          for (b = a; b < rows.size() && rows[b].SourceFile == rows[a].SourceFile; ++b) {
            const bool wanted = rows[b].Enabled == kTrue;
            const auto seen = last.find(at[b]);
            const bool now = seen != last.end() ? seen->second : models[at[b]].Enabled;
            switchedRows += wanted != now;
            last[at[b]] = wanted;
          }
          bool wrote = false;
          for (const auto& [j, wanted] : last) {
            if (wanted == models[j].Enabled) continue;
            models[j].Enabled = wanted;
            models[j].Touched = wrote = true;
            ++patched;
          }
          writeOpens += wrote;
        }
        g.Files.Files["/l/list.BRL"] = EncodeListFile(rows).Bytes;
        const ImportResult result = ImportListFile(g.State, g.P, "/l/list.BRL");
        g.Files.Files.erase("/l/list.BRL");
        ASSERT_TRUE(result.Applied.Complete()) << what;
        ASSERT_EQ(result.Applied.Count(ApplyOutcome::AlreadySo),
                  static_cast<int32_t>(rows.size()) - switchedRows)
            << what;
        // A file whose rows are all in the wanted state is never opened for writing.
        ASSERT_EQ(g.Files.WriteOpens, writeOpens) << what;
        ASSERT_EQ(g.State.GameDirectory, FolderOfPath(rows[0].SourceFile)) << what;
        RefreshCatalogue(g.State, g.P);  // as the faces do, once they have shown the problems
      } else {
        what += " undo";
        const UndoResult undo = UndoLastPatches(g.State, g.P, 1);
        ASSERT_EQ(undo.Operations, undoable.empty() ? 0 : 1) << what;
        ASSERT_EQ(undo.Message(), "") << what;
        patched = undo.Count(UndoStatus::Restored);
        ASSERT_EQ(patched, static_cast<int32_t>(undo.Records.size())) << what;
        if (!undoable.empty()) {
          models = undoable.back();
          undoable.pop_back();
        }
      }
      if (patched && command != 4) undoable.push_back(before);
      // The journal's new records replay the command: one operation, each record's Before what
      // the file held, its After what the command left.
      const std::vector<JournalRecord> all = g.Records();
      ASSERT_EQ(all.size(), journalled + static_cast<size_t>(patched)) << what;
      Files replay = filesBefore;
      const char* kinds[] = {JournalKind::Toggle, JournalKind::Set, JournalKind::Bulk,
                             JournalKind::Import, JournalKind::Undo};
      for (size_t k = journalled; k < all.size(); ++k) {
        const JournalRecord& r = all[k];
        ASSERT_EQ(r.Kind, kinds[command]) << what;
        ASSERT_EQ(r.Operation, all[journalled].Operation) << what;
        ASSERT_NE(r.Operation, operation) << what;
        ASSERT_EQ(r.Reverses.empty(), command != 4) << what;
        const auto header =
            std::span(replay[r.SourceFile]).subspan(static_cast<size_t>(r.DataOffset), 128);
        ASSERT_EQ(PatchedBytesOf(header), r.Before) << what;
        PutPatchedBytes(header, r.After);
      }
      if (patched) operation = all.back().Operation;
      ASSERT_EQ(replay, g.Files.Files) << what;
      ASSERT_EQ(g.Files.Files, Expected(original, models)) << what;
      for (size_t k = 0; k < n; ++k) {
        ASSERT_EQ(g.State.Missions[k].Enabled, ToFlag(models[k].Enabled)) << what << " row " << k;
        const auto word =
            std::span(g.Files.Files.at(models[k].Path)).subspan(models[k].Offset + 124, 4);
        ASSERT_EQ(g.State.Missions[k].Modified,
                  ToFlag((word[0] | word[1] | word[2] | word[3]) != 0))
            << what << " row " << k;
      }
      if (pick(4) == 0) {  // what a refresh and the game read back
        g.Refresh();
        for (size_t k = 0; k < n; ++k) {
          ASSERT_EQ(g.State.Missions[k].Enabled, ToFlag(models[k].Enabled)) << what;
          ASSERT_EQ(g.State.Missions[k].MissionTypeFlags, models[k].FlagsText) << what;
        }
      }
    }
  }
}

// The locate-and-retry step for a mission no longer where the catalogue recorded it.
TEST(LocateAndRetry, FindsTheMissionAgainInItsOwnFileOrSaysWhy) {
  const auto moved = [](size_t Padding, const char* Name = "A.BMS") {
    return ArchiveBytes({{"T.BIN", Bytes(Padding, 0)}, {Name, MissionBytes()}});
  };
  const struct {
    const char* What;
    int32_t Row;  // of the catalogue of a.pff (A.BMS), b.pff (A.BMS) and L.BMS
    std::function<void(test::MemoryGame&)> Change;
    PatchOutcome Outcome;
    std::optional<ProblemCode> Problem;
    size_t Refreshes;
    std::string Patched;  // the file whose mission was switched, at 20 + 700
  } cases[] = {
      {"loose without signature", 2, [](auto& g) { g.File("L.BMS")[0] = 'X'; },
       PatchOutcome::Reported, ProblemCode::NotAMission, 0, ""},
      {"moved: the same name in another archive is not taken", 1,
       [&](auto& g) { g.File("b.pff") = moved(700); }, PatchOutcome::Patched, std::nullopt, 1,
       "b.pff"},
      {"gone: not looked for in another archive", 1,
       [&](auto& g) { g.File("b.pff") = moved(700, "Z.BMS"); }, PatchOutcome::Reported,
       ProblemCode::NotFound, 1, ""},
      {"still invalid after the refresh", 0,
       [](auto& g) {
         // Spoiled just before each patch reads it, mended before each refresh reads it.
         g.Files.BeforePatch = [&g](const std::string& Path) {
           if (Path == GamePath("a.pff")) g.File("a.pff")[20] = '?';
         };
         g.Files.BeforeRead = [&g](const std::string& Path) {
           if (Path == GamePath("a.pff")) g.File("a.pff")[20] = 'B';
         };
       },
       PatchOutcome::Reported, ProblemCode::StillInvalid, 2, ""},
  };
  for (const auto& c : cases) {
    test::MemoryGame g;
    g.Put("a.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
    g.Put("b.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
    g.Put("L.BMS", MissionBytes());
    g.Refresh();
    c.Change(g);
    Files before = g.Files.Files;
    const SwitchResult r = ToggleMissionEnabled(g.State, g.P, c.Row, 5);
    EXPECT_EQ(r.Outcome, c.Outcome) << c.What;
    EXPECT_EQ(test::CodesOf(r.Problems), c.Problem ? test::Codes{*c.Problem} : test::Codes{})
        << c.What;
    EXPECT_EQ(r.Refreshes.size(), c.Refreshes) << c.What;
    EXPECT_EQ(r.GridRow, 5) << c.What;
    EXPECT_TRUE(!c.Refreshes || g.State.GameDirectory == GamePath("")) << c.What;
    if (c.Patched.empty()) {
      EXPECT_EQ(g.Files.Files, before) << c.What;
      continue;
    }
    WriteMissionState(std::span(before[GamePath(c.Patched)]).subspan(720, 128), false);
    EXPECT_EQ(g.Files.Files, before) << c.What;
    EXPECT_EQ(g.Mission("A.BMS").Enabled, kTrue) << c.What;  // a.pff's, never taken for b.pff's
    // The result names the mission where it was found, in the rebuilt catalogue.
    EXPECT_TRUE(r.SourceFile == GamePath("b.pff") && r.DataOffset == 720 && !r.Enabled &&
                g.State.Missions.at(static_cast<size_t>(r.Index)).SourceFile == r.SourceFile)
        << c.What;
  }
}

// A file that cannot be opened, also the one the game holds open: named with the system's code,
// nothing changed. (A write that fails is the fault-injection test's.)
TEST(PatchFailures, AreReportedByNameAndChangeNothing) {
  for (const auto& [fault, code] : {std::pair{IoFault::Denied, ProblemCode::Unwritable},
                                    std::pair{IoFault::Held, ProblemCode::HeldElsewhere}}) {
    test::MemoryGame g;
    g.Put("m.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
    g.Refresh();
    g.Files.FailOpen[GamePath("m.pff")] = fault;
    const Files before = g.Files.Files;
    const SwitchResult r = ToggleMissionEnabled(g.State, g.P, 0, 3);
    ASSERT_EQ(test::CodesOf(r.Problems), test::Codes{code});
    EXPECT_TRUE(r.Outcome == PatchOutcome::Failed && r.Problems[0].File == GamePath("m.pff") &&
                r.Problems[0].SystemCode == test::MemoryFileSystem::Failure({}, fault).Code);
    EXPECT_TRUE(g.Files.Files == before && g.Records().empty() && r.Refreshes.empty());
    EXPECT_EQ(g.State.Missions[0].Enabled, kTrue);
  }
}

// Two archives and a loose mission, for the bulk, journal and undo cases.
struct ThreeFiles : test::MemoryGame {
  ThreeFiles() {
    // The modified words are not zero: a plain switch back would not restore them.
    Put("a.pff", ArchiveBytes({{"A1.BMS", MissionBytes("BMS", 0x80, 0x01, 0xDEADBEEF)},
                               {"A2.BMS", MissionBytes("vyk", 0x00, 0x00, 0x00020040)},
                               {"A3.BMS", MissionBytes("BMS", 0x00, 0x03, 0x11111111)}}));
    Put("b.pff", ArchiveBytes({{"B1.BMS", MissionBytes("BMS", 0x00, 0x11)},
                               {"B2.BMS", MissionBytes("BMS", 0x00, 0x12)}}));
    Put("L.bms", MissionBytes("bMs", 0x00, 0x21, 0x7F));
    Refresh();
  }
  std::vector<BulkRow> Rows(std::initializer_list<const char*> Names) const {
    std::vector<BulkRow> rows;
    for (const char* name : Names) rows.push_back({Row(name), 100 + Row(name)});
    return rows;
  }
};

TEST(SetMissionsEnabled, FailuresAreListedInOneClosingMessageAndTheRestIsSwitched) {
  ThreeFiles g;
  g.Files.FailWrite[GamePath("a.pff")] = IoFault::Denied;
  g.File("L.bms")[0] = 'X';  // no longer a mission
  std::vector<BulkRow> asked = g.Rows({"A1.BMS", "B1.BMS", "L.bms"});
  asked.push_back({99, 7});  // not in the catalogue
  const BulkResult result = SetMissionsEnabled(g.State, g.P, asked, false);
  EXPECT_EQ(result.Patched, 1);
  EXPECT_EQ(result.Failed, 3);
  EXPECT_EQ(g.Mission("B1.BMS").Enabled, kFalse);
  EXPECT_EQ(g.Mission("A1.BMS").Enabled, kTrue);
  using C = ProblemCode;
  const test::Codes codes[] = {{C::Unwritable}, {}, {C::NotAMission}, {C::NotFound}};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(test::CodesOf(result.Rows.at(i).Problems), codes[i]);
  // One message lists them by name and file, or by the row asked for.
  const std::string message = result.FailureMessage();
  EXPECT_TRUE(Has(message, "3 of 4") && Has(message, "A1.BMS (" + GamePath("a.pff") + "): ") &&
              Has(message, "L.bms (" + GamePath("L.bms") + "): ") && Has(message, "row 99: "))
      << message;
}

TEST(Undo, IsRefusedWhereTheMissionChangedSinceAndWritesNothingThere) {
  ThreeFiles g;
  ASSERT_EQ(SetMissionsEnabled(g.State, g.P, g.Rows({"A1.BMS", "A3.BMS"}), false).Patched, 2);
  const size_t at = static_cast<size_t>(g.Mission("A3.BMS").DataOffset);
  std::copy_n("BMS", 3, g.File("a.pff").begin() + static_cast<ptrdiff_t>(at));  // by hand
  const Bytes touched = g.File("a.pff");
  const UndoResult undo = UndoLastPatches(g.State, g.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 1);
  EXPECT_EQ(undo.Count(UndoStatus::ChangedSince), 1);
  EXPECT_TRUE(
      std::equal(touched.begin() + at, touched.begin() + at + 128, g.File("a.pff").begin() + at));
  // The refused record leaves the undo stack: the next undo goes on to older patches.
  EXPECT_TRUE(UndoableOperations(*g.Journal.Read()).empty());
  EXPECT_EQ(g.Records().back().Kind, JournalKind::Refused);
}

TEST(Undo, ATornLineIsSetAsideAnUnwritableFileStaysOnTheStackAnUnwrittenPatchIsNotApplied) {
  ThreeFiles g;
  const Bytes original = g.File("a.pff");
  ASSERT_EQ(ToggleMissionEnabled(g.State, g.P, 0, 0).Outcome, PatchOutcome::Patched);
  const Bytes patched = g.File("a.pff");
  // The program stopped while it appended a second record; this is the next run.
  Bytes& journal = g.JournalFiles.Files.at(g.Journal.Path());
  const std::string torn(journal.begin(), journal.begin() + 30);
  journal.insert(journal.end(), torn.begin(), torn.end());
  PatchJournal nextRun(g.JournalFiles, g.Journal.Path());
  g.P.Journal = &nextRun;
  g.Files.FailWrite[GamePath("a.pff")] = IoFault::Denied;
  UndoResult undo = UndoLastPatches(g.State, g.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Failed), 1);
  EXPECT_EQ(g.File("a.pff"), patched);
  EXPECT_EQ(test::CodesOf(undo.Records.at(0).Problems), test::Codes{ProblemCode::Unwritable});
  ASSERT_EQ(undo.Warnings.size(), 1u);
  EXPECT_TRUE(Has(undo.Warnings[0], g.Journal.Path() + ": line 2 ")) << undo.Warnings[0];
  // The undo, a writer of the journal, set the torn line aside.
  EXPECT_EQ(*nextRun.KeptAside(), std::vector<std::string>{torn});
  // Once the file can be written again, the same undo goes through; a damaged line of no
  // command it takes back is said, but fails nothing.
  g.Files.FailWrite.clear();
  journal.insert(journal.begin(), {'?', '\n'});
  undo = UndoLastPatches(g.State, g.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 1);
  EXPECT_TRUE(!undo.Failed() && undo.Warnings.size() == 1u) << undo.Message();
  EXPECT_EQ(g.File("a.pff"), original);
  const auto records = nextRun.Read()->Records;
  EXPECT_EQ(records.back().Kind, JournalKind::Undo);
  EXPECT_EQ(records[records.size() - 2].Kind, JournalKind::NotApplied);
  // A crash between journalling and writing leaves the record and the old bytes: not applied.
  ASSERT_EQ(ToggleMissionEnabled(g.State, g.P, 0, 0).Outcome, PatchOutcome::Patched);
  g.File("a.pff") = original;
  undo = UndoLastPatches(g.State, g.P, 1);
  EXPECT_TRUE(undo.Count(UndoStatus::NotApplied) == 1 && !undo.Failed()) << undo.Message();
  EXPECT_EQ(g.File("a.pff"), original);
  EXPECT_EQ(test::CodesOf(undo.Records.at(0).Problems), test::Codes{ProblemCode::NotApplied});
  EXPECT_EQ(UndoLastPatches(g.State, g.P, 1).Operations, 0);
}

TEST(ListExchange, ExportThenImportPatchesNothingAndRowZeroPicksTheFolder) {
  ThreeFiles g;
  g.Files.Files["/l/saved.BRL"] = {0xFF, 0xFF};  // a failed export leaves the old list
  g.Files.FailWrite["/l/saved.BRL"] = IoFault::NoSpace;
  const ExportResult failed = ExportListFile(g.State, g.Files, "/l/saved.BRL");
  EXPECT_EQ(failed.Message,
            "Could not save the list to " +
                test::MemoryFileSystem::Failure("/l/saved.BRL", IoFault::NoSpace).Describe());
  EXPECT_TRUE(!failed.Ok && g.Files.Files["/l/saved.BRL"] == (Bytes{0xFF, 0xFF}));
  g.Files.FailWrite.clear();
  const ExportResult exported = ExportListFile(g.State, g.Files, "/l/saved.BRL");
  ASSERT_TRUE(exported.Ok) << exported.Message;
  EXPECT_EQ(exported.Rows, 6);
  EXPECT_EQ(g.Files.Files["/l/saved.BRL"], EncodeListFile(g.State.Missions).Bytes);
  const std::vector<MissionEntry> before = g.State.Missions;
  EXPECT_EQ(ImportListFile(g.State, g.P, "/l/saved.BRL").Applied.Count(ApplyOutcome::AlreadySo), 6);
  EXPECT_EQ(g.State.Missions, before);
  EXPECT_EQ(g.State.GameDirectory, GamePath(""));
  EXPECT_EQ(g.State.LastImported, 5);

  // Rows of two folders: each patched in its own; only row 0's folder is shown after.
  g.Files.Put("/o", "x.pff", ArchiveBytes({{"X.BMS", MissionBytes()}}));
  std::vector<MissionEntry> rows = {test::ListRow(JoinPath("/o", "x.pff"), "X.BMS", 20, false),
                                    g.Mission("A2.BMS")};
  rows[1].Enabled = kTrue;
  g.Files.Files["/l/two.BRL"] = EncodeListFile(rows).Bytes;
  const ApplyResult two = ImportListFile(g.State, g.P, "/l/two.BRL").Applied;
  EXPECT_EQ(two.Count(ApplyOutcome::SwitchedOff) + two.Count(ApplyOutcome::SwitchedOn), 2);
  EXPECT_EQ(g.State.GameDirectory, JoinPath("/o", ""));
  RefreshCatalogue(g.State, g.P);
  EXPECT_EQ(g.FileNames(), std::vector<std::string>{"X.BMS"});
  EXPECT_EQ(g.State.Missions[0].Enabled, kFalse);
  g.Refresh();
  EXPECT_EQ(g.Mission("A2.BMS").Enabled, kTrue);
}

// Rows of other files after the failing one are not applied, though a file before it is the same.
TEST(ListExchange, AFileThatCannotBeReadOrWrittenStopsTheImportAtItsRow) {
  for (const ProblemCode code : {ProblemCode::Unreadable, ProblemCode::Unwritable}) {
    ThreeFiles g;
    std::vector<MissionEntry> rows = {g.Mission("A1.BMS"), g.Mission("B1.BMS"),
                                      g.Mission("A3.BMS")};
    for (MissionEntry& r : rows) r.Enabled = r.Enabled == kTrue ? kFalse : kTrue;
    std::string failing = GamePath("b.pff");
    if (code == ProblemCode::Unreadable)
      rows[1].SourceFile = failing = GamePath("gone.pff");
    else
      g.Files.FailWrite[failing] = IoFault::Denied;
    g.Files.Files["/l/l.BRL"] = EncodeListFile(rows).Bytes;
    g.State.GameDirectory = "before";
    const ImportResult imported = ImportListFile(g.State, g.P, "/l/l.BRL");
    EXPECT_EQ(imported.Status, ImportStatus::Stopped);
    const ApplyResult& applied = imported.Applied;
    EXPECT_EQ(applied.StoppedAt, 1);
    ASSERT_EQ(applied.Rows.size(), 2u);
    EXPECT_EQ(applied.Rows[0].Outcome, ApplyOutcome::SwitchedOff);
    ASSERT_TRUE(applied.Rows[1].Fault);
    EXPECT_EQ(applied.Rows[1].Fault->Code, code);
    EXPECT_EQ(applied.Rows[1].Fault->File, failing);
    EXPECT_EQ(g.State.GameDirectory, "before");
    g.Refresh();
    EXPECT_EQ(g.Mission("A1.BMS").Enabled, kFalse);  // row 0 stays patched
    EXPECT_EQ(g.Mission("B1.BMS").Enabled, kTrue);
    EXPECT_EQ(g.Mission("A3.BMS").Enabled, kTrue);  // rows after the failure are not applied
  }
}

}  // namespace
}  // namespace brieflist
