// Exporting a catalogue to a list file and importing it back, on the real disk.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

struct Exchange {
  test::TempFolder Folder;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  test::RecordingHost Host;
  CatalogueState State;
  Platform P{*Files, Host};

  Exchange() {
    std::filesystem::create_directory(Folder.File("game"));
    Folder.Write("game/m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes("BMS")},
                                             {"TWO.BMS", MissionBytes("VyK")},
                                             {"THREE.BMS", MissionBytes("bms")}}));
    Folder.Write("game/loose.bms", MissionBytes("BMS"));
    Refresh();
  }
  std::string Game() const { return Folder.File("game"); }
  std::string List() const { return Folder.File("saved.BRL"); }
  void Refresh() {
    State.GameDirectory = Game();
    RefreshCatalogue(State, P);
  }
  std::vector<BooleanFlag> States() const {
    std::vector<BooleanFlag> out;
    for (const MissionEntry& r : State.Missions) out.push_back(r.Enabled);
    return out;
  }
};

TEST(ListExchange, ImportingWhatWasJustExportedPatchesNothing) {
  Exchange e;
  ASSERT_EQ(e.State.LastMission, 3);
  const ExportResult exported = ExportListFile(e.State, *e.Files, e.List());
  ASSERT_TRUE(exported.Ok) << exported.Message;
  EXPECT_EQ(exported.Rows, 4);
  const std::vector<MissionEntry> before = e.State.Missions;
  const sample::Bytes archive = test::ReadBytes(e.Folder.File("game/m.pff"));

  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::Done);
  EXPECT_EQ(imported.Patched, 0);
  EXPECT_EQ(imported.AlreadySo, 4);
  EXPECT_EQ(e.State.Missions, before);
  EXPECT_EQ(test::ReadBytes(e.Folder.File("game/m.pff")), archive);
  EXPECT_EQ(e.State.GameDirectory, FolderOfPath(before[0].SourceFile));
  EXPECT_EQ(e.State.LastImported, 3);

  // The same catalogue exported again gives the same file.
  const sample::Bytes first = test::ReadBytes(e.List());
  ASSERT_TRUE(ExportListFile(e.State, *e.Files, e.List()).Ok);
  EXPECT_EQ(test::ReadBytes(e.List()), first);
}

TEST(ListExchange, ImportRestoresStatesChangedAfterTheExport) {
  Exchange e;
  const std::vector<BooleanFlag> saved = e.States();
  ASSERT_TRUE(ExportListFile(e.State, *e.Files, e.List()).Ok);
  for (int32_t i = 0; i <= e.State.LastMission; ++i)
    ASSERT_EQ(ToggleMissionEnabled(e.State, e.P, i, i), PatchOutcome::Patched);
  ASSERT_NE(e.States(), saved);

  const int refreshes = e.Host.Refreshes;
  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::Done);
  EXPECT_EQ(imported.Patched, 4);
  EXPECT_EQ(e.Host.Refreshes, refreshes + 1);
  EXPECT_EQ(e.States(), saved);
}

TEST(ListExchange, RowsFromTwoFoldersArePatchedEachInItsOwnAndRowZeroPicksTheFolder) {
  Exchange e;
  std::filesystem::create_directory(e.Folder.File("other"));
  e.Folder.Write("other/x.pff", ArchiveBytes({{"X.BMS", MissionBytes("BMS")}}));
  CatalogueState other;
  other.GameDirectory = e.Folder.File("other");
  RefreshCatalogue(other, e.P);

  MissionEntry first = other.Missions[0];
  first.Enabled = kFalse;
  MissionEntry second = e.State.Missions[1];  // TWO.BMS, disabled on disk
  second.Enabled = kTrue;
  const std::vector<MissionEntry> rows = {first, second};
  sample::WriteFile(e.List(), EncodeListFile(rows).Bytes);

  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::Done);
  EXPECT_EQ(imported.Patched, 2);
  EXPECT_EQ(e.State.GameDirectory, FolderOfPath(first.SourceFile));
  ASSERT_EQ(e.State.LastMission, 0);  // only the folder of row 0 is shown
  EXPECT_EQ(e.State.Missions[0].FileName, "X.BMS");
  EXPECT_EQ(e.State.Missions[0].Enabled, kFalse);
  e.Refresh();
  EXPECT_EQ(e.State.Missions[1].Enabled, kTrue);
}

