// The journal against large commands, damaged lines, failing writes and other programs.
#include "cli/Commands.h"
#include "editing/BulkSwitch.h"
#include "editing/JournalTrim.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "exchange/ListFile.h"
#include "support/MemoryFileSystem.h"

#include <cstring>
#include <sstream>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace brieflist {
namespace {

using test::Has;

const std::string kJournal = test::GamePath("journal.tsv");

// A journal in shorthand: "A A B<A0 C!B0" is two records of command A, an undo B of A's first
// record and a not-applied marker C on B's. A record's Id is its command and its place in it.
std::vector<JournalRecord> Shorthand(const std::string& Text) {
  std::vector<JournalRecord> out;
  std::map<std::string, int> count;
  std::istringstream in(Text);
  for (std::string token; in >> token;) {
    const size_t mark = std::min(token.find_first_of("<!"), token.size());
    JournalRecord& r = out.emplace_back();
    r.Operation = token.substr(0, mark);
    r.Id = r.Operation + std::to_string(count[r.Operation]++);
    r.Kind = token[mark] == '<' ? JournalKind::Undo : JournalKind::NotApplied;
    if (mark == token.size()) r.Kind = JournalKind::Set;
    r.Reverses = token.substr(mark + (mark < token.size()));
  }
  return out;
}

// Each row: the journal ending with the records added, how many, the limit, the records kept.
void ExpectTrims(const std::vector<std::tuple<const char*, size_t, size_t, const char*>>& Rows) {
  for (const auto& [journal, adding, limit, expected] : Rows) {
    const std::vector<JournalRecord> records = Shorthand(journal);
    const JournalTrimPlan plan = PlanJournalTrim(records, adding, limit);
    std::string kept;
    for (const JournalRecord& r : records)
      if (!plan.Dropped.count(r.Operation)) kept += r.Operation;
    EXPECT_EQ(kept, expected) << journal << " limit " << limit;
    EXPECT_EQ(plan.Kept, kept.size()) << journal;
  }
}

TEST(JournalTrimPlan, PastTheLimitOtherCommandsGoOldestFirstToATenthBelowIt) {
  // Lines, adding, the open command's own lines, limit, undoing: trims?
  const size_t due[][6] = {{10, 1, 0, 10, 0, 1},  {9, 1, 0, 10, 0, 0},  {10, 1, 9, 10, 0, 1},
                           {10, 1, 10, 10, 0, 0}, {10, 1, 0, 10, 1, 0}, {3, 40, 0, 10, 0, 1}};
  for (const auto& d : due)
    EXPECT_EQ(JournalTrimDue(d[0], d[1], d[2], d[3], d[4]), d[5] == 1) << d[0] << "+" << d[1];
  ExpectTrims({{"A B C D E F G H I J K", 1, 10, "CDEFGHIJK"},
               {"A B C D E F G H I J K", 1, 20, "ABCDEFGHIJK"},
               {"A B C D E F G H I J K", 1, 1, "JK"}});
}

TEST(JournalTrimPlan, WhatStays) {
  // Only whole commands go.
  ExpectTrims(
      {{"A A A B C D", 1, 5, "BCD"}, {"A B B B C D", 1, 5, "BBBCD"}, {"A B B B C D", 1, 4, "CD"}});
  // The command being written stays, wherever its records lie.
  ExpectTrims({{"A A B C A", 1, 3, "AACA"}, {"A B C D D D", 3, 1, "CDDD"}});
  // The newest before it stays, however large; here an undo, so that the newest command an undo
  // can take back is another.
  ExpectTrims({{"A B C<B0 D", 1, 1, "ACD"}, {"A B B B C<B0 C<B1 C<B2 D", 1, 2, "ACCCD"}});
  // The newest command an undo can take back stays; an undo whose write failed took none back.
  ExpectTrims({{"A B C<B0 D", 1, 2, "ACD"},
               {"A A B<A1 C", 1, 2, "AABC"},
               {"A B<A0 C", 1, 1, "BC"},
               {"A B!A0 C", 1, 1, "BC"},
               {"A B C<B0 D!C0 E", 1, 2, "BCDE"}});
  // An undo goes only after what it took back.
  ExpectTrims(
      {{"A B<A0 C A", 1, 1, "ABCA"}, {"A B C<A0 D E F", 1, 3, "DEF"}, {"A B<Z0 C D", 1, 2, "CD"}});
}

// A program stopped while appending leaves a torn last line: the next writer moves it beside
// the journal and writes on a fresh line; a whole last line lacking only its line end is a
// record. Should the move fail, the record still goes on a line of its own.
TEST(JournalSafety, ATornLastLineIsSetAsideByTheNextWriter) {
  JournalRecord sample = Shorthand("A")[0];
  sample.Time = "2024-03-09T17:05:59Z", sample.Operation = sample.Id = "0123456789abcdef";
  const std::string whole = FormatJournalLine(sample), line(whole, 0, whole.size() - 1);
  const std::string cut = line.substr(0, 30), last = line.substr(0, line.size() - 1), fails = "!";
  // What follows a whole line, what goes aside (fails: nothing, as that write fails), records.
  const std::tuple<std::string, std::string, size_t> rows[] = {{cut, cut + "\n", 2},
                                                               {last, last + "\n", 2},
                                                               {line, "", 3},
                                                               {"\r", "", 2},
                                                               {"?\n" + cut, "?\n" + cut + "\n", 2},
                                                               {cut, fails, 2}};
  for (const auto& [tail, aside, records] : rows) {
    test::MemoryFileSystem files;
    const std::string text = whole + tail;
    files.Files[kJournal] = test::Bytes(text.begin(), text.end());
    if (aside == fails) files.FailWrite[kJournal + kJournalDamagedSuffix] = IoFault::NoSpace;
    PatchJournal journal(files, kJournal);
    std::vector<std::string> notices;
    journal.OnNotice = [&](const std::string& Text) { notices.push_back(Text); };
    std::vector<JournalRecord> added(1);
    ASSERT_TRUE(journal.Append(added)) << tail;
    const auto contents = journal.Read();
    ASSERT_TRUE(contents && contents->Records.size() == records) << tail;
    EXPECT_EQ(contents->Problems.size(), aside == fails) << tail;
    const test::Bytes& kept = files.Files[kJournal + kJournalDamagedSuffix];
    EXPECT_EQ(std::string(kept.begin(), kept.end()), aside == fails ? "" : aside) << tail;
    EXPECT_EQ(notices.size(), !aside.empty() && aside != fails) << tail;
  }
}

// A command appended in parts (one per archive) stays whole through the trims between them while
// older commands go; a damaged line goes aside at the next trim and makes its command only
// partly undoable.
TEST(JournalSafety, ACommandWrittenInPartsStaysWholeAndADamagedLineOfItIsKeptAside) {
  test::MemoryGame g;
  g.Put("a.pff",
        test::ArchiveBytes({{"A1.BMS", test::MissionBytes()}, {"A2.BMS", test::MissionBytes()}}));
  g.Put("b.pff", test::ArchiveBytes({{"B1.BMS", test::MissionBytes()}}));
  g.Refresh();
  PatchJournal journal(g.JournalFiles, kJournal, 2);
  g.P.Journal = &journal;
  const auto commands = [&] {  // how many records each command has, oldest first
    std::vector<size_t> out;
    const std::vector<JournalRecord> r = journal.Read()->Records;
    for (size_t i = 0; i < r.size(); ++i)
      (i == 0 || r[i].Operation != r[i - 1].Operation) ? out.push_back(1) : void(++out.back());
    return out;
  };
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(ToggleMissionEnabled(g.State, g.P, 2, 2).Outcome, PatchOutcome::Patched);
  const sample::Bytes original = g.File("a.pff");
  const std::vector<BulkRow> all = {{0, 0}, {1, 1}, {2, 2}};
  ASSERT_EQ(SetMissionsEnabled(g.State, g.P, all, false).Patched, 3);
  EXPECT_EQ(commands(), (std::vector<size_t>{3}));
  sample::Bytes& text = g.JournalFiles.Files[kJournal];
  text[text.size() - 2] ^= 1;  // the last line's checksum
  ASSERT_EQ(ToggleMissionEnabled(g.State, g.P, 2, 2).Outcome, PatchOutcome::Patched);
  EXPECT_EQ(commands(), (std::vector<size_t>{2, 1}));
  EXPECT_EQ(journal.KeptAside()->size(), 1u);
  const UndoResult partly = UndoLastPatches(g.State, g.P, 2);
  EXPECT_TRUE(partly.Failed() && partly.Count(UndoStatus::Restored) == 3);
  EXPECT_TRUE(Has(partly.Message(), "only be partly undone: 1 of its"));
  EXPECT_EQ(g.File("a.pff"), original);
}

TEST(JournalSafety, AFolderInThePlaceOfTheJournalIsAnErrorNeverAnEmptyJournal) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff", test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()}}));
  const sample::Bytes before = test::ReadBytes(game.File("a.pff"));
  std::filesystem::create_directories(NativePath(*UserJournalPath()));
  for (const auto command : {cli::RunHistory, cli::RunUndo}) {
    const test::CliRun r = test::RunCli(command, {});
    EXPECT_NE(r.Exit, 0);
    EXPECT_TRUE(Has(r.Err, "folder")) << r.Err;
  }
  EXPECT_NE(test::RunCli(cli::RunDisable, {game.Path(), "*"}).Exit, 0);
  EXPECT_EQ(test::ReadBytes(game.File("a.pff")), before);
}

