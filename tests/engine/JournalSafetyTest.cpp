// The journal against large commands, damaged lines, a folder in its place, and other programs.
#include <cstdio>

#include "cli/Commands.h"
#include "editing/BulkSwitch.h"
#include "editing/HeaderPatch.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "support/MemoryFileSystem.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace brieflist {
namespace {

const std::string kJournal = test::GamePath("journal.tsv");

TEST(JournalSafety, CommandsAreTrimmedWholeOldestFirstNewestKeptDamagedLinesKeptAside) {
  test::MemoryFileSystem files;
  test::RecordingHost host;
  CatalogueState state;
  PatchJournal journal(files, kJournal, 20);
  const Platform p{files, host, &journal};
  std::vector<std::pair<std::string, sample::Bytes>> packed;
  for (int i = 0; i < 30; ++i)
    packed.emplace_back("M" + std::to_string(i) + ".BMS", test::MissionBytes());
  files.Put("/g", "a.pff", test::ArchiveBytes(packed));
  state.GameDirectory = "/g";
  RefreshCatalogue(state, p);
  const auto commands = [&] {  // how many records each command has, oldest first
    std::vector<size_t> out;
    const std::vector<JournalRecord> r = journal.Read()->Records;
    for (size_t i = 0; i < r.size(); ++i)
      (i == 0 || r[i].Operation != r[i - 1].Operation) ? out.push_back(1) : void(++out.back());
    return out;
  };
  for (int i = 0; i < 4; ++i)
    ASSERT_EQ(ToggleMissionEnabled(state, p, 0, 0), PatchOutcome::Patched);
  const sample::Bytes original = files.Files[test::GamePath("a.pff")];
  std::vector<BulkRow> rows;
  for (int32_t i = 0; i < 30; ++i) rows.push_back({i, i});
  ASSERT_EQ(SetMissionsEnabled(state, p, rows, false).Patched, 30);
  // The bulk alone is beyond the limit: it stays whole, and so does the command before it.
  EXPECT_EQ(commands(), (std::vector<size_t>{1, 30}));
  ASSERT_EQ(SetMissionEnabled(state, p, 1, 1, true), PatchOutcome::Patched);
  // The toggle goes; the bulk, the newest before this command, stays.
  EXPECT_EQ(commands(), (std::vector<size_t>{30, 1}));
  const UndoResult undo = UndoLastPatches(state, p, 2);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 31);
  EXPECT_FALSE(undo.Failed()) << undo.Message();
  EXPECT_EQ(files.Files[test::GamePath("a.pff")], original);

  // A damaged line goes aside, not away, and makes its command only partly undoable.
  ASSERT_EQ(SetMissionsEnabled(state, p, rows, false).Patched, 30);
  std::string text(files.Files[kJournal].begin(), files.Files[kJournal].end());
  const size_t end = text.size() - 1, start = text.rfind('\n', end - 1) + 1;  // its last line
  text[end - 1] ^= 1;
  files.Files[kJournal] = sample::Bytes(text.begin(), text.end());
  std::vector<std::string> notices;
  journal.OnNotice = [&](const std::string& Text) { notices.push_back(Text); };
  ASSERT_EQ(ToggleMissionEnabled(state, p, 0, 0), PatchOutcome::Patched);
  EXPECT_EQ(files.Files[kJournal + kJournalDamagedSuffix],
            sample::Bytes(text.begin() + static_cast<ptrdiff_t>(start), text.end()));
  EXPECT_EQ(commands(), (std::vector<size_t>{29, 1}));
  EXPECT_TRUE(notices.size() == 1 && notices[0].find("1 damaged line") != std::string::npos);
  const UndoResult partly = UndoLastPatches(state, p, 2);
  EXPECT_TRUE(partly.Failed() && partly.Count(UndoStatus::Restored) == 30);
  EXPECT_NE(partly.Message().find("only be partly undone: 1 of its"), std::string::npos);
}

TEST(JournalSafety, AFolderInThePlaceOfTheJournalIsAnErrorNeverAnEmptyJournal) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff", test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()}}));
  const sample::Bytes before = test::ReadBytes(game.File("a.pff"));
  std::filesystem::create_directories(NativePath(*UserJournalPath()));
  using Command = int (*)(const std::vector<std::string>&);
  for (const auto& [command, empty] :
       {std::pair<Command, const char*>(cli::RunHistory, "The journal is empty."),
        {cli::RunUndo, "Nothing to undo."}}) {
    const test::CliRun r = test::RunCli(command, {});
    EXPECT_TRUE(r.Exit != 0 && r.Out.find(empty) == std::string::npos) << r.Out;
    EXPECT_NE(r.Err.find("folder"), std::string::npos) << r.Err;
  }
  EXPECT_NE(test::RunCli(cli::RunDisable, {game.Path(), "*"}).Exit, 0);
  EXPECT_EQ(test::ReadBytes(game.File("a.pff")), before);
}

#ifndef _WIN32
// Body in a child process, silent; with a Gate (a pipe) once the gate's writing end is closed.
pid_t Spawn(const int* Gate, const std::function<void()>& Body) {
  if (const pid_t pid = fork(); pid != 0) return pid;
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1), dup2(null, 2);
  if (char go; Gate && close(Gate[1]) == 0) (void)!read(Gate[0], &go, 1);
  Body();
  _exit(0);
}

