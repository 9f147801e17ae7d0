#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/RefreshCatalogue.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using sample::ArchiveEntry;
using sample::BuildArchive;
using sample::BuildMission;
using sample::MissionSpec;
using test::RecordingHost;
using test::TempFolder;

sample::Bytes MissionBytes(const std::string& Name, const std::string& Signature = "BMS") {
  MissionSpec m;
  m.MissionName = Name;
  m.Signature = Signature;
  return BuildMission(m);
}

ArchiveEntry Packed(const std::string& FileName) {
  return {FileName, MissionBytes(FileName), false, 0};
}

class Refreshing : public ::testing::Test {
 protected:
  RefreshReport Refresh(const std::string& Folder) {
    State.GameDirectory = Folder;
    return RefreshCatalogue(State, Platform{*Files, Host});
  }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const MissionEntry& row : State.Missions) names.push_back(row.FileName);
    return names;
  }

  TempFolder Folder;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  RecordingHost Host;
  CatalogueState State;
};

TEST_F(Refreshing, EmptyFolderGivesAnEmptyCatalogue) {
  const RefreshReport report = Refresh(Folder.Path());
  EXPECT_EQ(State.LastMission, -1);
  EXPECT_TRUE(State.Missions.empty());
  EXPECT_TRUE(report.Problems.empty());
  EXPECT_EQ(Host.Refreshes, 1);
  EXPECT_EQ(State.MapNames.size(), 1u);
}

TEST_F(Refreshing, ArchivesWithoutMissionsDoNotShiftTheFirstRow) {
  // The first archive that stores a row starts at row 0, whatever was read before it.
  Folder.Write("a.pff", BuildArchive({{"README.TXT", {1, 2, 3}, false, 0}}));
  Folder.Write("b.pff", BuildArchive({Packed("B1.BMS"), Packed("B2.BMS")}));
  Folder.Write("c.pff", BuildArchive({{"BAD.BMS", MissionBytes("x", "ABC"), false, 0}}));
  Folder.Write("d.pff", BuildArchive({Packed("D1.BMS")}));
  Folder.Write("e.bms", MissionBytes("E"));
  Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"B1.BMS", "B2.BMS", "D1.BMS", "e.bms"}));
  EXPECT_EQ(State.LastMission, 3);
}

TEST_F(Refreshing, LooseMissionsAloneStartAtRowZero) {
  Folder.Write("x.pff", BuildArchive({{"T.TXT", {0}, false, 0}}));
  Folder.Write("one.bms", MissionBytes("One"));
  Folder.Write("two.BMS", MissionBytes("Two", "vYk"));
  Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"one.bms", "two.BMS"}));
  EXPECT_EQ(State.Missions[0].DataOffset, 0);
  EXPECT_EQ(State.Missions[1].Enabled, kFalse);
  EXPECT_EQ(State.LastMission, 1);
}

TEST_F(Refreshing, UnderscoreArchivesAreSkippedButUnderscoreLooseFilesAreRead) {
  Folder.Write("_off.pff", BuildArchive({Packed("HIDDEN.BMS"),
                                         {"T.BIN", sample::BuildRtxt({{"K", "T"}}), false, 0}}));
  Folder.Write("on.pff", BuildArchive({Packed("SHOWN.BMS")}));
  Folder.Write("_loose.bms", MissionBytes("L"));
  Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"SHOWN.BMS", "_loose.bms"}));
  EXPECT_EQ(State.MapNames.size(), 1u);
}

TEST_F(Refreshing, OrderIsByNameIgnoringCaseArchivesFirst) {
  Folder.Write("b.PFF", BuildArchive({Packed("FROM_B.BMS")}));
  Folder.Write("A.pff", BuildArchive({Packed("FROM_A.BMS")}));
  Folder.Write("c.pff", BuildArchive({Packed("FROM_C.BMS")}));
  Folder.Write("Z.bms", MissionBytes("Z"));
  Folder.Write("a loose.bms", MissionBytes("A"));
  Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"FROM_A.BMS", "FROM_B.BMS", "FROM_C.BMS",
                                                   "a loose.bms", "Z.bms"}));
}

TEST_F(Refreshing, LooseFilesWithoutSignatureAddNoRowAndFoldersAreNotListed) {
  Folder.Write("junk.bms", {'X', 'Y', 'Z', 0});
  Folder.Write("empty.bms", {});
  std::filesystem::create_directory(Folder.File("folder.bms"));
  std::filesystem::create_directory(Folder.File("folder.pff"));
  Folder.Write("real.bms", MissionBytes("R"));
  const RefreshReport report = Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"real.bms"}));
  EXPECT_TRUE(report.Problems.empty());
}

TEST_F(Refreshing, SourceFileJoinsFolderAndNameWithoutDoublingTheSeparator) {
  Folder.Write("a.pff", BuildArchive({Packed("P.BMS")}));
  Folder.Write("l.bms", MissionBytes("L"));
  const std::string plain = Folder.Path();
  const std::string trailing = plain + kSeparator;
  for (const std::string& folder : {plain, trailing}) {
    Refresh(folder);
    ASSERT_EQ(State.Missions.size(), 2u);
    EXPECT_EQ(State.Missions[0].SourceFile, plain + kSeparator + "a.pff");
    EXPECT_EQ(State.Missions[1].SourceFile, plain + kSeparator + "l.bms");
  }
}

