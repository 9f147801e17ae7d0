// The undo journal: its lines, torn lines, its bound, and a record for every way of patching.
#include <gtest/gtest.h>

#include <memory>

#include "catalogue/RefreshCatalogue.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "exchange/ListFile.h"
#include "support/DataFolder.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

// Every test of this program keeps its journal in a folder of its own, never in the user's:
// the command-line tests patch through the user's journal.
class JournalFolderEnvironment : public testing::Environment {
 public:
  void SetUp() override { Folder_ = std::make_unique<test::ScopedDataFolder>(); }
  void TearDown() override { Folder_.reset(); }

 private:
  std::unique_ptr<test::ScopedDataFolder> Folder_;
};
[[maybe_unused]] testing::Environment* const kJournalFolder =
    testing::AddGlobalTestEnvironment(new JournalFolderEnvironment);

const std::string kJournalPath = test::GamePath("journal.tsv");

JournalRecord SampleRecord() {
  JournalRecord r;
  r.Time = "2024-03-09T17:05:59Z";
  r.Kind = JournalKind::Toggle;
  r.SourceFile = test::GamePath("Pack 1.pff");
  r.DataOffset = 1234;
  r.FileName = "RAID.BMS";
  r.Before = {'B', 'M', 'S', 0, 0, 0x80, 0x01, 0, 0, 0, 0};
  r.After = {'V', 'y', 'K', 0, 0, 0, 0, 0, 0, 0x80, 0x01};
  r.Operation = "0123456789abcdef";
  r.Id = "fedcba9876543210";
  return r;
}

TEST(JournalLine, ReadsBackWhatItWroteWhateverTheTextsHold) {
  const std::string awkward[] = {"plain.BMS", "tab\there",        "new\nline",
                                 "100%.bms",  "\xC4\xE9\xFF.bms", "C:\\Games\\DF2\\a b.pff",
                                 ""};
  for (const std::string& text : awkward) {
    JournalRecord r = SampleRecord();
    r.FileName = text;
    r.SourceFile = text;
    r.Reverses = text.empty() ? "" : "aaaaaaaaaaaaaaaa";
    const std::string line = FormatJournalLine(r);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << text;
    const auto back = ParseJournalLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(back) << line;
    EXPECT_EQ(*back, r);
  }
  EXPECT_NE(FormatJournalLine(SampleRecord()).find("424d53 00008001 00000000"), std::string::npos);
}

TEST(JournalLine, EveryCutOfALineAndEveryChangedCharacterIsRejected) {
  const std::string line = FormatJournalLine(SampleRecord());
  const std::string_view whole(line.data(), line.size() - 1);
  for (size_t n = 0; n < whole.size(); ++n)
    EXPECT_FALSE(ParseJournalLine(whole.substr(0, n))) << "cut at " << n;
  for (size_t i = 0; i < whole.size(); ++i) {
    std::string changed(whole);
    changed[i] = changed[i] == '1' ? '2' : '1';
    EXPECT_FALSE(ParseJournalLine(changed)) << "changed at " << i;
  }
  EXPECT_TRUE(ParseJournalLine(std::string(whole) + "\r"));  // a line ending of Windows editors
}

struct JournalFixture {
  test::MemoryFileSystem Files;
  test::MemoryFileSystem JournalFiles;
  test::RecordingHost Host;
  CatalogueState State;
  PatchJournal Journal{JournalFiles, kJournalPath};
  Platform P{Files, Host, &Journal};

  JournalFixture() { JournalFiles.AddFolder("/g"); }

  void Refresh() {
    State.GameDirectory = "/g";
    RefreshCatalogue(State, P);
  }
  std::vector<JournalRecord> Records() {
    auto contents = Journal.Read();
    EXPECT_TRUE(contents);
    EXPECT_TRUE(contents->Problems.empty());
    return contents->Records;
  }
  // The record must hold the bytes the file had before and has now.
  void ExpectRecordOfPatch(const JournalRecord& R, const sample::Bytes& Before, const char* Kind) {
    const sample::Bytes& after = Files.Files.at(R.SourceFile);
    const auto at = static_cast<size_t>(R.DataOffset);
    EXPECT_EQ(R.Kind, Kind);
    EXPECT_EQ(R.Before, PatchedBytesOf(std::span(Before).subspan(at, 128)));
    EXPECT_EQ(R.After, PatchedBytesOf(std::span(after).subspan(at, 128)));
    EXPECT_NE(R.Before, R.After);
  }
};