// A file named like the journal but for letter case is another program's, and left alone.
TEST(JournalSafety, AFileNamedLikeTheJournalButForCaseIsNoJournal) {
  test::ScopedDataFolder data;
  test::TempFolder game;
  game.Write("a.pff", test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()}}));
  const std::string journal = *UserJournalPath();
  const std::string stray = journal.substr(0, journal.size() - 11) + "JOURNAL.TSV";
  const sample::Bytes torn = {'2', '0', '2', '4', '\t', 'x'};  // a trim would set it aside
  sample::WriteFile(stray, torn);
  if (std::filesystem::exists(NativePath(journal))) GTEST_SKIP() << "names ignore case here";
  const test::CliRun r = test::RunCli(cli::RunToggle, {game.Path(), "*"});
  EXPECT_EQ(r.Exit, 0) << r.Err;
  EXPECT_EQ(PatchJournal(*MakeNativeFileSystem(), journal).Read()->Records.size(), 1u);
  EXPECT_EQ(test::ReadBytes(stray), torn);
}

// Another program holds the lock: each try is counted.
struct LockedElsewhere : test::MemoryFileSystem {
  IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string&) override {
    ++Tries;
    return std::unique_ptr<FileLock>();
  }
  int Tries = 0;
};

// Without the lock, each write fails at once with the reason rather than waiting per file.
TEST(JournalSafety, ACommandWithoutTheLockWaitsOnceAndWritesNothing) {
  test::MemoryGame g;
  for (const char* archive : {"a.pff", "b.pff"})
    g.Put(archive, test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()}}));
  g.Refresh();
  const auto before = std::make_pair(g.File("a.pff"), g.File("b.pff"));
  LockedElsewhere files;
  PatchJournal journal(files, kJournal);
  journal.LockWait = std::chrono::milliseconds(0);
  g.P.Journal = &journal;
  const std::vector<BulkRow> rows = {{0, 0}, {1, 1}};
  const BulkResult result = SetMissionsEnabled(g.State, g.P, rows, false);
  EXPECT_EQ(result.Failed, 2);
  EXPECT_EQ(files.Tries, 1);
  EXPECT_EQ(std::make_pair(g.File("a.pff"), g.File("b.pff")), before);
  for (const BulkRowResult& r : result.Rows) {
    ASSERT_EQ(test::CodesOf(r.Problems), test::Codes{ProblemCode::JournalUnwritable});
    EXPECT_EQ(r.Problems[0].Journal, kJournal + kJournalLockSuffix);
  }
}