TEST(ListExchange, ARowNamingANonGameFileLeavesItUntouched) {
  Exchange e;
  e.Folder.Write("game/readme.txt", MissionBytes("BMS"));
  const sample::Bytes text = test::ReadBytes(e.Folder.File("game/readme.txt"));
  MissionEntry row = e.State.Missions[0];
  row.SourceFile = e.Folder.File("game/readme.txt");
  row.FileName = "readme.txt";
  row.DataOffset = 0;
  row.Enabled = kFalse;
  sample::WriteFile(e.List(), EncodeListFile(std::vector<MissionEntry>{row}).Bytes);

  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::Done);
  EXPECT_EQ(imported.Reported, 1);
  EXPECT_EQ(e.Host.Messages, std::vector<std::string>{kFileInvalidOrNotFound});
  EXPECT_EQ(test::ReadBytes(e.Folder.File("game/readme.txt")), text);
}

TEST(ListExchange, DamagedOrMissingListsAreRefusedBeforeAnythingIsPatched) {
  Exchange e;
  MissionEntry row = e.State.Missions[0];
  row.Enabled = kFalse;
  const sample::Bytes whole = EncodeListFile(std::vector<MissionEntry>{row, row}).Bytes;
  const struct {
    const char* Name;
    bool Write;
    sample::Bytes Data;
    const char* Reason;
  } cases[] = {
      {"cut inside row 2", true, sample::Bytes(whole.begin(), whole.end() - 3), "row 2 of 2"},
      {"garbage", true, {0x05, 0x00, 0xFF, 0xFF, 'x'}, "row 1 of 6"},
      {"empty", true, {}, "row count"},
      {"missing", false, {}, test::kMissingFileReason},
  };
  const sample::Bytes archive = test::ReadBytes(e.Folder.File("game/m.pff"));
  for (const auto& c : cases) {
    std::filesystem::remove(e.List());
    if (c.Write) sample::WriteFile(e.List(), c.Data);
    const int refreshes = e.Host.Refreshes;
    const ImportResult imported = ImportListFile(e.State, e.P, e.List());
    EXPECT_EQ(imported.Status, ImportStatus::BadListFile) << c.Name;
    EXPECT_NE(imported.Message.find(e.List()), std::string::npos) << c.Name;
    EXPECT_NE(imported.Message.find(c.Reason), std::string::npos) << imported.Message;
    EXPECT_EQ(e.Host.Refreshes, refreshes) << c.Name;
    EXPECT_EQ(e.State.GameDirectory, e.Game()) << c.Name;
  }
  EXPECT_EQ(test::ReadBytes(e.Folder.File("game/m.pff")), archive);
  EXPECT_TRUE(e.Host.Messages.empty());
}

TEST(ListExchange, AListWithoutRowsChangesNothing) {
  Exchange e;
  sample::WriteFile(e.List(), {0xFF, 0xFF});
  e.State.GameDirectory = "unchanged";
  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::NoRows);
  EXPECT_EQ(e.State.GameDirectory, "unchanged");
}