TEST(JournalRecords, EveryWayOfPatchingRecordsTheBytesBeforeAndAfter) {
  JournalFixture f;
  f.Files.Put("/g", "a.pff",
              ArchiveBytes({{"ONE.BMS", MissionBytes("BMS", 0x80, 0x01, 0xDEADBEEF)},
                            {"TWO.BMS", MissionBytes("VyK", 0x00, 0x00, 0x00020004)}}));
  f.Files.Put("/g", "L.bms", MissionBytes("bms"));
  f.Refresh();
  ASSERT_EQ(f.State.LastMission, 2);
  const std::string archive = test::GamePath("a.pff");

  sample::Bytes before = f.Files.Files[archive];
  ASSERT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 0), PatchOutcome::Patched);
  auto records = f.Records();
  ASSERT_EQ(records.size(), 1u);
  f.ExpectRecordOfPatch(records[0], before, JournalKind::Toggle);
  EXPECT_EQ(records[0].FileName, "ONE.BMS");
  EXPECT_EQ(records[0].SourceFile, archive);
  EXPECT_EQ(records[0].DataOffset, f.State.Missions[0].DataOffset);
  EXPECT_TRUE(records[0].Reverses.empty());

  before = f.Files.Files[archive];
  ASSERT_EQ(SetMissionEnabled(f.State, f.P, 1, 1, true), PatchOutcome::Patched);
  ASSERT_EQ(SetMissionEnabled(f.State, f.P, 1, 1, true), PatchOutcome::AlreadySo);
  records = f.Records();
  ASSERT_EQ(records.size(), 2u);  // nothing written, nothing recorded
  f.ExpectRecordOfPatch(records[1], before, JournalKind::Set);

  before = f.Files.Files[archive];
  const sample::Bytes looseBefore = f.Files.Files[test::GamePath("L.bms")];
  const BulkRow rows[] = {{0, 0}, {1, 1}, {2, 2}};  // row 0 is already disabled
  const BulkResult bulk = SetMissionsEnabled(f.State, f.P, rows, false);
  ASSERT_EQ(bulk.Patched, 2);
  records = f.Records();
  ASSERT_EQ(records.size(), 4u);
  f.ExpectRecordOfPatch(records[2], before, JournalKind::Bulk);
  f.ExpectRecordOfPatch(records[3], looseBefore, JournalKind::Bulk);
  EXPECT_EQ(records[2].Operation, records[3].Operation);  // one command, one operation
  EXPECT_NE(records[1].Operation, records[2].Operation);

  // An import of a list that enables everything again.
  const std::string list = test::GamePath("all.BRL");
  for (MissionEntry& m : f.State.Missions) m.Enabled = kTrue;
  ASSERT_TRUE(ExportListFile(f.State, f.Files, list).Ok);
  before = f.Files.Files[archive];
  ASSERT_EQ(ImportListFile(f.State, f.P, list).Patched, 3);
  records = f.Records();
  ASSERT_EQ(records.size(), 7u);
  f.ExpectRecordOfPatch(records[4], before, JournalKind::Import);
  EXPECT_EQ(records[4].Operation, records[6].Operation);

  before = f.Files.Files[test::GamePath("L.bms")];
  const UndoResult undo = UndoLastPatches(f.State, f.P, 1);
  ASSERT_EQ(undo.Count(UndoStatus::Restored), 3);
  records = f.Records();
  ASSERT_EQ(records.size(), 10u);
  const JournalRecord& undone = records[7];
  f.ExpectRecordOfPatch(undone, before, JournalKind::Undo);
  EXPECT_EQ(undone.Reverses, records[6].Id);  // newest first
  EXPECT_EQ(undone.Before, records[6].After);
  EXPECT_EQ(undone.After, records[6].Before);
}

TEST(JournalRecords, AJournalThatCannotBeWrittenStopsThePatchBeforeItWrites) {
  JournalFixture f;
  f.Files.Put("/g", "a.pff", ArchiveBytes({{"ONE.BMS", MissionBytes("BMS")}}));
  f.Refresh();
  const sample::Bytes before = f.Files.Files[test::GamePath("a.pff")];
  f.JournalFiles.FailWrite[kJournalPath] = "No space left on device";

  EXPECT_EQ(ToggleMissionEnabled(f.State, f.P, 0, 7), PatchOutcome::Failed);
  EXPECT_EQ(f.Files.Files[test::GamePath("a.pff")], before);
  EXPECT_EQ(f.Files.Counters().Writes, 0u);
  EXPECT_TRUE(f.Host.CellChanges.empty());
  EXPECT_EQ(f.State.Missions[0].Enabled, kTrue);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find("undo journal " + kJournalPath), std::string::npos);
  EXPECT_NE(f.Host.Messages[0].find("No space left on device"), std::string::npos);

  // The import stops at its first row, as on any write failure.
  const std::string list = test::GamePath("l.BRL");
  f.State.Missions[0].Enabled = kFalse;
  ASSERT_TRUE(ExportListFile(f.State, f.Files, list).Ok);
  EXPECT_EQ(ImportListFile(f.State, f.P, list).Status, ImportStatus::Stopped);
  EXPECT_EQ(f.Files.Files[test::GamePath("a.pff")], before);
}