// The N-th write cut short (then the next failing, or not), or the N-th flush failing, for every N
// of a bulk switch and two imports: headers stay wholly old or new, the journal records exactly
// what is on disk, nothing is switched after it failed, the failure is named, undo restores all.
TEST(JournalSafety, AWriteOrFlushFailingAnywhereLeavesWholeHeadersAndATruthfulJournal) {
  test::TempFolder folder;
  const std::string dir = folder.File("game"), list = folder.File("list.BRL");
  std::filesystem::create_directory(NativePath(dir));
  const std::map<std::string, sample::Bytes> original = {
      {JoinPath(dir, "a.pff"), test::ArchiveBytes({{"A1.BMS", test::MissionBytes()},
                                                   {"A2.BMS", test::MissionBytes("bMs", 1, 2)}})},
      {JoinPath(dir, "b.pff"), test::ArchiveBytes({{"B1.BMS", test::MissionBytes()}})},
      {JoinPath(dir, "L.bms"), test::MissionBytes("BMS", 3, 4, 0x55)}};
  for (const auto& [path, bytes] : original) sample::WriteFile(path, bytes);
  test::NativeGame g;
  g.Refresh(dir);
  std::vector<BulkRow> rows;
  for (MissionEntry& m : g.State.Missions) {
    rows.push_back({static_cast<int32_t>(rows.size()), 0});
    m.Enabled = kFalse;
  }
  sample::WriteFile(list, EncodeListFile(g.State.Missions).Bytes);
  const std::function<test::CliRun()> commands[] = {
      [&] {
        return test::RunCli(cli::RunImport, {list, "--folder", dir});
      },
      [&] { return test::RunCli(cli::RunImport, {list}); },
      [&] {
        PatchJournal journal(*g.Files, *UserJournalPath());
        g.Refresh(dir);
        const BulkResult r = SetMissionsEnabled(g.State, {*g.Files, g.Host, &journal}, rows, false);
        return test::CliRun{r.Failed > 0, "", r.FailureMessage()};
      }};
  test::ScopedDataFolder data;
  const std::string journalPath = *UserJournalPath();
  enum Kind { Short, ShortThenFail, FlushFails };
  for (size_t command = 0; command < std::size(commands); ++command) {
    for (const Kind kind : {Short, ShortThenFail, FlushFails}) {
      bool fired = true;  // until a run goes by without the fault
      for (int64_t at = 1; fired; ++at) {
        const std::string trial = "command " + std::to_string(command) + " kind " +
                                  std::to_string(kind) + " at " + std::to_string(at);
        const size_t before = PatchJournal(*g.Files, journalPath).Read()->Records.size();
        int64_t writes = 0, flushes = 0, laterWrites = 0;
        bool failed = false, journalFailed = false;
        fired = false;
        std::string faulted;
        SetNativeFault([&](const std::string& Path, size_t Count) -> int64_t {
          laterWrites += journalFailed && Count > 0 && Path != journalPath;
          const int64_t n = Count == 0 ? ++flushes : ++writes;
          auto allow = Count == 0 ? 1 : static_cast<int64_t>(Count);  // no flush waits
          if ((Count == 0) != (kind == FlushFails)) return allow;
          if (n == at) {
            fired = true;
            faulted = Path;
            allow = kind == FlushFails ? -1 : allow / 2;
          } else if (kind == ShortThenFail && n == at + 1 && fired) {
            allow = -1;
          }
          failed = failed || allow < 0;
          journalFailed = journalFailed || (allow < 0 && Path == journalPath);
          return allow;
        });
        const test::CliRun run = commands[command]();
        SetNativeFault([](const std::string&, size_t Count) { return Count == 0 ? 1 : Count; });
        EXPECT_EQ(run.Exit != 0, failed) << trial << run.Err;
        EXPECT_TRUE(!failed || Has(run.Err, faulted)) << trial << run.Err;
#ifndef _WIN32
        EXPECT_TRUE(!failed || Has(run.Err, std::strerror(kind == FlushFails ? EIO : ENOSPC)))
            << trial << run.Err;
#endif
        EXPECT_EQ(laterWrites, 0) << trial;
        // Which missions are switched: by their whole headers, and by the journal.
        std::set<std::pair<std::string, int32_t>> onDisk, journalled;
        for (const MissionEntry& m : g.State.Missions) {
          const auto from = [&](const sample::Bytes& File) {
            const auto start = File.begin() + m.DataOffset;
            return sample::Bytes(start, start + 128);
          };
          const sample::Bytes header = from(test::ReadBytes(m.SourceFile)),
                              old = from(original.at(m.SourceFile));
          sample::Bytes switched = old;
          WriteMissionState(switched, false);
          EXPECT_TRUE(header == old || header == switched) << trial << " " << m.FileName;
          if (header == switched) onDisk.insert({m.SourceFile, m.DataOffset});
        }
        const auto contents = PatchJournal(*g.Files, journalPath).Read();
        ASSERT_TRUE(contents) << trial;
        EXPECT_TRUE(contents->Problems.empty()) << trial << contents->Problems[0];
        std::set<std::string> notApplied;
        for (const JournalRecord& r : contents->Records)
          if (r.Kind == JournalKind::NotApplied) notApplied.insert(r.Reverses);
        for (size_t i = before; i < contents->Records.size(); ++i) {
          const JournalRecord& r = contents->Records[i];
          if (!IsUndoKind(r.Kind) && !notApplied.count(r.Id))
            journalled.insert({r.SourceFile, r.DataOffset});
        }
        EXPECT_EQ(onDisk, journalled) << trial;
        PatchJournal journal(*g.Files, journalPath);
        const UndoResult undo = UndoLastPatches(g.State, {*g.Files, g.Host, &journal});
        EXPECT_FALSE(undo.Failed()) << trial << undo.Message();
        for (const auto& [path, bytes] : original)
          EXPECT_TRUE(test::ReadBytes(path) == bytes) << trial << " " << path;
      }
    }
  }
  SetNativeFault(nullptr);
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

// The bodies in child processes started together; each must end with status 0.
void RunTogether(const std::vector<std::function<void()>>& Bodies) {
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> children;
  for (const auto& body : Bodies) children.push_back(Spawn(gate, body));
  close(gate[1]);
  for (const pid_t pid : children) EXPECT_EQ(Wait(pid), 0);
  close(gate[0]);
}

TEST(JournalSafetyProcesses, TwoProgramsTrimmingAtOnceLoseNoRecord) {
  test::TempFolder folder;
  const std::string path = folder.File(kJournalFileName);
  const auto program = [&](const char* Name) {
    return [&path, Name] {
      auto files = MakeNativeFileSystem();
      PatchJournal journal(*files, path, 20);
      for (int32_t i = 0; i < 60; ++i) {
        std::vector<JournalRecord> one(1);
        one[0].FileName = Name;
        one[0].DataOffset = i;
        if (!journal.Append(one)) _exit(1);
      }
    };
  };
  RunTogether({program("A.BMS"), program("B.BMS")});

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

// After any kill or race, undo must bring back every byte of a sample folder.
TEST(JournalSafetyProcesses, KilledOrSimultaneousSwitchesAreUndoneToTheOriginalBytes) {
  test::TempFolder folder;
  const std::string dir = folder.Path();
  sample::FolderSummary summary;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleFolder(dir, {2, 8, 4, 2, 1}, summary, error)) << error;
  std::map<std::string, sample::Bytes> original;
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(dir)))
    original[entry.path().string()] = test::ReadBytes(entry.path().string());
  const auto undoToOriginal = [&](int32_t Count, const std::string& Trial) {
    test::NativeGame g;
    PatchJournal journal(*g.Files, *UserJournalPath());
    const UndoResult undo = UndoLastPatches(g.State, {*g.Files, g.Host, &journal}, Count);
    EXPECT_EQ(undo.Count(UndoStatus::ChangedSince) + undo.Count(UndoStatus::Failed), 0) << Trial;
    for (const auto& [path, bytes] : original)
      EXPECT_TRUE(test::ReadBytes(path) == bytes) << Trial << ": " << path << undo.Message();
    return undo;
  };
  const auto run = [&](cli::CommandFunction Command) { Command({dir, "*"}, cli::StdoutSink()); };
  for (const int ms : {0, 1, 3, 6, 12, 25, 50}) {  // after the start
    test::ScopedDataFolder data;
    const pid_t child = Spawn(nullptr, [&] { run(cli::RunDisable); });
    usleep(static_cast<useconds_t>(ms) * 1000);
    kill(child, SIGKILL);
    Wait(child);
    undoToOriginal(1, std::string("killed after ").append(std::to_string(ms)));
  }
  for (int t = 0; t < 3; ++t) {
    test::ScopedDataFolder data;
    RunTogether({[&] { run(cli::RunToggle); }, [&] { run(cli::RunDisable); }});
    // Both ran whole: no patch may be called never applied.
    EXPECT_EQ(undoToOriginal(2, "two at once").Count(UndoStatus::NotApplied), 0) << t;
  }
}
#endif

}  // namespace
}  // namespace brieflist
