// The native file system where Windows and POSIX systems differ: names outside ASCII, letter
// case, files held open by another program, read-only files and replacing a file. Each case
// runs on both systems and states what each one gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "platform/FolderListing.h"
#include "platform/NativeNames.h"
#include "platform/Paths.h"
#include "platform/Windows1252.h"
#include "support/GameFolder.h"
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

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

constexpr const char* kUsedByAnother = "used by another program";

// Another program that keeps a file open. On Windows it says whom it lets share the file; a
// POSIX system has no such modes, so there it is a plain open file.
class OtherProgram {
 public:
  enum Sharing { LetsOthersRead, LetsNobodyIn };
  OtherProgram(const std::string& Path, Sharing Share) {
#ifdef _WIN32
    Handle_ = CreateFileW(NativePath(Path).c_str(), GENERIC_READ,
                          Share == LetsOthersRead ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
#else
    (void)Share;
    Stream_.open(Path, std::ios::binary);
#endif
  }
  ~OtherProgram() {
#ifdef _WIN32
    if (Handle_ != INVALID_HANDLE_VALUE) CloseHandle(Handle_);
#endif
  }
  OtherProgram(const OtherProgram&) = delete;
  OtherProgram& operator=(const OtherProgram&) = delete;

  bool Holds() const {
#ifdef _WIN32
    return Handle_ != INVALID_HANDLE_VALUE;
#else
    return Stream_.is_open();
#endif
  }

 private:
#ifdef _WIN32
  HANDLE Handle_ = INVALID_HANDLE_VALUE;
#else
  std::ifstream Stream_;
#endif
};

// Writes a file under a name given as UTF-8, as another program would name it: the name need
// not be Windows-1252.
void WriteUtf8Named(const test::TempFolder& Folder, const std::u8string& Name,
                    const sample::Bytes& Data) {
  std::ofstream out(NativePath(Folder.Path()) / std::filesystem::path(Name), std::ios::binary);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
}

class NativeDisk : public ::testing::Test {
 protected:
  RefreshReport Refresh() {
    State.GameDirectory = Folder.Path();
    return RefreshCatalogue(State, Platform{*Files, Host});
  }
  std::set<std::string> FileNames() const {
    std::set<std::string> names;
    for (const MissionEntry& row : State.Missions) names.insert(row.FileName);
    return names;
  }

  test::TempFolder Folder;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  test::RecordingHost Host;
  CatalogueState State;
};

// The engine's names are Windows-1252 text on Windows, and the system's own bytes elsewhere;
// either way they reach the disk and come back unchanged, through refresh, patch and list.
TEST_F(NativeDisk, NamesOutsideAsciiRoundTrip) {
  const struct {
    const char* Name;  // the engine's bytes
    const wchar_t* OnWindows;
  } cases[] = {
      {"\xE9t\xE9.bms", L"\u00E9t\u00E9.bms"},
      {"\x80uro.bms", L"\u20ACuro.bms"},  // 0x80..0x9F differ from Latin-1
      {"\x9C"
       "uvre.bms",
       L"\u0153uvre.bms"},
      {"M\xFCller.pff", L"M\u00FCller.pff"},
  };
  for (const auto& c : cases) {
    const bool archive = EndsWithIgnoringCase(c.Name, ".pff");
    Folder.Write(c.Name, archive ? test::ArchiveBytes({{"IN.BMS", test::MissionBytes()}})
                                 : test::MissionBytes());
  }
  if (kWindows) {
    std::set<std::wstring> onDisk;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(Folder.Path())))
      onDisk.insert(entry.path().filename().wstring());
    for (const auto& c : cases) EXPECT_EQ(onDisk.count(c.OnWindows), 1u) << c.Name;
  }

  const RefreshReport report = Refresh();
  EXPECT_TRUE(report.Problems.empty());
  EXPECT_EQ(FileNames(), (std::set<std::string>{"IN.BMS", "\xE9t\xE9.bms", "\x80uro.bms",
                                                "\x9C"
                                                "uvre.bms"}));
  EXPECT_EQ(State.Missions[0].SourceFile, JoinPath(Folder.Path(), "M\xFCller.pff"));

  for (int32_t row = 0; row <= State.LastMission; ++row)
    EXPECT_EQ(ToggleMissionEnabled(State, Platform{*Files, Host}, row, row), PatchOutcome::Patched)
        << State.Missions[static_cast<size_t>(row)].FileName;
  EXPECT_TRUE(Host.Messages.empty());
  const std::string listPath = Folder.File("\xC9quipe.BRL");
  ASSERT_TRUE(ExportListFile(State, *Files, listPath).Ok);
  const ListDecodeResult list = DecodeListFile(test::ReadBytes(listPath));
  ASSERT_TRUE(list.Ok);
  ASSERT_EQ(list.Rows.size(), State.Missions.size());
  for (size_t i = 0; i < list.Rows.size(); ++i) EXPECT_EQ(list.Rows[i], State.Missions[i]);

  Refresh();
  for (const MissionEntry& row : State.Missions) EXPECT_EQ(row.Enabled, kFalse) << row.FileName;
}

