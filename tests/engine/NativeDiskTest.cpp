// The native file system's own duties on the real disk, Windows and POSIX systems alike.
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <set>

#include "catalogue/RefreshCatalogue.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "platform/FolderListing.h"
#include "support/TestSupport.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile
#endif

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::Bytes;
using test::MissionBytes;

constexpr bool kWindows = kSeparator == '\\';

class NativeDisk : public ::testing::Test, protected test::NativeGame {
 protected:
  RefreshReport Refresh(const std::string& Path = "") {
    return NativeGame::Refresh(Path.empty() ? Folder.Path() : Path);
  }
  std::set<std::string> OnDisk() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(Folder.Path())))
      names.insert(entry.path().filename().string());
    return names;
  }

  test::TempFolder Folder;
};

TEST_F(NativeDisk, APatchCostsOneOpenReadWriteFlushAndCloseAndTouchesElevenBytes) {
  Folder.Write("m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes("BMS", 0x80, 0x01, 0x55)},
                                      {"TWO.BMS", MissionBytes("vYk", 0x01, 0x02)}}));
  Folder.Write("loose.bms", MissionBytes("bMs", 0x80, 0x01));
  Refresh();
  ASSERT_EQ(State.LastMission, 2);
  for (int32_t row = 0; row < 3; ++row) {
    const std::string path = State.Missions[static_cast<size_t>(row)].SourceFile;
    const auto at = static_cast<size_t>(State.Missions[static_cast<size_t>(row)].DataOffset);
    const Bytes expected = test::Switched(test::ReadBytes(path), at, row == 1);
    Files->ResetCounters();
    EXPECT_EQ(ToggleMissionEnabled(State, P, row, row).Outcome, PatchOutcome::Patched);
    const IoCounters& c = Files->Counters();
    // An archive's header and directory are read in the same open, to check the mission.
    const uint64_t reads = EndsWithIgnoringCase(path, ".pff") ? 3 : 1;
    EXPECT_EQ(std::vector<uint64_t>({c.Opens, c.Reads, c.Writes, c.Flushes, c.Closes}),
              std::vector<uint64_t>({1, reads, 1, 1, 1}));
    EXPECT_EQ(test::ReadBytes(path), expected);
  }
  Refresh();
  EXPECT_EQ(State.Missions[2].Enabled, kFalse);
  EXPECT_EQ(State.Missions[2].MissionTypeFlags, "1000000000000001");  // the moved flag block
}

TEST_F(NativeDisk, APatchNeverExtendsAFile) {
  const Bytes data(100, 'a');
  Folder.Write("short.bms", data);
  const std::string path = Folder.File("short.bms");
  std::vector<FileBlock> blocks(3);
  blocks[0].Offset = 50, blocks[1].Offset = 90, blocks[2].Offset = 300;
  for (FileBlock& b : blocks) b.Bytes.resize(128);
  ASSERT_TRUE(Files->PatchBlocks(path, blocks, [&](OpenFile& File) {
    for (FileBlock& b : blocks) {
      if (!File.Read(b)) return false;
      std::fill(b.Bytes.begin(), b.Bytes.end(), static_cast<uint8_t>('x' + b.Offset % 7));
      b.Write = true;
    }
    return true;
  }));
  Bytes expected = data;
  for (size_t i = 50; i < expected.size(); ++i)
    expected[i] = static_cast<uint8_t>('x' + (i < 90 ? 50 : 90) % 7);
  EXPECT_EQ(test::ReadBytes(path), expected);
  EXPECT_EQ(blocks[0].Have + blocks[1].Have + blocks[2].Have, 50u + 10u + 0u);
}

// A list is replaced whole or not at all, and no temporary file stays behind either way.
TEST_F(NativeDisk, ReplacingAFile) {
  const std::string path = Folder.File("list.BRL");
  Folder.Write("list.BRL", {1, 2, 3, 4, 5, 6, 7, 8});
  const Bytes shorter = {9, 9};
  ASSERT_TRUE(Files->ReplaceFile(path, shorter));
  EXPECT_EQ(test::ReadBytes(path), shorter);
  EXPECT_EQ(Files->Counters().Flushes, 1u);
  const Bytes next = {7, 7, 7};
  {
    // Another program holds the file without leave to delete or rename it, as most programs
    // open a file; POSIX systems have no such modes.
#ifdef _WIN32
    const HANDLE held = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
#else
    std::ifstream held(path, std::ios::binary);
    ASSERT_TRUE(held.is_open());
#endif
    const auto replaced = Files->ReplaceFile(path, next);
#ifdef _WIN32
    CloseHandle(held);
#endif
    EXPECT_EQ(static_cast<bool>(replaced), !kWindows);
    EXPECT_TRUE(replaced || replaced.Error().Path == path);
    EXPECT_EQ(test::ReadBytes(path), kWindows ? shorter : next);
  }
  std::filesystem::create_directory(NativePath(Folder.File("folder.BRL")));
  const auto ontoFolder = Files->ReplaceFile(Folder.File("folder.BRL"), next);
  ASSERT_FALSE(ontoFolder);
  EXPECT_EQ(ontoFolder.Error().Reason, "not a regular file");
  EXPECT_EQ(OnDisk(), (std::set<std::string>{"list.BRL", "folder.BRL"}));
}