TEST(JournalFile, ATornLineIsSkippedWithAMessageAndTheNextRecordStartsAFreshLine) {
  test::MemoryFileSystem files;
  files.AddFolder("/g");
  const std::string whole = FormatJournalLine(SampleRecord());
  // A crash while the second record was appended.
  files.Files[kJournalPath] = sample::Bytes(whole.begin(), whole.end());
  files.Files[kJournalPath].insert(files.Files[kJournalPath].end(), whole.begin(),
                                   whole.begin() + 40);
  PatchJournal journal(files, kJournalPath);
  std::vector<JournalRecord> added = {SampleRecord()};
  added[0].Id = added[0].Time = "";
  ASSERT_TRUE(journal.Append(added));

  auto contents = journal.Read();
  ASSERT_TRUE(contents);
  ASSERT_EQ(contents->Records.size(), 2u);
  EXPECT_EQ(contents->Records[1].Id, added[0].Id);
  ASSERT_EQ(contents->Problems.size(), 1u);
  EXPECT_NE(contents->Problems[0].find(kJournalPath + ": line 2 "), std::string::npos);
}

TEST(JournalFile, AMissingJournalHoldsNothing) {
  test::MemoryFileSystem files;
  files.AddFolder("/g");
  files.Files[test::GamePath("old-journal.tsv")] = {'x'};  // another file whose name ends alike
  PatchJournal journal(files, kJournalPath);
  auto contents = journal.Read();
  ASSERT_TRUE(contents);
  EXPECT_TRUE(contents->Records.empty());
  EXPECT_TRUE(contents->Problems.empty());
}

TEST(JournalFile, BeyondItsLimitTheOldestRecordsAreDroppedThroughARewrite) {
  test::MemoryFileSystem files;
  files.AddFolder("/g");
  PatchJournal journal(files, kJournalPath, 50);
  std::vector<std::string> ids;
  for (int i = 0; i < 120; ++i) {
    std::vector<JournalRecord> one = {SampleRecord()};
    one[0].Id = one[0].Operation = "";  // each a command of its own: commands go whole
    one[0].DataOffset = i;
    ASSERT_TRUE(journal.Append(one));
    ids.push_back(one[0].Id);
    auto contents = journal.Read();
    ASSERT_LE(contents->Records.size(), 50u) << i;
    EXPECT_EQ(contents->Records.back().Id, ids.back());
  }
  auto contents = journal.Read();
  ASSERT_GE(contents->Records.size(), 45u);
  // Newest kept, in order, oldest dropped.
  for (size_t k = 0; k < contents->Records.size(); ++k)
    EXPECT_EQ(contents->Records[k].Id, ids[ids.size() - contents->Records.size() + k]);
}

TEST(JournalFile, TenThousandRecordsOnDiskAreTrimmedByRenamingAWholeNewFileIntoPlace) {
  test::TempFolder folder;
  auto files = MakeNativeFileSystem();
  const std::string path = folder.File(kJournalFileName);
  std::string text;
  JournalRecord r = SampleRecord();
  for (int i = 0; i < static_cast<int>(kJournalLimit); ++i) {
    r.DataOffset = i;
    r.Operation = r.Id = std::to_string(1000000 + i) + "abcdef000";
    text += FormatJournalLine(r);
  }
  folder.Write(kJournalFileName, sample::Bytes(text.begin(), text.end()));

  PatchJournal journal(*files, path);
  std::vector<JournalRecord> one = {SampleRecord()};
  one[0].DataOffset = -5;
  ASSERT_TRUE(journal.Append(one));
  auto contents = journal.Read();
  ASSERT_TRUE(contents);
  EXPECT_TRUE(contents->Problems.empty());
  ASSERT_LE(contents->Records.size(), kJournalLimit);
  ASSERT_GT(contents->Records.size(), kJournalLimit / 2);
  EXPECT_EQ(contents->Records.back().DataOffset, -5);
  // The records kept are the newest, in order.
  EXPECT_EQ(contents->Records.front().DataOffset,
            static_cast<int32_t>(kJournalLimit + 1 - contents->Records.size()));
  // Nothing of the temporary file stays beside it; the writers' lock file does.
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder.Path())))
    EXPECT_TRUE(entry.path().filename() == kJournalFileName ||
                entry.path().filename() == std::string(kJournalFileName) + kJournalLockSuffix)
        << entry.path();
}

TEST(JournalOperation, AnOperationOpenedInsideAnotherJoinsIt) {
  test::MemoryFileSystem files;
  files.AddFolder("/g");
  PatchJournal journal(files, kJournalPath);
  std::vector<JournalRecord> a(1), b(1), c(1);
  {
    const PatchJournal::Operation outer(&journal, JournalKind::Bulk);
    ASSERT_TRUE(journal.Append(a));
    const PatchJournal::Operation inner(&journal, JournalKind::Set);
    ASSERT_TRUE(journal.Append(b));
  }
  ASSERT_TRUE(journal.Append(c));
  EXPECT_EQ(a[0].Operation, b[0].Operation);
  EXPECT_EQ(b[0].Kind, JournalKind::Bulk);
  EXPECT_NE(c[0].Operation, a[0].Operation);
  EXPECT_NE(a[0].Id, b[0].Id);
}

}  // namespace
}  // namespace brieflist
