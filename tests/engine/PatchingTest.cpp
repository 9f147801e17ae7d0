// Switching a mission in its file, finding rows, and the locate-and-retry step.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

bool OnlyPatchedBytesDiffer(const sample::Bytes& Before, const sample::Bytes& After,
                            size_t Offset) {
  const auto allowed = test::PatchedBytes(Offset);
  for (size_t at : test::DifferingBytes(Before, After))
    if (std::find(allowed.begin(), allowed.end(), at) == allowed.end()) return false;
  return Before.size() == After.size();
}

std::string Signature(const sample::Bytes& File, size_t Offset) {
  return std::string(File.begin() + static_cast<std::ptrdiff_t>(Offset),
                     File.begin() + static_cast<std::ptrdiff_t>(Offset) + 3);
}

TEST(WriteMissionState, DisableThenEnableRestoresTheHeaderAndClearsTheModifiedWord) {
  const sample::Bytes original = MissionBytes("BMS", 0x80, 0x01, 0xDEADBEEF, 128);
  sample::Bytes header = original;
  WriteMissionState(header, false);
  EXPECT_EQ(Signature(header, 0), "VyK");
  EXPECT_EQ(sample::Bytes(header.begin() + 120, header.begin() + 124), sample::Bytes(4, 0));
  EXPECT_EQ(sample::Bytes(header.begin() + 124, header.end()),
            sample::Bytes(original.begin() + 120, original.begin() + 124));
  EXPECT_TRUE(OnlyPatchedBytesDiffer(original, header, 0));

  WriteMissionState(header, true);
  EXPECT_EQ(sample::Bytes(header.begin(), header.begin() + 124),
            sample::Bytes(original.begin(), original.begin() + 124));
  EXPECT_EQ(sample::Bytes(header.begin() + 124, header.end()), sample::Bytes(4, 0));
}

TEST(WriteMissionState, AHeaderCutShortIsWrittenOnlyWhereItHasBytes) {
  sample::Bytes header = MissionBytes("BMS", 0x12, 0x34, 0, 128);
  header.resize(122);  // the flag block itself is cut in half
  WriteMissionState(header, false);
  EXPECT_EQ(header.size(), 122u);
  EXPECT_EQ(Signature(header, 0), "VyK");
  EXPECT_EQ(header[120], 0);
  EXPECT_EQ(header[121], 0);
}

TEST(FolderOfPath, KeepsTheLastSeparator) {
  const std::string sep(1, kSeparator);
  const struct {
    std::string Path;
    std::string Folder;
  } cases[] = {
      {sep + "g" + sep + "X.PFF", sep + "g" + sep},
      {"a" + sep + "b" + sep + "c.bms", "a" + sep + "b" + sep},
      {"X.PFF", ""},
      {"", ""},
      {sep, sep},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOfPath(c.Path), c.Folder) << c.Path;
}

CatalogueState CatalogueOf(std::vector<MissionEntry> Rows) {
  CatalogueState state;
  state.Missions = std::move(Rows);
  state.LastMission = static_cast<int32_t>(state.Missions.size()) - 1;
  return state;
}

MissionEntry Row(std::string FileName, std::string SourceFile, int32_t DataOffset) {
  MissionEntry row;
  row.FileName = std::move(FileName);
  row.SourceFile = std::move(SourceFile);
  row.DataOffset = DataOffset;
  return row;
}

TEST(FindMission, TellsLooseFromPackedAndTakesTheFirstOfTwoPackedNames) {
  const CatalogueState state = CatalogueOf({
      Row("A.BMS", test::GamePath("one.pff"), 20),
      Row("A.BMS", test::GamePath("two.pff"), 20),
      Row("A.BMS", test::GamePath("A.BMS"), 0),
      Row("b.bms", test::GamePath("one.pff"), 400),
  });
  EXPECT_EQ(FindMission(state, "A.BMS", "False"), 0);
  EXPECT_EQ(FindMission(state, "A.BMS", "True"), 2);
  EXPECT_EQ(FindMission(state, "B.BMS", "False"), -1);  // names compare exactly
  EXPECT_EQ(FindMission(state, "b.bms", "True"), -1);
  const CatalogueState empty;  // named: a temporary makes g++ 12 -O3 warn falsely
  EXPECT_EQ(FindMission(empty, "A.BMS", "False"), -1);
  EXPECT_EQ(FindPackedMission(state, "A.BMS", test::GamePath("two.pff")), 1);
  EXPECT_EQ(FindPackedMission(state, "A.BMS", test::GamePath("A.BMS")), -1);  // never a loose row
}