TEST(ListExchange, AMissingMissionFileStopsTheImportAtItsRow) {
  Exchange e;
  std::vector<MissionEntry> rows = e.State.Missions;  // ONE, TWO, THREE, loose
  for (MissionEntry& r : rows) r.Enabled = r.Enabled == kTrue ? kFalse : kTrue;
  rows[1].SourceFile = e.Folder.File("game/gone.pff");
  sample::WriteFile(e.List(), EncodeListFile(rows).Bytes);
  e.State.GameDirectory = "before";
  const int refreshes = e.Host.Refreshes;

  const ImportResult imported = ImportListFile(e.State, e.P, e.List());
  EXPECT_EQ(imported.Status, ImportStatus::Stopped);
  EXPECT_EQ(imported.Row, 1);
  EXPECT_EQ(imported.Patched, 1);
  ASSERT_EQ(e.Host.Messages.size(), 1u);
  EXPECT_EQ(imported.Message, e.Host.Messages[0]);
  EXPECT_NE(imported.Message.find(e.Folder.File("game/gone.pff")), std::string::npos);
  EXPECT_NE(imported.Message.find(test::kMissingFileReason), std::string::npos);
  EXPECT_EQ(e.Host.Refreshes, refreshes);  // the steps after the failing row do not run
  EXPECT_EQ(e.State.GameDirectory, "before");

  e.Refresh();
  EXPECT_EQ(e.State.Missions[0].Enabled, kFalse);  // row 0 stays patched
  EXPECT_EQ(e.State.Missions[2].Enabled, kTrue);   // rows after the failure are not applied
}

TEST(ListExchange, ExportWritesTheFFFFFileForAnEmptyCatalogue) {
  Exchange e;
  const CatalogueState empty;
  ASSERT_TRUE(ExportListFile(empty, *e.Files, e.List()).Ok);
  EXPECT_EQ(test::ReadBytes(e.List()), (sample::Bytes{0xFF, 0xFF}));
}

#ifndef _WIN32
// The names in Folder: a failed export must leave no temporary file behind.
std::vector<std::string> FolderNames(const std::string& Folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ListExchange, AnExportThatRunsOutOfSpaceLeavesTheOldListWhole) {
  Exchange e;
  const sample::Bytes old = {0xFF, 0xFF, 'o', 'l', 'd'};
  sample::WriteFile(e.List(), old);
  const auto names = FolderNames(e.Folder.Path());

  // Writes past 40 bytes fail as on a full disk (EFBIG rather than ENOSPC, the same path).
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 40;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ExportResult exported = ExportListFile(e.State, *e.Files, e.List());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);

  EXPECT_FALSE(exported.Ok);
  EXPECT_NE(exported.Message.find(e.List()), std::string::npos) << exported.Message;
  EXPECT_NE(exported.Message.find("File too large"), std::string::npos) << exported.Message;
  EXPECT_EQ(test::ReadBytes(e.List()), old);
  EXPECT_EQ(FolderNames(e.Folder.Path()), names);
}

TEST(ListExchange, AnExportOntoADeviceIsRefusedAndLeavesItAlone) {
  struct stat before {};
  if (stat("/dev/full", &before) != 0) GTEST_SKIP() << "no /dev/full here";
  Exchange e;
  const ExportResult exported = ExportListFile(e.State, *e.Files, "/dev/full");
  EXPECT_FALSE(exported.Ok);
  EXPECT_NE(exported.Message.find("/dev/full"), std::string::npos) << exported.Message;
  struct stat after {};
  ASSERT_EQ(stat("/dev/full", &after), 0);
  EXPECT_TRUE(S_ISCHR(after.st_mode));
  EXPECT_EQ(after.st_rdev, before.st_rdev);
}

#endif

