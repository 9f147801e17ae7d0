// Switching many missions at once: exactly the rows asked, one flush per file, one closing
// message for everything that failed.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue/RefreshCatalogue.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

// Two archives and a loose mission; every mission has its own recognisable flags.
struct BulkFixture {
  test::MemoryFileSystem Files;
  test::MemoryFileSystem JournalFiles;
  test::RecordingHost Host;
  CatalogueState State;
  PatchJournal Journal{JournalFiles, test::GamePath("journal.tsv")};
  Platform P{Files, Host, &Journal};

  BulkFixture() {
    JournalFiles.AddFolder("/g");
    Files.Put("/g", "a.pff",
              ArchiveBytes({{"A1.BMS", MissionBytes("BMS", 0x80, 0x01)},
                            {"A2.BMS", MissionBytes("VyK", 0x00, 0x00, 0x00020040)},
                            {"A3.BMS", MissionBytes("bms", 0x00, 0x03)},
                            {"A4.BMS", MissionBytes("BMS", 0x00, 0x04)}}));
    Files.Put("/g", "b.pff",
              ArchiveBytes({{"B1.BMS", MissionBytes("BMS", 0x00, 0x11)},
                            {"B2.BMS", MissionBytes("BMS", 0x00, 0x12)}}));
    Files.Put("/g", "L.bms", MissionBytes("BMS", 0x00, 0x21));
    Refresh();
  }
  void Refresh() {
    State.GameDirectory = "/g";
    RefreshCatalogue(State, P);
  }
  int32_t Row(const std::string& FileName) const {
    for (size_t i = 0; i < State.Missions.size(); ++i)
      if (State.Missions[i].FileName == FileName) return static_cast<int32_t>(i);
    return -1;
  }
  std::vector<BulkRow> Rows(std::initializer_list<const char*> Names) const {
    std::vector<BulkRow> rows;
    for (const char* name : Names) rows.push_back({Row(name), 100 + Row(name)});
    return rows;
  }
};

// The header a mission must have after being switched to Enabled, from its header before.
sample::Bytes Switched(sample::Bytes File, size_t Offset, bool Enabled) {
  WriteMissionState(std::span(File).subspan(Offset, 128), Enabled);
  return File;
}

TEST(SetMissionsEnabled, WritesExactlyTheRowsAskedThatAreNotYetSo) {
  BulkFixture f;
  std::map<std::string, sample::Bytes> expected = f.Files.Files;
  const auto expectSwitched = [&](const char* Name) {
    const MissionEntry& m = f.State.Missions[static_cast<size_t>(f.Row(Name))];
    sample::Bytes& file = expected[m.SourceFile];
    file = Switched(file, static_cast<size_t>(m.DataOffset), false);
  };
  expectSwitched("A1.BMS");
  expectSwitched("A3.BMS");
  expectSwitched("B2.BMS");
  expectSwitched("L.bms");

  // A2 is already disabled; A4 and B1 are not asked for.
  const auto rows = f.Rows({"B2.BMS", "A1.BMS", "A2.BMS", "L.bms", "A3.BMS", "A1.BMS"});
  EXPECT_EQ(RowsToSwitch(f.State, rows, false).size(), 4u);
  const BulkResult result = SetMissionsEnabled(f.State, f.P, rows, false);

  EXPECT_EQ(f.Files.Files, expected);
  EXPECT_EQ(result.Patched, 4);
  EXPECT_EQ(result.AlreadySo, 1);
  EXPECT_EQ(result.Failed, 0);
  ASSERT_EQ(result.Rows.size(), 5u);  // the repeated row once
  EXPECT_EQ(result.Rows[0].FileName, "B2.BMS");
  EXPECT_EQ(result.Rows[2].Outcome, PatchOutcome::AlreadySo);
  EXPECT_TRUE(f.Host.Messages.empty());
  EXPECT_EQ(f.Host.Refreshes, 1);  // the fixture's own
  for (const char* name : {"A1.BMS", "A2.BMS", "A3.BMS", "B2.BMS", "L.bms"})
    EXPECT_EQ(f.State.Missions[static_cast<size_t>(f.Row(name))].Enabled, kFalse) << name;
  EXPECT_EQ(f.State.Missions[static_cast<size_t>(f.Row("A4.BMS"))].Enabled, kTrue);
  std::vector<std::pair<int64_t, bool>> cells = f.Host.CellChanges;
  std::sort(cells.begin(), cells.end());
  const std::vector<std::pair<int64_t, bool>> wanted = {{100 + f.Row("A1.BMS"), false},
                                                        {100 + f.Row("A3.BMS"), false},
                                                        {100 + f.Row("B2.BMS"), false},
                                                        {100 + f.Row("L.bms"), false}};
  EXPECT_EQ(cells, wanted);

  // And back: enabling restores the flag blocks where they were.
  const sample::Bytes archiveB = f.Files.Files[test::GamePath("b.pff")];
  EXPECT_EQ(SetMissionsEnabled(f.State, f.P, f.Rows({"B2.BMS"}), true).Patched, 1);
  EXPECT_EQ(
      f.Files.Files[test::GamePath("b.pff")],
      Switched(archiveB, static_cast<size_t>(f.State.Missions[f.Row("B2.BMS")].DataOffset), true));
}