// A game folder on the real disk, refreshed.
struct DiskFolder {
  test::TempFolder Folder;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  test::RecordingHost Host;
  CatalogueState State;
  Platform P{*Files, Host};

  void Refresh() {
    State.GameDirectory = Folder.Path();
    RefreshCatalogue(State, P);
  }
};

TEST(ToggleMissionEnabled, SwitchesOnlyTheElevenBytesAtOneOpenReadWriteFlushClose) {
  DiskFolder d;
  d.Folder.Write("m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes("BMS", 0x80, 0x01, 0)},
                                        {"TWO.BMS", MissionBytes("bms", 0x00, 0x07, 0x55)},
                                        {"THREE.BMS", MissionBytes("vYk", 0x01, 0x02)}}));
  d.Refresh();
  ASSERT_EQ(d.State.LastMission, 2);
  const std::string path = d.Folder.File("m.pff");
  const sample::Bytes original = test::ReadBytes(path);

  for (int32_t row = 0; row < 3; ++row) {
    const sample::Bytes before = test::ReadBytes(path);
    const bool wasEnabled = d.State.Missions[row].Enabled != kFalse;
    const BooleanFlag modified = d.State.Missions[row].Modified;
    d.Files->ResetCounters();
    EXPECT_EQ(ToggleMissionEnabled(d.State, d.P, row, 10 + row), PatchOutcome::Patched);
    const IoCounters& c = d.Files->Counters();
    EXPECT_EQ(c.Opens, 1u);
    EXPECT_EQ(c.Reads, 3u);  // the archive's header, its directory, the mission's header
    EXPECT_EQ(c.Writes, 1u);
    EXPECT_EQ(c.Flushes, 1u);
    EXPECT_EQ(c.Closes, 1u);

    const sample::Bytes after = test::ReadBytes(path);
    const auto offset = static_cast<size_t>(d.State.Missions[row].DataOffset);
    EXPECT_TRUE(OnlyPatchedBytesDiffer(before, after, offset));
    EXPECT_EQ(Signature(after, offset), wasEnabled ? "VyK" : "BMS");
    EXPECT_EQ(d.State.Missions[row].Enabled, ToFlag(!wasEnabled));
    EXPECT_EQ(d.State.Missions[row].Modified, modified);  // follows at the next refresh
    ASSERT_FALSE(d.Host.CellChanges.empty());
    EXPECT_EQ(d.Host.CellChanges.back(), std::make_pair(int64_t{10 + row}, !wasEnabled));
  }
  EXPECT_TRUE(d.Host.Messages.empty());
  EXPECT_EQ(d.Host.Refreshes, 1);

  // The first mission went BMS -> VyK; back again its bytes 0..123 are as they were.
  EXPECT_EQ(ToggleMissionEnabled(d.State, d.P, 0, 0), PatchOutcome::Patched);
  const sample::Bytes back = test::ReadBytes(path);
  const auto at = static_cast<size_t>(d.State.Missions[0].DataOffset);
  EXPECT_TRUE(std::equal(back.begin() + at, back.begin() + at + 124, original.begin() + at));
}

TEST(ToggleMissionEnabled, SwitchesALooseMissionWithAMixedCaseSignature) {
  DiskFolder d;
  d.Folder.Write("loose.bms", MissionBytes("bMs", 0x80, 0x01, 0));
  d.Refresh();
  ASSERT_EQ(d.State.LastMission, 0);
  EXPECT_EQ(ToggleMissionEnabled(d.State, d.P, 0, 0), PatchOutcome::Patched);
  EXPECT_EQ(Signature(test::ReadBytes(d.Folder.File("loose.bms")), 0), "VyK");
  d.Refresh();
  EXPECT_EQ(d.State.Missions[0].Enabled, kFalse);
  EXPECT_EQ(d.State.Missions[0].Modified, kTrue);  // the moved flag block
  EXPECT_EQ(d.State.Missions[0].MissionTypeFlags, "1000000000000001");
}

