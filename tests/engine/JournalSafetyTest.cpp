// The journal under pressure: commands larger than its limit, damaged lines, a folder in its
// place, and other programs writing it at the same time or killed while they do.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue/RefreshCatalogue.h"
#include "cli/Commands.h"
#include "editing/BulkSwitch.h"
#include "editing/HeaderPatch.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "support/CliRun.h"
#include "support/DataFolder.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace brieflist {
namespace {

const std::string kJournal = test::GamePath("journal.tsv");

struct SmallJournal {
  test::MemoryFileSystem Files;
  test::RecordingHost Host;
  CatalogueState State;
  PatchJournal Journal{Files, kJournal, 20};
  Platform P{Files, Host, &Journal};

  explicit SmallJournal(int Missions) {
    std::vector<std::pair<std::string, sample::Bytes>> packed;
    for (int i = 0; i < Missions; ++i)
      packed.emplace_back("M" + std::to_string(i) + ".BMS", test::MissionBytes("BMS", 0x80, 1, 7));
    Files.Put("/g", "a.pff", test::ArchiveBytes(packed));
    State.GameDirectory = "/g";
    RefreshCatalogue(State, P);
  }
  // The operation of each record, oldest first.
  std::vector<std::string> Operations() {
    std::vector<std::string> out;
    auto contents = Journal.Read();
    for (const JournalRecord& r : contents->Records) out.push_back(r.Operation);
    return out;
  }
};

TEST(JournalSafety, CommandsAreTrimmedWholeOldestFirstAndTheNewestStays) {
  SmallJournal f(30);
  for (int i = 0; i < 4; ++i)
    ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  const sample::Bytes original = f.Files.Files[test::GamePath("a.pff")];
  const std::string lastToggle = f.Operations().back();
  std::vector<BulkRow> rows;
  for (int32_t i = 0; i < 30; ++i) rows.push_back({i, i});
  ASSERT_EQ(SetMissionsEnabled(f.State, f.P, rows, false).Patched, 30);
  // The bulk alone is beyond the limit: it stays whole, and so does the command before it.
  std::vector<std::string> ops = f.Operations();
  ASSERT_EQ(ops.size(), 31u);
  EXPECT_EQ(ops[0], lastToggle);
  EXPECT_EQ(std::set<std::string>(ops.begin() + 1, ops.end()).size(), 1u);

  ASSERT_EQ(SetMissionEnabled(f.State, f.P, 1, 1, true), PatchOutcome::Patched);
  ops = f.Operations();
  ASSERT_EQ(ops.size(), 31u);  // the toggle went; the bulk, newest before the set, stays
  EXPECT_EQ(std::set<std::string>(ops.begin(), ops.end() - 1).size(), 1u);
  const UndoResult undo = UndoLastPatches(f.State, f.P, 2);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 31);
  EXPECT_FALSE(undo.Failed()) << undo.Message();
  EXPECT_EQ(f.Files.Files[test::GamePath("a.pff")], original);
}

TEST(JournalSafety, DamagedLinesAreMovedAsideNotDeleted) {
  SmallJournal f(2);
  std::string damaged;
  for (int i = 0; i < 25; ++i) damaged += "not a record " + std::to_string(i) + "\n";
  f.Files.Files[kJournal] = sample::Bytes(damaged.begin(), damaged.end());
  std::vector<std::string> notices;
  f.Journal.OnNotice = [&](const std::string& Text) { notices.push_back(Text); };
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  EXPECT_EQ(f.Files.Files[kJournal + kJournalDamagedSuffix],
            sample::Bytes(damaged.begin(), damaged.end()));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("25 damaged lines"), std::string::npos) << notices[0];
  auto contents = f.Journal.Read();
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->Records.size(), 1u);
  EXPECT_TRUE(contents->Problems.empty());
}