// A name Windows-1252 cannot hold cannot be opened through the engine's text on Windows: it is
// reported with '?' for what is lost, never dropped in silence. Elsewhere names are bytes and
// every name is read.
TEST_F(NativeDisk, NamesWindows1252CannotHoldAreReportedOnWindows) {
  WriteUtf8Named(Folder, u8"\u0416\u0443\u043A.bms", test::MissionBytes());
  WriteUtf8Named(Folder, u8"\U0001F600.bms", test::MissionBytes());
  WriteUtf8Named(Folder, u8"\u041C.pff", test::ArchiveBytes({{"IN.BMS", test::MissionBytes()}}));
  Folder.Write("plain.bms", test::MissionBytes());

  const RefreshReport report = Refresh();
  if (kWindows) {
    EXPECT_EQ(FileNames(), std::set<std::string>{"plain.bms"});
    std::set<std::string> reported;
    for (const IoError& problem : report.Problems) {
      reported.insert(problem.Path);
      EXPECT_EQ(problem.Reason, kUnrepresentableName);
    }
    EXPECT_EQ(reported, (std::set<std::string>{JoinPath(Folder.Path(), "???.bms"),
                                               JoinPath(Folder.Path(), "?.bms"),
                                               JoinPath(Folder.Path(), "?.pff")}));
    EXPECT_EQ(Host.LastReport.Problems.size(), 3u);
  } else {
    EXPECT_TRUE(report.Problems.empty());
    EXPECT_EQ(FileNames(),
              (std::set<std::string>{"IN.BMS", "plain.bms", "\xD0\x96\xD1\x83\xD0\xBA.bms",
                                     "\xF0\x9F\x98\x80.bms"}));
  }
}

// Windows looks names up without regard to letter case and keeps the name a file was created
// with; a POSIX file system holds two files.
TEST_F(NativeDisk, LetterCaseOfNames) {
  Folder.Write("Case.bms", test::MissionBytes("BMS"));
  Folder.Write("CASE.BMS", test::MissionBytes("VyK"));
  Folder.Write("Other.PFF", test::ArchiveBytes({{"P.BMS", test::MissionBytes()}}));
  const RefreshReport report = Refresh();
  EXPECT_TRUE(report.Problems.empty());
  const auto lookup = Files->ReadPrefix(Folder.File("cAsE.bMs"), 3);
  EXPECT_EQ(Files->IsFolder(UpperCase1252(Folder.Path())), kWindows);
  if (kWindows) {
    // One file, one row: its first name, its last content.
    EXPECT_EQ(FileNames(), (std::set<std::string>{"P.BMS", "Case.bms"}));
    EXPECT_EQ(State.Missions.back().Enabled, kFalse);
    ASSERT_TRUE(lookup);
    EXPECT_EQ(std::string(lookup->begin(), lookup->end()), "VyK");
  } else {
    EXPECT_EQ(FileNames(), (std::set<std::string>{"P.BMS", "Case.bms", "CASE.BMS"}));
    EXPECT_FALSE(lookup);
  }
}