#ifdef _WIN32
// The game holds its archive open and shares it with no one: a switch says so and changes nothing.
TEST_F(NativeDisk, ASwitchOfAnArchiveTheGameHoldsOpenSaysSoAndChangesNothing) {
  const std::string path = Folder.File("m.pff");
  Folder.Write("m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes()}}));
  Refresh();
  const Bytes before = test::ReadBytes(path);
  const HANDLE held = CreateFileW(NativePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const SwitchResult r = ToggleMissionEnabled(State, P, 0, 0);
  CloseHandle(held);
  ASSERT_EQ(test::CodesOf(r.Problems), test::Codes{ProblemCode::HeldElsewhere});
  EXPECT_EQ(r.Problems[0].SystemCode, ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(test::ReadBytes(path) == before && State.Missions.at(0).Enabled == kTrue);
}
#endif

// A list published through a chain of links is written where they point, the links stay, and the
// file keeps its mode; a new one gets the usual mode less the umask (POSIX systems only).
TEST_F(NativeDisk, ReplacingWritesThroughLinksAndKeepsTheMode) {
  namespace fs = std::filesystem;
  Folder.Write("m.bms", MissionBytes());
  Refresh();
  fs::create_directory(NativePath(Folder.File("pub")));
  const std::string published = JoinPath(Folder.File("pub"), "server.BRL");
  sample::WriteFile(published, {0xFF, 0xFF});
  std::error_code error;
  fs::create_symlink(NativePath(published), NativePath(Folder.File("hop.BRL")), error);
  if (!error) fs::create_symlink("hop.BRL", NativePath(Folder.File("server.BRL")), error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
#ifndef _WIN32
  fs::permissions(NativePath(published), fs::perms::owner_read | fs::perms::owner_write);
#endif
  const ExportResult exported = ExportListFile(State, *Files, Folder.File("server.BRL"));
  ASSERT_TRUE(exported.Ok) << exported.Message;
  EXPECT_TRUE(fs::is_symlink(NativePath(Folder.File("server.BRL"))));
  const ListDecodeResult list = ReadListFile(*Files, published);
  EXPECT_TRUE(list.Ok && list.Rows.size() == 1) << list.Reason;
  std::set<std::string> beside;  // no temporary file is left beside the target
  for (const auto& entry : fs::directory_iterator(NativePath(Folder.File("pub"))))
    beside.insert(entry.path().filename().string());
  EXPECT_EQ(beside, std::set<std::string>{"server.BRL"});
#ifndef _WIN32
  EXPECT_EQ(fs::status(NativePath(published)).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  const mode_t mask = umask(027);
  const ExportResult fresh = ExportListFile(State, *Files, Folder.File("new.BRL"));
  umask(mask);
  ASSERT_TRUE(fresh.Ok) << fresh.Message;
  EXPECT_EQ(fs::status(NativePath(Folder.File("new.BRL"))).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
}

// CI runs the tests named ReadOnly as an unprivileged user, for whom the marks bind. A read-only
// file is not patched, nor a read-only list replaced on Windows (on POSIX systems renaming over a
// file needs leave from the folder, whose read-only mark refuses the export's temporary file).
TEST_F(NativeDisk, ReadOnlyFilesAndFolders) {
  Folder.Write("m.bms", MissionBytes());
  Folder.Write("list.BRL", {1, 2});
  test::MakeReadOnly(Folder.File("m.bms"));
  test::MakeReadOnly(Folder.File("list.BRL"));
  if (!test::ReadOnlyBinds(Folder.File("m.bms")))
    GTEST_SKIP() << "permissions do not bind this user";
  Refresh();
  ASSERT_EQ(State.Missions.size(), 1u);
  const Bytes before = test::ReadBytes(Folder.File("m.bms"));
  const SwitchResult r = ToggleMissionEnabled(State, P, 0, 0);
  ASSERT_EQ(test::CodesOf(r.Problems), test::Codes{ProblemCode::Unwritable});
  // Windows says ERROR_ACCESS_DENIED.
  EXPECT_TRUE(r.Problems[0].File == Folder.File("m.bms") &&
              r.Problems[0].SystemCode == (kWindows ? 5 : EACCES));
  EXPECT_TRUE(test::ReadBytes(Folder.File("m.bms")) == before &&
              State.Missions[0].Enabled == kTrue);
  EXPECT_EQ(static_cast<bool>(Files->ReplaceFile(Folder.File("list.BRL"), Bytes{3})), !kWindows);

  const std::string locked = Folder.File("locked");
  std::filesystem::create_directory(NativePath(locked));
  const std::string list = JoinPath(locked, "saved.BRL");
  sample::WriteFile(list, {0xFF, 0xFF});
  test::MakeReadOnly(locked);
  const ExportResult exported = ExportListFile(State, *Files, list);
  EXPECT_EQ(exported.Ok, kWindows) << exported.Message;  // a folder's mark refuses nothing there
  if (!kWindows) {
    EXPECT_TRUE(test::Has(exported.Message, test::kAccessDenied)) << exported.Message;
    EXPECT_EQ(test::ReadBytes(list), (Bytes{0xFF, 0xFF}));
  }
}

#ifndef _WIN32
TEST_F(NativeDisk, AnExportThatRunsOutOfSpaceLeavesTheOldListWhole) {
  Folder.Write("m.bms", MissionBytes());
  Refresh();
  const Bytes old = {0xFF, 0xFF, 'o', 'l', 'd'};
  Folder.Write("saved.BRL", old);
  const auto names = OnDisk();
  // Writes past 40 bytes fail as on a full disk (EFBIG rather than ENOSPC, the same path).
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 40;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ExportResult exported = ExportListFile(State, *Files, Folder.File("saved.BRL"));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(exported.Ok);
  EXPECT_TRUE(test::Has(exported.Message, Folder.File("saved.BRL"))) << exported.Message;
  EXPECT_TRUE(test::Has(exported.Message, "File too large")) << exported.Message;
  EXPECT_EQ(test::ReadBytes(Folder.File("saved.BRL")), old);
  EXPECT_EQ(OnDisk(), names);
}

// Out of file handles, the journal is neither missing nor damaged: the system's reason is given.
TEST_F(NativeDisk, AJournalReadOutOfFileHandlesSaysSo) {
  Folder.Write("journal.tsv", {'x', '\n'});
  PatchJournal journal(*Files, Folder.File("journal.tsv"));
  // Read once before: a sanitizer's first type check of a class needs a handle.
  const std::string cause = journal.Read() ? std::generic_category().message(EMFILE) : "";
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  rlimit few{std::min<rlim_t>(saved.rlim_cur, 64), saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
  std::vector<FILE*> held;
  for (FILE* f; (f = std::fopen("/dev/null", "rb"));) held.push_back(f);
  const auto read = journal.Read();
  for (FILE* f : held) std::fclose(f);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_EQ(read ? "" : read.Error().Reason, cause);
}
#endif

// The folder listing: regular files only, in name order, one open per file, nothing written.
TEST_F(NativeDisk, RefreshReadsEachFileOnceAndWritesNothing) {
  sample::FolderSummary summary;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleFolder(Folder.Path(), {3, 10, 5, 4, 7}, summary, error)) << error;
  std::filesystem::create_directory(Folder.File("folder.bms"));
  std::filesystem::create_directory(Folder.File("folder.pff"));
  Files->ResetCounters();
  EXPECT_TRUE(Refresh(Folder.Path() + kSeparator).Problems.empty());
  const IoCounters& c = Files->Counters();
  EXPECT_EQ(std::vector<uint64_t>({c.Opens, c.Reads, c.Closes}), std::vector<uint64_t>(3, 3 + 4));
  const auto first = State.Missions;
  EXPECT_EQ(static_cast<int>(first.size()), summary.Missions);
  EXPECT_EQ(first[0].SourceFile.find(std::string(2, kSeparator)), std::string::npos);
  Refresh();
  EXPECT_EQ(State.Missions, first);
  EXPECT_EQ(Files->Counters().Writes, 0u);

  test::TempFolder plain;
  for (const char* name : {"b.pff", "A.pff", "a1.pff", "TWO.PFF", "three.bms", "four.pff.txt"})
    plain.Write(name, {1});
  const auto names = ListMatchingFiles(plain.Path(), ".pff");
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"A.pff", "a1.pff", "b.pff", "TWO.PFF"}));
  EXPECT_FALSE(ListMatchingFiles(plain.File("missing"), ".pff"));
}

// Names (Windows-1252 on Windows, bytes elsewhere) come back unchanged through refresh and patch.
TEST_F(NativeDisk, NamesOutsideAsciiRoundTrip) {
  Folder.Write("\x80uro \xE9t\xE9.bms", MissionBytes());  // 0x80..0x9F differ from Latin-1
  Folder.Write("M\xFCller.pff", ArchiveBytes({{"IN.BMS", MissionBytes()}}));
  EXPECT_TRUE(Refresh().Problems.empty());
  ASSERT_EQ(State.Missions.size(), 2u);
  EXPECT_EQ(State.Missions[0].FileName, "IN.BMS");
  EXPECT_EQ(State.Missions[1].FileName, "\x80uro \xE9t\xE9.bms");
  EXPECT_EQ(State.Missions[0].SourceFile, JoinPath(Folder.Path(), "M\xFCller.pff"));
  for (int32_t row : {0, 1})
    EXPECT_EQ(ToggleMissionEnabled(State, P, row, row).Outcome, PatchOutcome::Patched);
  Refresh();
  for (const MissionEntry& row : State.Missions) EXPECT_EQ(row.Enabled, kFalse) << row.FileName;
}

}  // namespace
}  // namespace brieflist