TEST(JournalSafety, AFolderInThePlaceOfTheJournalIsAnErrorNeverAnEmptyJournal) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff", test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()}}));
  const sample::Bytes before = test::ReadBytes(game.File("a.pff"));
  std::filesystem::create_directories(NativePath(*UserJournalPath()));

  test::CliRun r = test::RunCli(cli::RunHistory, {});
  EXPECT_NE(r.Exit, 0);
  EXPECT_EQ(r.Out.find("The journal is empty."), std::string::npos) << r.Out;
  EXPECT_NE(r.Err.find("folder"), std::string::npos) << r.Err;
  r = test::RunCli(cli::RunUndo, {});
  EXPECT_NE(r.Exit, 0);
  EXPECT_EQ(r.Out.find("Nothing to undo."), std::string::npos) << r.Out;
  EXPECT_NE(r.Err.find("folder"), std::string::npos) << r.Err;
  r = test::RunCli(cli::RunDisable, {game.Path(), "*"});
  EXPECT_NE(r.Exit, 0);
  EXPECT_EQ(test::ReadBytes(game.File("a.pff")), before);
}

#ifndef _WIN32
// Runs Body in a child process that ends when it returns; its output goes nowhere.
// With a Gate (a pipe), it starts once the gate's writing end is closed.
pid_t Spawn(const int* Gate, const std::function<void()>& Body) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  dup2(null, 2);
  if (Gate) {
    close(Gate[1]);
    char go;
    (void)!read(Gate[0], &go, 1);
  }
  Body();
  _exit(0);
}

int Wait(pid_t Pid) {
  int status = 0;
  waitpid(Pid, &status, 0);
  return status;
}

TEST(JournalSafetyProcesses, TwoProgramsTrimmingAtOnceLoseNoRecord) {
  test::TempFolder folder;
  const std::string path = folder.File(kJournalFileName);
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> children;
  for (const char* name : {"A.BMS", "B.BMS"})
    children.push_back(Spawn(gate, [&] {
      auto files = MakeNativeFileSystem();
      PatchJournal journal(*files, path, 20);
      for (int32_t i = 0; i < 60; ++i) {
        std::vector<JournalRecord> one(1);
        one[0].FileName = name;
        one[0].DataOffset = i;
        if (!journal.Append(one)) _exit(1);
      }
    }));
  close(gate[1]);
  for (const pid_t pid : children) EXPECT_EQ(Wait(pid), 0);
  close(gate[0]);

  auto files = MakeNativeFileSystem();
  auto contents = PatchJournal(*files, path).Read();
  ASSERT_TRUE(contents);
  EXPECT_TRUE(contents->Problems.empty());
  ASSERT_LE(contents->Records.size(), 20u);
  ASSERT_FALSE(contents->Records.empty());
  EXPECT_EQ(contents->Records.back().DataOffset, 59);
  // What each program wrote is kept as an unbroken run of its newest records.
  std::map<std::string, int32_t> last;
  for (const JournalRecord& r : contents->Records) {
    if (last.count(r.FileName)) {
      EXPECT_EQ(r.DataOffset, last[r.FileName] + 1) << r.FileName;
    }
    last[r.FileName] = r.DataOffset;
  }
}

// A generated folder, its bytes and its missions, and the check that every header is whole.
struct CrashFolder {
  test::TempFolder Folder;
  std::map<std::string, sample::Bytes> Original;
  std::vector<MissionEntry> Missions;