// The game may hold its archives open. Reading goes on beside it; a patch that cannot get the
// file says who is in the way, on Windows, and changes nothing.
TEST_F(NativeDisk, AFileHeldByAnotherProgram) {
  Folder.Write("held.pff", test::ArchiveBytes({{"A.BMS", test::MissionBytes()}}));
  const std::string path = Folder.File("held.pff");
  Refresh();
  ASSERT_EQ(State.Missions.size(), 1u);
  const sample::Bytes before = test::ReadBytes(path);
  {
    OtherProgram game(path, OtherProgram::LetsOthersRead);
    ASSERT_TRUE(game.Holds());
    EXPECT_TRUE(Refresh().Problems.empty());
    ASSERT_EQ(State.Missions.size(), 1u);
    const PatchOutcome outcome = ToggleMissionEnabled(State, Platform{*Files, Host}, 0, 0);
    if (kWindows) {
      EXPECT_EQ(outcome, PatchOutcome::Failed);
      ASSERT_EQ(Host.Messages.size(), 1u);
      EXPECT_NE(Host.Messages[0].find(path), std::string::npos) << Host.Messages[0];
      EXPECT_NE(Host.Messages[0].find(kUsedByAnother), std::string::npos) << Host.Messages[0];
      EXPECT_EQ(test::ReadBytes(path), before);
      EXPECT_EQ(State.Missions[0].Enabled, kTrue);
    } else {
      EXPECT_EQ(outcome, PatchOutcome::Patched);  // no mandatory locks
    }
  }
  {
    OtherProgram exclusive(path, OtherProgram::LetsNobodyIn);
    ASSERT_TRUE(exclusive.Holds());
    const RefreshReport report = Refresh();
    if (kWindows) {
      ASSERT_EQ(report.Problems.size(), 1u);
      EXPECT_EQ(report.Problems[0].Path, path);
      EXPECT_NE(report.Problems[0].Reason.find(kUsedByAnother), std::string::npos);
      EXPECT_TRUE(State.Missions.empty());
    } else {
      EXPECT_TRUE(report.Problems.empty());
      EXPECT_EQ(State.Missions.size(), 1u);
    }
  }
}

// A list is replaced whole or not at all, and no temporary file stays behind either way.
TEST_F(NativeDisk, ReplacingAFile) {
  const std::string path = Folder.File("list.BRL");
  Folder.Write("list.BRL", {1, 2, 3, 4, 5, 6, 7, 8});
  const sample::Bytes shorter = {9, 9};
  ASSERT_TRUE(Files->ReplaceFile(path, shorter));
  EXPECT_EQ(test::ReadBytes(path), shorter);
  EXPECT_EQ(Files->Counters().Flushes, 1u);

  const sample::Bytes next = {7, 7, 7};
  {
    // Held without leave to delete or rename it, as most programs open a file.
    OtherProgram reader(path, OtherProgram::LetsOthersRead);
    ASSERT_TRUE(reader.Holds());
    const auto replaced = Files->ReplaceFile(path, next);
    if (kWindows) {
      ASSERT_FALSE(replaced);
      EXPECT_EQ(replaced.Error().Path, path);
      EXPECT_FALSE(replaced.Error().Reason.empty());
      EXPECT_EQ(test::ReadBytes(path), shorter);
    } else {
      EXPECT_TRUE(replaced);
      EXPECT_EQ(test::ReadBytes(path), next);
    }
  }
  std::filesystem::create_directory(NativePath(Folder.File("folder.BRL")));
  const auto ontoFolder = Files->ReplaceFile(Folder.File("folder.BRL"), next);
  ASSERT_FALSE(ontoFolder);
  EXPECT_EQ(ontoFolder.Error().Reason, "not a regular file");

  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(Folder.Path())))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"list.BRL", "folder.BRL"}));
}

// A read-only file is not patched, and a read-only list is not replaced on Windows, where
// renaming over a file needs leave from the file itself; on POSIX systems it needs leave from
// the folder only.
TEST_F(NativeDisk, ReadOnlyFiles) {
  Folder.Write("m.bms", test::MissionBytes());
  Folder.Write("list.BRL", {1, 2});
  test::MakeReadOnly(Folder.File("m.bms"));
  test::MakeReadOnly(Folder.File("list.BRL"));
  if (!test::ReadOnlyBinds(Folder.File("m.bms")))
    GTEST_SKIP() << "the read-only mark does not bind this user";

  Refresh();
  ASSERT_EQ(State.Missions.size(), 1u);
  const sample::Bytes before = test::ReadBytes(Folder.File("m.bms"));
  EXPECT_EQ(ToggleMissionEnabled(State, Platform{*Files, Host}, 0, 0), PatchOutcome::Failed);
  ASSERT_EQ(Host.Messages.size(), 1u);
  EXPECT_NE(Host.Messages[0].find(Folder.File("m.bms")), std::string::npos);
  EXPECT_NE(Host.Messages[0].find(test::kAccessDenied), std::string::npos);
  EXPECT_EQ(test::ReadBytes(Folder.File("m.bms")), before);

  const auto replaced = Files->ReplaceFile(Folder.File("list.BRL"), sample::Bytes{3});
  EXPECT_EQ(static_cast<bool>(replaced), !kWindows);
}

}  // namespace
}  // namespace brieflist