TEST(ToggleMissionEnabled, AMissingFileIsReportedWithItsNameAndReason) {
  DiskFolder d;
  d.Folder.Write("m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes()}}));
  d.Refresh();
  std::filesystem::remove(d.Folder.File("m.pff"));
  EXPECT_EQ(ToggleMissionEnabled(d.State, d.P, 0, 0), PatchOutcome::Failed);
  ASSERT_EQ(d.Host.Messages.size(), 1u);
  EXPECT_NE(d.Host.Messages[0].find(d.Folder.File("m.pff")), std::string::npos);
  EXPECT_NE(d.Host.Messages[0].find(test::kMissingFileReason), std::string::npos);
  EXPECT_TRUE(d.Host.CellChanges.empty());
  EXPECT_EQ(d.State.Missions[0].Enabled, kTrue);
}

TEST(ToggleMissionEnabled, AReadOnlyFileIsReportedAndLeftAlone) {
  DiskFolder d;
  d.Folder.Write("m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes()}}));
  d.Refresh();
  const std::string path = d.Folder.File("m.pff");
  test::MakeReadOnly(path);
  if (!test::ReadOnlyBinds(path)) GTEST_SKIP() << "permissions do not bind this user";
  const sample::Bytes before = test::ReadBytes(path);
  EXPECT_EQ(ToggleMissionEnabled(d.State, d.P, 0, 0), PatchOutcome::Failed);
  ASSERT_EQ(d.Host.Messages.size(), 1u);
  EXPECT_NE(d.Host.Messages[0].find(path), std::string::npos);
  EXPECT_NE(d.Host.Messages[0].find(test::kAccessDenied), std::string::npos);
  EXPECT_EQ(test::ReadBytes(path), before);
}

// The same, for every user: the file system refuses the write.
TEST(ToggleMissionEnabled, AFailedWriteIsReportedAndTheRowKeepsItsState) {
  test::MemoryFileSystem files;
  files.Put("/g", "m.pff", ArchiveBytes({{"ONE.BMS", MissionBytes()}}));
  test::RecordingHost host;
  const Platform p{files, host};
  CatalogueState state;
  state.GameDirectory = "/g";
  RefreshCatalogue(state, p);
  files.FailWrite[test::GamePath("m.pff")] = "Read-only file system";
  const sample::Bytes before = files.Files[test::GamePath("m.pff")];
  EXPECT_EQ(ToggleMissionEnabled(state, p, 0, 3), PatchOutcome::Failed);
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_NE(host.Messages[0].find(test::GamePath("m.pff")), std::string::npos);
  EXPECT_NE(host.Messages[0].find("Read-only file system"), std::string::npos);
  EXPECT_EQ(files.Files[test::GamePath("m.pff")], before);
  EXPECT_EQ(state.Missions[0].Enabled, kTrue);
  EXPECT_TRUE(host.CellChanges.empty());
}

// A memory folder for the locate-and-retry cases.
struct MemoryFolder {
  test::MemoryFileSystem Files;
  test::RecordingHost Host;
  CatalogueState State;
  Platform P{Files, Host};

  void Refresh(const std::string& Folder = "/g") {
    State.GameDirectory = Folder;
    RefreshCatalogue(State, P);
    Host.Refreshes = 0;
  }
};

TEST(LocateAndRetry, ALooseMissionWithoutSignatureIsReportedWithoutRefresh) {
  MemoryFolder m;
  m.Files.Put("/g", "A.BMS", MissionBytes());
  m.Refresh();
  m.Files.Files[test::GamePath("A.BMS")][0] = 'X';
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 0, 0), PatchOutcome::Reported);
  EXPECT_EQ(m.Host.Messages, std::vector<std::string>{kFileInvalidOrNotFound});
  EXPECT_EQ(m.Host.Refreshes, 0);
}

TEST(LocateAndRetry, AMissionGoneFromItsArchiveCostsOneRefresh) {
  MemoryFolder m;
  m.Files.Put("/g", "m.pff", ArchiveBytes({{"A.BMS", MissionBytes()}, {"B.BMS", MissionBytes()}}));
  m.Refresh();
  const sample::Bytes smaller =
      ArchiveBytes({{"T.BIN", sample::Bytes(300, 0)}, {"B.BMS", MissionBytes()}});
  m.Files.Files[test::GamePath("m.pff")] = smaller;
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 0, 0), PatchOutcome::Reported);
  EXPECT_EQ(m.Host.Messages, std::vector<std::string>{kFileCouldNotBeFound});
  EXPECT_EQ(m.Host.Refreshes, 1);
  EXPECT_EQ(m.State.GameDirectory, FolderOfPath(test::GamePath("m.pff")));
  EXPECT_EQ(m.Files.Files[test::GamePath("m.pff")], smaller);
}