int Wait(pid_t Pid) {
  int status = 0;
  return waitpid(Pid, &status, 0) == Pid ? status : -1;
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

  auto contents = PatchJournal(*MakeNativeFileSystem(), path).Read();
  ASSERT_TRUE(contents && contents->Problems.empty() && !contents->Records.empty());
  EXPECT_LE(contents->Records.size(), 20u);
  EXPECT_EQ(contents->Records.back().DataOffset, 59);
  // What each program wrote is kept as an unbroken run of its newest records.
  std::map<std::string, int32_t> last;
  for (const JournalRecord& r : contents->Records) {
    const auto [it, first] = last.try_emplace(r.FileName, r.DataOffset - 1);
    EXPECT_EQ(r.DataOffset, it->second + 1) << r.FileName;
    it->second = r.DataOffset;
  }
}

// A generated folder, its bytes and its missions, and the check that every header is whole.
struct CrashFolder {
  test::TempFolder Folder;
  std::map<std::string, sample::Bytes> Original;
  std::vector<MissionEntry> Missions;
  ptrdiff_t Enabled = 0;
  test::RecordingHost Host;

  CrashFolder() {
    const sample::FolderOptions options{2, 8, 4, 2, 1};  // archives, missions each, keys, loose
    sample::FolderSummary summary;
    std::string error;
    EXPECT_TRUE(sample::MakeSampleFolder(Folder.Path(), options, summary, error)) << error;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(Folder.Path())))
      Original[entry.path().string()] = test::ReadBytes(entry.path().string());
    auto files = MakeNativeFileSystem();
    CatalogueState state;
    state.GameDirectory = Folder.Path();
    RefreshCatalogue(state, Platform{*files, Host});
    Missions = state.Missions;
    Enabled = std::count_if(Missions.begin(), Missions.end(),
                            [](const MissionEntry& m) { return m.Enabled != kFalse; });
  }
  // Every header is as it was or switched once or twice, all 11 bytes of it; nothing else moved.
  void ExpectWholeHeaders(const std::string& Trial) {
    std::map<std::string, sample::Bytes> rest;
    for (const auto& [path, bytes] : Original) rest[path] = test::ReadBytes(path);
    for (const MissionEntry& m : Missions) {
      const auto at = static_cast<size_t>(m.DataOffset);
      const sample::Bytes& old = Original[m.SourceFile];
      const sample::Bytes header(old.begin() + at, old.begin() + at + 128);
      std::vector<sample::Bytes> whole = {header};  // not a set: g++ 12 -O3 warns falsely
      sample::Bytes next = header;
      bool enabled = false;
      for (int flips = 0; flips < 2; ++flips, whole.push_back(next))  // switched once, twice
        DecideMissionState(next, {}, enabled);
      sample::Bytes& now = rest[m.SourceFile];
      EXPECT_NE(std::find(whole.begin(), whole.end(),
                          sample::Bytes(now.begin() + at, now.begin() + at + 128)),
                whole.end())
          << Trial << ": " << m.SourceFile << " " << m.FileName;
      std::copy(header.begin(), header.end(), now.begin() + at);
    }
    EXPECT_TRUE(rest == Original) << Trial;
  }
  UndoResult UndoAndExpectOriginal(int32_t Count, const std::string& Trial) {
    auto files = MakeNativeFileSystem();
    CatalogueState state;
    PatchJournal journal(*files, *UserJournalPath());
    const UndoResult undo = UndoLastPatches(state, Platform{*files, Host, &journal}, Count);
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
  const int kills[] = {0, 1, 3, 6, 12, 25, 50};  // ms after the start
  int cut = 0;                                   // kills that landed inside the command
  for (const int ms : kills) {
    test::ScopedDataFolder data;
    const pid_t child = Spawn(nullptr, [&] { cli::RunDisable({dir, "*"}); });
    usleep(static_cast<useconds_t>(ms) * 1000);
    kill(child, SIGKILL);
    Wait(child);
    const std::string trial = "killed after " + std::to_string(ms) + " ms";
    f.ExpectWholeHeaders(trial);
    const auto seen = static_cast<ptrdiff_t>(f.UndoAndExpectOriginal(1, trial).Records.size());
    cut += seen > 0 && seen < f.Enabled;
  }
  constexpr int kTogether = 3;
  for (int t = 0; t < kTogether; ++t) {
    test::ScopedDataFolder data;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    const pid_t a = Spawn(gate, [&] { cli::RunToggle({dir, "*"}); });
    const pid_t b = Spawn(gate, [&] { cli::RunDisable({dir, "*"}); });
    close(gate[1]);
    Wait(a), Wait(b), close(gate[0]);
    const std::string trial = "two at once, trial " + std::to_string(t);
    f.ExpectWholeHeaders(trial);
    // Both ran whole: no patch may be called never applied.
    EXPECT_EQ(f.UndoAndExpectOriginal(2, trial).Count(UndoStatus::NotApplied), 0) << trial;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  RecordProperty("trials", static_cast<int>(std::size(kills)) + kTogether);
  std::printf("[ trials   ] %zu killed (%d inside the command), %d two at once, %.2f s\n",
              std::size(kills), cut, kTogether, took.count());
}
#endif

}  // namespace
}  // namespace brieflist