TEST_F(Refreshing, MissingFolderGivesEmptyCatalogueAndAProblem) {
  Folder.Write("l.bms", MissionBytes("L"));
  Refresh(Folder.Path());
  ASSERT_EQ(State.LastMission, 0);
  const RefreshReport report = Refresh(Folder.File("no such folder"));
  EXPECT_EQ(State.LastMission, -1);
  EXPECT_TRUE(State.Missions.empty());
  ASSERT_EQ(report.Problems.size(), 1u);
  EXPECT_EQ(report.Problems[0].Reason, "folder not found");
  EXPECT_EQ(Host.LastReport.Problems.size(), 1u);
}

TEST_F(Refreshing, FewerMissionsThanBeforeLeaveNoOldRows) {
  Folder.Write("a.pff", BuildArchive({Packed("A1.BMS"), Packed("A2.BMS"), Packed("A3.BMS")}));
  Refresh(Folder.Path());
  ASSERT_EQ(State.Missions.size(), 3u);
  Folder.Write("a.pff", BuildArchive({Packed("A1.BMS")}));
  Refresh(Folder.Path());
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A1.BMS"}));
  EXPECT_EQ(State.LastMission, 0);
}

TEST_F(Refreshing, TwiceGivesTheSameRowsAndWritesNothing) {
  sample::FolderSummary summary;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleFolder(Folder.Path(), {3, 7, 5, 4, 42}, summary, error)) << error;
  std::map<std::string, std::pair<sample::Bytes, std::filesystem::file_time_type>> before;
  for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
    before[entry.path().string()] = {test::ReadBytes(entry.path().string()),
                                     entry.last_write_time()};

  Refresh(Folder.Path());
  const auto first = State.Missions;
  const auto firstNames = State.MapNames;
  Refresh(Folder.Path());
  EXPECT_EQ(State.Missions, first);
  EXPECT_EQ(State.MapNames, firstNames);
  EXPECT_EQ(static_cast<int>(first.size()), summary.Missions);
  EXPECT_EQ(Files->Counters().Writes, 0u);

  std::map<std::string, std::pair<sample::Bytes, std::filesystem::file_time_type>> after;
  for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
    after[entry.path().string()] = {test::ReadBytes(entry.path().string()),
                                    entry.last_write_time()};
  EXPECT_EQ(before, after);
}

TEST_F(Refreshing, OneOpenPerFileAndEveryFileClosed) {
  sample::FolderSummary summary;
  std::string error;
  ASSERT_TRUE(sample::MakeSampleFolder(Folder.Path(), {3, 10, 5, 4, 7}, summary, error));
  Files->ResetCounters();
  Refresh(Folder.Path());
  EXPECT_EQ(Files->Counters().Opens, 3u + 4u);
  EXPECT_EQ(Files->Counters().Closes, Files->Counters().Opens);
  EXPECT_EQ(Files->Counters().Reads, 3u + 4u);
}

// The real disk, except that whole-file reads of one archive fail as a locked file would.
class OneUnreadableArchive : public FileSystem {
 public:
  OneUnreadableArchive(FileSystem& Inner, std::string Name)
      : Inner_(Inner), Name_(std::move(Name)) {}
  IoResult<std::vector<std::string>> ListFiles(const std::string& F,
                                               const std::string& S) override {
    return Inner_.ListFiles(F, S);
  }
  bool IsFolder(const std::string& P) override { return Inner_.IsFolder(P); }
  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& P) override {
    if (P.size() >= Name_.size() && P.compare(P.size() - Name_.size(), Name_.size(), Name_) == 0)
      return IoError{P, "Permission denied"};
    return Inner_.ReadWhole(P);
  }
  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& P, size_t C) override {
    return Inner_.ReadPrefix(P, C);
  }
  IoResult<bool> ReplaceFile(const std::string& P, std::span<const uint8_t> B) override {
    return Inner_.ReplaceFile(P, B);
  }
  const IoCounters& Counters() const override { return Inner_.Counters(); }
  void ResetCounters() override { Inner_.ResetCounters(); }

 private:
  FileSystem& Inner_;
  std::string Name_;
};

TEST_F(Refreshing, UnreadableArchiveIsSkippedAndReported) {
  Folder.Write("a.pff", BuildArchive({Packed("A.BMS")}));
  Folder.Write("b.pff", BuildArchive({Packed("B.BMS")}));
  Folder.Write("c.pff", BuildArchive({Packed("C.BMS")}));
  OneUnreadableArchive files(*Files, "b.pff");
  State.GameDirectory = Folder.Path();
  const RefreshReport report = RefreshCatalogue(State, Platform{files, Host});
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A.BMS", "C.BMS"}));
  ASSERT_EQ(report.Problems.size(), 1u);
  EXPECT_EQ(report.Problems[0].Path, JoinPath(Folder.Path(), "b.pff"));
  EXPECT_EQ(report.Problems[0].Reason, "Permission denied");
}

TEST_F(Refreshing, HoldsMoreMissionsThanASixteenBitIndex) {
  std::vector<ArchiveEntry> entries;
  MissionSpec tiny;
  tiny.Size = 128;
  const sample::Bytes mission = BuildMission(tiny);
  for (int i = 0; i < 17000; ++i) {
    std::string name = "M";  // appended: "M" + ... makes g++ 12 -O3 warn falsely
    name += std::to_string(i) + ".BMS";
    entries.push_back({name, mission, false, 0});
  }
  Folder.Write("a.pff", BuildArchive(entries));
  Folder.Write("b.pff", BuildArchive(entries));
  Refresh(Folder.Path());
  EXPECT_EQ(State.LastMission, 33999);
  EXPECT_EQ(State.Missions.size(), 34000u);
  EXPECT_EQ(State.Missions[33999].FileName, "M16999.BMS");
}

}  // namespace
}  // namespace brieflist