// A read-only folder refuses new files on POSIX systems, so the temporary file of the export
// cannot be made. On Windows a folder's read-only mark refuses nothing: the export is written.
TEST(ListExchange, AnExportIntoAReadOnlyFolder) {
  Exchange e;
  const std::string folder = e.Folder.File("locked");
  std::filesystem::create_directory(NativePath(folder));
  const std::string list = JoinPath(folder, "saved.BRL");
  sample::WriteFile(list, {0xFF, 0xFF});
  test::MakeReadOnly(folder);
  const std::string probe = JoinPath(folder, "probe");
  const bool refusesNewFiles = !std::ofstream(NativePath(probe), std::ios::binary | std::ios::app);
  std::filesystem::remove(NativePath(probe));
#ifndef _WIN32
  if (!refusesNewFiles) GTEST_SKIP() << "permissions do not bind this user";
#endif
  const ExportResult exported = ExportListFile(e.State, *e.Files, list);
  if (refusesNewFiles) {
    EXPECT_FALSE(exported.Ok);
    EXPECT_NE(exported.Message.find(test::kAccessDenied), std::string::npos) << exported.Message;
    EXPECT_EQ(test::ReadBytes(list), (sample::Bytes{0xFF, 0xFF}));
  } else {
    EXPECT_TRUE(exported.Ok) << exported.Message;
    EXPECT_EQ(test::ReadBytes(list), sample::Bytes(EncodeListFile(e.State.Missions).Bytes));
  }
}

// The same failure for every user, through the file system seam.
TEST(ListExchange, AFailedExportNamesTheFileAndTheReason) {
  test::MemoryFileSystem files;
  files.Files["/l/saved.BRL"] = {0xFF, 0xFF};
  files.FailWrite["/l/saved.BRL"] = "No space left on device";
  CatalogueState state;
  state.Missions.resize(2);
  state.LastMission = 1;
  const ExportResult exported = ExportListFile(state, files, "/l/saved.BRL");
  EXPECT_FALSE(exported.Ok);
  EXPECT_EQ(exported.Message, "Could not save the list to /l/saved.BRL: No space left on device");
  EXPECT_EQ(files.Files["/l/saved.BRL"], (sample::Bytes{0xFF, 0xFF}));

  state.Missions.resize(kMaxListRows + 1);
  state.LastMission = kMaxListRows;
  files.FailWrite.clear();
  const ExportResult tooMany = ExportListFile(state, files, "/l/saved.BRL");
  EXPECT_FALSE(tooMany.Ok);
  EXPECT_NE(tooMany.Message.find("at most 32767"), std::string::npos) << tooMany.Message;
  EXPECT_EQ(files.Files["/l/saved.BRL"], (sample::Bytes{0xFF, 0xFF}));
}

TEST(ListExchange, PreviewTellsWhatTheImportWouldDoAndWritesNothing) {
  Exchange e;
  std::vector<MissionEntry> rows = e.State.Missions;  // ONE on, TWO off, THREE on, loose on
  rows[0].Enabled = kFalse;                           // disable
  rows[1].Enabled = kTrue;                            // enable
  rows[2].DataOffset += 1;                            // not there: found again by name
  rows[2].Enabled = kFalse;
  MissionEntry gone = rows[0];
  gone.FileName = "GONE.BMS";
  gone.DataOffset = 7;
  MissionEntry unreadable = rows[0];
  unreadable.SourceFile = e.Folder.File("game/missing.pff");
  rows.push_back(gone);
  rows.push_back(unreadable);
  rows.push_back(e.State.Missions[0]);  // after the stop: not previewed

  const sample::Bytes archive = test::ReadBytes(e.Folder.File("game/m.pff"));
  const std::vector<ImportPreviewRow> preview = PreviewImport(*e.Files, rows);
  ASSERT_EQ(preview.size(), 6u);
  EXPECT_EQ(preview[0].Action, ImportAction::Disable);
  EXPECT_EQ(preview[1].Action, ImportAction::Enable);
  EXPECT_EQ(preview[2].Action, ImportAction::Disable);
  EXPECT_EQ(preview[2].DataOffset, e.State.Missions[2].DataOffset);
  EXPECT_EQ(preview[3].Action, ImportAction::AlreadySo);
  EXPECT_EQ(preview[4].Action, ImportAction::NotFound);
  EXPECT_EQ(preview[5].Action, ImportAction::Unreadable);
  EXPECT_NE(preview[5].Reason.find("missing.pff"), std::string::npos);
  EXPECT_EQ(test::ReadBytes(e.Folder.File("game/m.pff")), archive);
}

}  // namespace
}  // namespace brieflist