TEST(LocateAndRetry, AMissionMovedInsideItsArchiveIsPatchedAtItsNewPlaceSilently) {
  MemoryFolder m;
  m.Files.Put("/g", "m.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
  m.Refresh();
  m.Files.Files[test::GamePath("m.pff")] =
      ArchiveBytes({{"T.BIN", sample::Bytes(700, 0)}, {"A.BMS", MissionBytes()}});
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 0, 5), PatchOutcome::Patched);
  EXPECT_TRUE(m.Host.Messages.empty());
  EXPECT_EQ(m.Host.Refreshes, 1);
  EXPECT_EQ(Signature(m.Files.Files[test::GamePath("m.pff")], 20 + 700), "VyK");
  ASSERT_EQ(m.State.Missions.size(), 1u);
  EXPECT_EQ(m.State.Missions[0].Enabled, kFalse);  // the row found again
  EXPECT_EQ(m.Host.CellChanges, (std::vector<std::pair<int64_t, bool>>{{5, false}}));
}

TEST(LocateAndRetry, AMissionStillInvalidAfterTheRefreshCostsTwoRefreshes) {
  MemoryFolder m;
  m.Files.Put("/g", "m.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
  m.Refresh();
  // Something spoils the signature each time just before the patch reads it, and mends it
  // before each refresh reads the archive.
  m.Files.BeforePatch = [&](const std::string& Path) { m.Files.Files[Path][20] = '?'; };
  m.Files.BeforeRead = [&](const std::string& Path) { m.Files.Files[Path][20] = 'B'; };
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 0, 0), PatchOutcome::Reported);
  EXPECT_EQ(m.Host.Messages, std::vector<std::string>{kFileStillInvalid});
  EXPECT_EQ(m.Host.Refreshes, 2);
}

TEST(LocateAndRetry, AMissionOfTheSameNameInAnotherArchiveIsNeverTaken) {
  MemoryFolder m;
  m.Files.Put("/g", "a.pff", ArchiveBytes({{"SAME.BMS", MissionBytes()}}));
  m.Files.Put("/g", "b.pff", ArchiveBytes({{"SAME.BMS", MissionBytes()}}));
  m.Refresh();
  ASSERT_EQ(m.State.Missions[1].SourceFile, test::GamePath("b.pff"));
  // b.pff is rewritten: its mission moves.
  m.Files.Files[test::GamePath("b.pff")] =
      ArchiveBytes({{"T.BIN", sample::Bytes(500, 0)}, {"SAME.BMS", MissionBytes()}});
  const sample::Bytes a = m.Files.Files[test::GamePath("a.pff")];
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 1, 1), PatchOutcome::Patched);
  EXPECT_EQ(m.Files.Files[test::GamePath("a.pff")], a);
  EXPECT_EQ(Signature(m.Files.Files[test::GamePath("b.pff")], 20 + 500), "VyK");
}

TEST(LocateAndRetry, AMissionGoneFromItsArchiveIsNotLookedForInAnother) {
  MemoryFolder m;
  m.Files.Put("/g", "a.pff", ArchiveBytes({{"SAME.BMS", MissionBytes()}}));
  m.Files.Put("/g", "b.pff", ArchiveBytes({{"SAME.BMS", MissionBytes()}}));
  m.Refresh();
  // b.pff lost its SAME.BMS; a.pff still has one, which is a different mission.
  m.Files.Files[test::GamePath("b.pff")] = ArchiveBytes({{"OTHER.BMS", MissionBytes("xyz")}});
  const sample::Bytes a = m.Files.Files[test::GamePath("a.pff")];
  EXPECT_EQ(ToggleMissionEnabled(m.State, m.P, 1, 1), PatchOutcome::Reported);
  EXPECT_EQ(m.Host.Messages, std::vector<std::string>{kFileCouldNotBeFound});
  EXPECT_EQ(m.Files.Files[test::GamePath("a.pff")], a);
}

TEST(SetMissionEnabled, LeavesAMissionAlreadyInThatStateUnwritten) {
  MemoryFolder m;
  m.Files.Put("/g", "m.pff",
              ArchiveBytes({{"A.BMS", MissionBytes()}, {"B.BMS", MissionBytes("VyK")}}));
  m.Refresh();
  m.Files.ResetCounters();
  EXPECT_EQ(SetMissionEnabled(m.State, m.P, 0, 0, true), PatchOutcome::AlreadySo);
  EXPECT_EQ(SetMissionEnabled(m.State, m.P, 1, 1, false), PatchOutcome::AlreadySo);
  EXPECT_EQ(m.Files.Counters().Writes, 0u);
  EXPECT_TRUE(m.Host.CellChanges.empty());
  EXPECT_EQ(SetMissionEnabled(m.State, m.P, 1, 1, true), PatchOutcome::Patched);
  EXPECT_EQ(m.State.Missions[1].Enabled, kTrue);
}

}  // namespace
}  // namespace brieflist