TEST(SetMissionsEnabled, EachFileIsOpenedAndFlushedOnceWithOneReadAndWritePerMission) {
  BulkFixture f;
  f.Files.ResetCounters();
  f.JournalFiles.ResetCounters();
  const auto rows = f.Rows({"A1.BMS", "A3.BMS", "A4.BMS", "B1.BMS", "B2.BMS"});
  ASSERT_EQ(SetMissionsEnabled(f.State, f.P, rows, false).Patched, 5);
  const IoCounters& c = f.Files.Counters();
  EXPECT_EQ(c.Opens, 2u);
  EXPECT_EQ(c.Reads, 5u + 2u * 2u);  // and each archive's header and directory
  EXPECT_EQ(c.Writes, 5u);
  EXPECT_EQ(c.Flushes, 2u);
  // One journal append per file, before its writes.
  EXPECT_EQ(f.JournalFiles.Counters().Flushes, 2u);
  auto journal = f.Journal.Read();
  EXPECT_EQ(journal->Records.size(), 5u);
}

TEST(SetMissionsEnabled, FailuresAreListedInOneClosingMessageAndTheRestIsSwitched) {
  BulkFixture f;
  f.Files.FailWrite[test::GamePath("a.pff")] = "Read-only file system";
  f.Files.Files[test::GamePath("L.bms")][0] = 'X';  // no longer a mission
  const auto rows = f.Rows({"A1.BMS", "B1.BMS", "L.bms"});
  std::vector<BulkRow> asked(rows);
  asked.push_back({99, 7});  // not in the catalogue
  const BulkResult result = SetMissionsEnabled(f.State, f.P, asked, false);

  EXPECT_EQ(result.Patched, 1);
  EXPECT_EQ(result.Failed, 3);
  EXPECT_EQ(f.State.Missions[static_cast<size_t>(f.Row("B1.BMS"))].Enabled, kFalse);
  EXPECT_EQ(f.State.Missions[static_cast<size_t>(f.Row("A1.BMS"))].Enabled, kTrue);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  const std::string& message = f.Host.Messages[0];
  EXPECT_EQ(message, result.FailureMessage());
  EXPECT_NE(message.find("Could not switch 3 of 4 missions"), std::string::npos);
  EXPECT_NE(message.find("A1.BMS (" + test::GamePath("a.pff") + ")"), std::string::npos);
  EXPECT_NE(message.find("Read-only file system"), std::string::npos);
  EXPECT_NE(message.find(std::string("L.bms (") + test::GamePath("L.bms") +
                         "): " + kFileInvalidOrNotFound),
            std::string::npos);
  EXPECT_NE(message.find(std::string("row 99: ") + kFileCouldNotBeFound), std::string::npos);
  EXPECT_EQ(f.Host.CellChanges.size(), 1u);
}