  CrashFolder() {
    sample::FolderOptions options;
    options.Archives = 2;
    options.MissionsPerArchive = 8;
    options.KeysPerArchive = 4;
    options.LooseMissions = 2;
    sample::FolderSummary summary;
    std::string error;
    EXPECT_TRUE(sample::MakeSampleFolder(Folder.Path(), options, summary, error)) << error;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(Folder.Path())))
      Original[entry.path().string()] = test::ReadBytes(entry.path().string());
    auto files = MakeNativeFileSystem();
    test::RecordingHost host;
    CatalogueState state;
    state.GameDirectory = Folder.Path();
    RefreshCatalogue(state, Platform{*files, host});
    Missions = state.Missions;
  }
  // Every header is as it was or switched once or twice, all 11 bytes of it; nothing else moved.
  void ExpectWholeHeaders(const std::string& Trial) {
    std::map<std::string, sample::Bytes> rest;
    for (const auto& [path, bytes] : Original) rest[path] = test::ReadBytes(path);
    for (const MissionEntry& m : Missions) {
      const auto at = static_cast<size_t>(m.DataOffset);
      const sample::Bytes& old = Original[m.SourceFile];
      const sample::Bytes header(old.begin() + at, old.begin() + at + 128);
      std::set<sample::Bytes> whole = {header};
      sample::Bytes once = header, twice;
      bool enabled = false;
      DecideMissionState(once, std::nullopt, enabled);
      twice = once;
      DecideMissionState(twice, std::nullopt, enabled);
      whole.insert({once, twice});
      sample::Bytes& now = rest[m.SourceFile];
      EXPECT_TRUE(whole.count(sample::Bytes(now.begin() + at, now.begin() + at + 128)))
          << Trial << ": " << m.SourceFile << " " << m.FileName;
      std::copy(header.begin(), header.end(), now.begin() + at);
    }
    EXPECT_TRUE(rest == Original) << Trial;
  }
  UndoResult UndoAndExpectOriginal(int32_t Count, const std::string& Trial) {
    auto files = MakeNativeFileSystem();
    test::RecordingHost host;
    CatalogueState state;
    PatchJournal journal(*files, *UserJournalPath());
    const UndoResult undo = UndoLastPatches(state, Platform{*files, host, &journal}, Count);
    EXPECT_EQ(undo.Count(UndoStatus::ChangedSince) + undo.Count(UndoStatus::Failed), 0) << Trial;
    for (const auto& [path, bytes] : Original)
      EXPECT_TRUE(test::ReadBytes(path) == bytes) << Trial << ": " << path << undo.Message();
    return undo;
  }
};

TEST(JournalSafetyProcesses, KilledOrSimultaneousSwitchesLeaveWholeHeadersThatUndoRestores) {
  const auto start = std::chrono::steady_clock::now();
  CrashFolder f;
  const std::string dir = f.Folder.Path();
  const int kills[] = {0, 1, 3, 6, 12, 25, 50};
  for (const int ms : kills) {
    test::ScopedDataFolder data;
    const pid_t child = Spawn(nullptr, [&] { cli::RunDisable({dir, "*"}); });
    usleep(static_cast<useconds_t>(ms) * 1000);
    kill(child, SIGKILL);
    Wait(child);
    const std::string trial = "killed after " + std::to_string(ms) + " ms";
    f.ExpectWholeHeaders(trial);
    f.UndoAndExpectOriginal(1, trial);
  }
  constexpr int kTogether = 3;
  for (int t = 0; t < kTogether; ++t) {
    test::ScopedDataFolder data;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    const pid_t a = Spawn(gate, [&] { cli::RunToggle({dir, "*"}); });
    const pid_t b = Spawn(gate, [&] { cli::RunDisable({dir, "*"}); });
    close(gate[1]);
    Wait(a);
    Wait(b);
    close(gate[0]);
    const std::string trial = "two at once, trial " + std::to_string(t);
    f.ExpectWholeHeaders(trial);
    // Both ran whole: no patch may be called never applied.
    EXPECT_EQ(f.UndoAndExpectOriginal(2, trial).Count(UndoStatus::NotApplied), 0) << trial;
  }
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  RecordProperty("trials", static_cast<int>(std::size(kills)) + kTogether);
  std::printf("[ trials   ] %zu killed, %d two at once, %lld ms\n", std::size(kills), kTogether,
              static_cast<long long>(ms));
}
#endif

}  // namespace
}  // namespace brieflist
