// Paths as the engine builds and cuts them. The separator is the system's own ("\" on Windows,
// "/" elsewhere), so each case states what it gives on both systems.
#include <gtest/gtest.h>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "platform/Paths.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

struct PathCase {
  const char* Input;
  const char* Name;  // for JoinPath only
  const char* OnWindows;
  const char* Elsewhere;
};

TEST(JoinPath, AddsTheSeparatorOnlyWhenTheFolderLacksOne) {
  const PathCase cases[] = {
      {"C:\\", "X.PFF", "C:\\X.PFF", "C:\\/X.PFF"},  // a drive root keeps its one "\"
      {"C:\\G", "X.PFF", "C:\\G\\X.PFF", "C:\\G/X.PFF"},
      {"C:\\G\\", "X.PFF", "C:\\G\\X.PFF", "C:\\G\\/X.PFF"},
      {"/g", "x.pff", "/g\\x.pff", "/g/x.pff"},
      {"/g/", "x.pff", "/g/x.pff", "/g/x.pff"},  // Windows takes "/" as a separator as well
      {"", "x.pff", "\\x.pff", "/x.pff"},
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(JoinPath(c.Input, c.Name), kWindows ? c.OnWindows : c.Elsewhere) << c.Input;
}

TEST(FolderOfPath, CutsAfterTheLastSeparatorOfTheSystem) {
  const PathCase cases[] = {
      {"C:\\G\\X.PFF", "", "C:\\G\\", ""},
      {"C:\\X.PFF", "", "C:\\", ""},
      {"C:\\Games\\DF2\\Sub Folder\\m.bms", "", "C:\\Games\\DF2\\Sub Folder\\", ""},
      {"C:\\G\\", "", "C:\\G\\", ""},
      {"X.PFF", "", "", ""},
      {"", "", "", ""},
      {"/g/x.pff", "", "", "/g/"},
      {"C:\\G\\sub/x.pff", "", "C:\\G\\", "C:\\G\\sub/"},  // only the system's separator cuts
  };
  for (const PathCase& c : cases)
    EXPECT_EQ(FolderOfPath(c.Input), kWindows ? c.OnWindows : c.Elsewhere) << c.Input;
}

// A game folder at a drive root, held in memory so the test needs no real drive.
TEST(SourceFile, IsFolderSeparatorAndNameWithoutDoublingAtADriveRoot) {
  test::MemoryFileSystem files;
  files.Put("C:\\", "X.PFF", test::ArchiveBytes({{"A.BMS", test::MissionBytes()}}));
  files.Put("C:\\", "L.BMS", test::MissionBytes());
  test::RecordingHost host;
  CatalogueState state;
  state.GameDirectory = "C:\\";
  RefreshCatalogue(state, Platform{files, host});
  ASSERT_EQ(state.Missions.size(), 2u);
  EXPECT_EQ(state.Missions[0].SourceFile, kWindows ? "C:\\X.PFF" : "C:\\/X.PFF");
  EXPECT_EQ(state.Missions[1].SourceFile, kWindows ? "C:\\L.BMS" : "C:\\/L.BMS");
}

// A list file written on Windows names its missions "C:\G\X.PFF"-style. The mission is patched
// at the path the row names on every system; only Windows finds the folder in that path.
TEST(ImportListFile, ReadsAndAppliesAListOfWindowsPaths) {
  test::MemoryFileSystem files;
  const sample::Bytes archive = test::ArchiveBytes({{"A.BMS", test::MissionBytes()}});
  const int32_t offset = sample::ArchiveDataOffsets({{"A.BMS", {}, false, 0}})[0];
  files.AddFolder("C:\\G");
  files.Files["C:\\G\\X.PFF"] = archive;
  MissionEntry row;
  row.FileName = "A.BMS";
  row.SourceFile = "C:\\G\\X.PFF";
  row.DataOffset = offset;
  row.Enabled = kFalse;
  const ListEncodeResult list = EncodeListFile(std::vector<MissionEntry>{row});
  ASSERT_TRUE(list.Ok);
  files.Files["C:\\lists\\saved.BRL"] = list.Bytes;

  test::RecordingHost host;
  CatalogueState state;
  const ImportResult result = ImportListFile(state, Platform{files, host}, "C:\\lists\\saved.BRL");
  EXPECT_EQ(result.Patched, 1);
  const sample::Bytes& patched = files.Files["C:\\G\\X.PFF"];
  EXPECT_EQ(std::string(patched.begin() + offset, patched.begin() + offset + 3), "VyK");
  if (kWindows) {
    EXPECT_EQ(state.GameDirectory, "C:\\G\\");
    ASSERT_EQ(state.Missions.size(), 1u);
    EXPECT_EQ(state.Missions[0].SourceFile, "C:\\G\\X.PFF");
    EXPECT_EQ(state.Missions[0].Enabled, kFalse);
  } else {
    EXPECT_EQ(state.GameDirectory, "");  // no "/" in the path: no folder to show
    EXPECT_TRUE(state.Missions.empty());
  }
}

// The same round trip on the real disk, where the paths are the system's own: on Windows a
// drive, "\" separators, and a game folder that ends with "\" after the import.
TEST(ImportListFile, RoundTripOnDiskKeepsTheSystemsPaths) {
  test::TempFolder folder;
  folder.Write("X.PFF", test::ArchiveBytes({{"A.BMS", test::MissionBytes()}}));
  auto files = MakeNativeFileSystem();
  test::RecordingHost host;
  const Platform p{*files, host};
  CatalogueState state;
  state.GameDirectory = folder.Path();
  RefreshCatalogue(state, p);
  ASSERT_EQ(state.Missions.size(), 1u);
  const std::string archive = folder.Path() + kSeparator + "X.PFF";
  EXPECT_EQ(state.Missions[0].SourceFile, archive);
  if (kWindows) {
    EXPECT_EQ(archive.substr(1, 2), ":\\");
    EXPECT_EQ(archive.find('/'), std::string::npos);
  }

  const std::string listPath = folder.File("saved.BRL");
  ASSERT_TRUE(ExportListFile(state, *files, listPath).Ok);
  const ListDecodeResult saved = DecodeListFile(test::ReadBytes(listPath));
  ASSERT_TRUE(saved.Ok);
  ASSERT_EQ(saved.Rows.size(), 1u);
  EXPECT_EQ(saved.Rows[0].SourceFile, archive);

  ASSERT_EQ(ToggleMissionEnabled(state, p, 0, 0), PatchOutcome::Patched);
  const ImportResult result = ImportListFile(state, p, listPath);
  EXPECT_EQ(result.Status, ImportStatus::Done);
  EXPECT_EQ(result.Patched, 1);
  EXPECT_EQ(state.GameDirectory, folder.Path() + kSeparator);
  ASSERT_EQ(state.Missions.size(), 1u);
  EXPECT_EQ(state.Missions[0].Enabled, kTrue);
  EXPECT_EQ(state.Missions[0].SourceFile, archive);
}

}  // namespace
}  // namespace brieflist
