// Undo: exact restores, newest first, refused after an outside change, patches never applied,
// torn journal lines.
#include <gtest/gtest.h>

#include "catalogue/RefreshCatalogue.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

struct UndoFixture {
  test::MemoryFileSystem Files;
  test::RecordingHost Host;
  CatalogueState State;
  PatchJournal Journal{Files, test::GamePath("journal.tsv")};
  Platform P{Files, Host, &Journal};
  const std::string Archive = test::GamePath("a.pff");

  UndoFixture() {
    // The modified words are not zero: a plain switch back would not restore them.
    Files.Put("/g", "a.pff",
              ArchiveBytes({{"A1.BMS", MissionBytes("BMS", 0x80, 0x01, 0xDEADBEEF)},
                            {"A2.BMS", MissionBytes("vyk", 0x00, 0x00, 0x00020040)},
                            {"A3.BMS", MissionBytes("BMS", 0x00, 0x03, 0x11111111)}}));
    Files.Put("/g", "L.bms", MissionBytes("bMs", 0x00, 0x21, 0x7F));
    State.GameDirectory = "/g";
    RefreshCatalogue(State, P);
  }
  sample::Bytes& File(const std::string& Path) { return Files.Files.at(Path); }
  size_t OffsetOf(int32_t Row) const {
    return static_cast<size_t>(State.Missions[static_cast<size_t>(Row)].DataOffset);
  }
};

TEST(UndoLastPatches, RestoresTheBytesExactlyNewestOperationFirst) {
  UndoFixture f;
  const sample::Bytes original = f.File(f.Archive);
  const sample::Bytes looseOriginal = f.File(test::GamePath("L.bms"));

  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  const sample::Bytes afterToggle = f.File(f.Archive);
  const BulkRow rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  ASSERT_EQ(SetMissionsEnabled(f.State, f.P, rows, true).Patched, 2);  // A1 and A2
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 3, 3), PatchOutcome::Patched);

  UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Operations, 1);
  EXPECT_EQ(f.File(test::GamePath("L.bms")), looseOriginal);
  EXPECT_EQ(undo.ChangedRows, std::vector<int32_t>{3});
  EXPECT_EQ(f.State.Missions[3].Enabled, kTrue);

  // The bulk as a whole, then the toggle: the archive is as it was, modified words included.
  undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 2);
  EXPECT_EQ(f.File(f.Archive), afterToggle);
  undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(f.File(f.Archive), original);
  EXPECT_EQ(f.State.Missions[0].Enabled, kTrue);
  EXPECT_EQ(f.State.Missions[1].Enabled, kFalse);
  EXPECT_TRUE(f.Host.Messages.empty());

  // Undo records are never undone: nothing is left.
  EXPECT_EQ(UndoLastPatches(f.State, f.P, 5).Operations, 0);
  EXPECT_EQ(f.File(f.Archive), original);
}

TEST(UndoLastPatches, AMissionPatchedTwiceIsRestoredThroughBothRecords) {
  UndoFixture f;
  const sample::Bytes original = f.File(f.Archive);
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 2, 2), PatchOutcome::Patched);
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 2, 2), PatchOutcome::Patched);
  ASSERT_NE(f.File(f.Archive), original);  // the modified word is gone
  const UndoResult undo = UndoLastPatches(f.State, f.P, 2);
  EXPECT_EQ(undo.Operations, 2);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 2);
  EXPECT_EQ(f.File(f.Archive), original);
}