TEST(SetMissionsEnabled, AJournalThatCannotBeWrittenLeavesEveryFileAsItWas) {
  BulkFixture f;
  const auto files = f.Files.Files;
  f.JournalFiles.FailWrite[f.Journal.Path()] = "Disk quota exceeded";
  const BulkResult result =
      SetMissionsEnabled(f.State, f.P, f.Rows({"A1.BMS", "B1.BMS", "L.bms"}), false);
  EXPECT_EQ(result.Failed, 3);
  EXPECT_EQ(f.Files.Files, files);
  EXPECT_EQ(f.Files.Counters().Writes, 0u);
  ASSERT_EQ(f.Host.Messages.size(), 1u);
  EXPECT_NE(f.Host.Messages[0].find("Disk quota exceeded"), std::string::npos);
  EXPECT_TRUE(f.Host.CellChanges.empty());
}

TEST(SetMissionsEnabled, AMissionThatMovedIsFoundAgainByTheLocateStepAfterTheOthers) {
  BulkFixture f;
  // b.pff is rebuilt with another mission in front: B2 is no longer at its recorded offset.
  f.Files.Files[test::GamePath("b.pff")] =
      ArchiveBytes({{"NEW.BMS", MissionBytes("BMS", 0x00, 0x31, 0, 500)},
                    {"B1.BMS", MissionBytes("BMS", 0x00, 0x11)},
                    {"B2.BMS", MissionBytes("BMS", 0x00, 0x12)}});
  const auto rows = f.Rows({"B2.BMS", "A1.BMS"});
  const BulkResult result = SetMissionsEnabled(f.State, f.P, rows, false);
  EXPECT_EQ(result.Failed, 0) << result.FailureMessage();
  EXPECT_EQ(result.Patched, 2);
  EXPECT_EQ(f.Host.Refreshes, 2);  // the fixture's, and the locate step's
  const int32_t b2 = f.Row("B2.BMS");
  ASSERT_GE(b2, 0);
  EXPECT_EQ(f.State.Missions[static_cast<size_t>(b2)].Enabled, kFalse);
  const sample::Bytes& archive = f.Files.Files[test::GamePath("b.pff")];
  const auto at = static_cast<size_t>(f.State.Missions[static_cast<size_t>(b2)].DataOffset);
  EXPECT_EQ(std::string(archive.begin() + at, archive.begin() + at + 3), "VyK");
  EXPECT_EQ(f.State.Missions[static_cast<size_t>(f.Row("A1.BMS"))].Enabled, kFalse);
  EXPECT_TRUE(f.Host.Messages.empty());
}

TEST(SetMissionsEnabled, TheNativeFileSystemWritesTheSameBytes) {
  test::TempFolder folder;
  folder.Write("a.pff", ArchiveBytes({{"A1.BMS", MissionBytes("BMS", 0x80, 0x01)},
                                      {"A2.BMS", MissionBytes("BMS", 0x00, 0x02)},
                                      {"A3.BMS", MissionBytes("BMS", 0x00, 0x03)}}));
  auto files = MakeNativeFileSystem();
  test::RecordingHost host;
  PatchJournal journal(*files, folder.File("journal.tsv"));
  const Platform p{*files, host, &journal};
  CatalogueState state;
  state.GameDirectory = folder.Path();
  RefreshCatalogue(state, p);
  ASSERT_EQ(state.LastMission, 2);
  sample::Bytes expected = test::ReadBytes(folder.File("a.pff"));
  for (int32_t i : {0, 2}) {
    const auto at = static_cast<size_t>(state.Missions[static_cast<size_t>(i)].DataOffset);
    WriteMissionState(std::span(expected).subspan(at, 128), false);
  }
  files->ResetCounters();
  const BulkRow rows[] = {{0, 0}, {2, 2}};
  ASSERT_EQ(SetMissionsEnabled(state, p, rows, false).Patched, 2) << host.Messages.size();
  EXPECT_EQ(test::ReadBytes(folder.File("a.pff")), expected);
  // One flush for the archive, one for the journal's append before it.
  EXPECT_EQ(files->Counters().Flushes, 2u);
  auto records = journal.Read();
  ASSERT_TRUE(records);
  EXPECT_EQ(records->Records.size(), 2u);
}

}  // namespace
}  // namespace brieflist