TEST(UndoLastPatches, IsRefusedWhereTheMissionChangedSinceAndWritesNothingThere) {
  UndoFixture f;
  const BulkRow rows[] = {{0, 0}, {2, 2}};
  ASSERT_EQ(SetMissionsEnabled(f.State, f.P, rows, false).Patched, 2);
  // Someone else puts A3's signature back by hand.
  const size_t at = f.OffsetOf(2);
  f.File(f.Archive)[at + 1] = 'M';
  f.File(f.Archive)[at + 2] = 'S';
  f.File(f.Archive)[at] = 'B';
  const sample::Bytes touched = f.File(f.Archive);

  const UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 1);
  EXPECT_EQ(undo.Count(UndoStatus::ChangedSince), 1);
  EXPECT_TRUE(undo.Failed());
  // A1 restored, A3 exactly as the outside change left it.
  EXPECT_TRUE(std::equal(touched.begin() + static_cast<std::ptrdiff_t>(at),
                         touched.begin() + static_cast<std::ptrdiff_t>(at + 128),
                         f.File(f.Archive).begin() + static_cast<std::ptrdiff_t>(at)));
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find(f.Archive + ": A3.BMS was changed since"), std::string::npos);
  EXPECT_NE(f.Host.Messages[0].find("refused"), std::string::npos);

  // The refused record leaves the undo stack: the next undo goes on to older patches.
  auto journal = f.Journal.Read();
  EXPECT_TRUE(UndoableOperations(*journal).empty());
  EXPECT_EQ(journal->Records.back().Kind, JournalKind::Refused);
}

TEST(UndoLastPatches, APatchThatNeverReachedTheDiskIsReportedAsNotApplied) {
  UndoFixture f;
  // As a crash between journalling and writing leaves it: the record, and the old bytes.
  const sample::Bytes original = f.File(f.Archive);
  std::vector<JournalRecord> record(1);
  record[0].Kind = JournalKind::Toggle;
  record[0].SourceFile = f.Archive;
  record[0].DataOffset = static_cast<int32_t>(f.OffsetOf(0));
  record[0].FileName = "A1.BMS";
  std::vector<uint8_t> header(original.begin() + static_cast<std::ptrdiff_t>(f.OffsetOf(0)),
                              original.begin() + static_cast<std::ptrdiff_t>(f.OffsetOf(0) + 128));
  record[0].Before = PatchedBytesOf(header);
  WriteMissionState(header, false);
  record[0].After = PatchedBytesOf(header);
  ASSERT_TRUE(f.Journal.Append(record));

  const UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  ASSERT_EQ(undo.Records.size(), 1u);
  EXPECT_EQ(undo.Records[0].Status, UndoStatus::NotApplied);
  EXPECT_FALSE(undo.Failed());
  EXPECT_EQ(f.File(f.Archive), original);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find("was not applied"), std::string::npos);
  EXPECT_EQ(UndoLastPatches(f.State, f.P, 1).Operations, 0);
}

TEST(UndoLastPatches, ATornJournalLineIsSkippedWithAMessage) {
  UndoFixture f;
  const sample::Bytes original = f.File(f.Archive);
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  // The program stopped while it appended a second record; this is the next run.
  sample::Bytes& journal = f.File(f.Journal.Path());
  const sample::Bytes whole = journal;
  journal.insert(journal.end(), whole.begin(), whole.begin() + 30);
  PatchJournal nextRun(f.Files, f.Journal.Path());
  f.P.Journal = &nextRun;

  const UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 1);
  EXPECT_EQ(f.File(f.Archive), original);
  ASSERT_EQ(undo.Problems.size(), 1u);
  EXPECT_NE(undo.Problems[0].find("line 2"), std::string::npos);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find("line 2"), std::string::npos);
  // The undo's own record went onto a fresh line and reads back.
  auto contents = nextRun.Read();
  ASSERT_EQ(contents->Records.size(), 2u);
  EXPECT_EQ(contents->Records[1].Kind, JournalKind::Undo);
}

TEST(UndoLastPatches, AFileThatCannotBeWrittenFailsAndStaysOnTheStack) {
  UndoFixture f;
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  const sample::Bytes patched = f.File(f.Archive);
  f.Files.FailWrite[f.Archive] = "Permission denied";
  UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Failed), 1);
  EXPECT_EQ(f.File(f.Archive), patched);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find("Permission denied"), std::string::npos);
  // Once the file can be written again, the same undo goes through: the journal says the
  // failed one was not applied.
  EXPECT_EQ(f.Journal.Read()->Records.back().Kind, JournalKind::NotApplied);
  f.Files.FailWrite.clear();
  undo = UndoLastPatches(f.State, f.P, 1);
  EXPECT_EQ(undo.Count(UndoStatus::Restored), 1);
}

}  // namespace
}  // namespace brieflist
