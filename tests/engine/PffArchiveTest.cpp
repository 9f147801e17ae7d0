#include <gtest/gtest.h>

#include "catalogue/PffArchive.h"
#include "catalogue/RefreshCatalogue.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using sample::ArchiveEntry;
using sample::ArchiveOptions;
using sample::BuildArchive;
using sample::BuildMission;
using sample::MissionSpec;
using test::RecordingHost;
using test::TempFolder;

ArchiveEntry Mission(const std::string& Name, const std::string& MissionName = "M",
                     const std::string& Signature = "BMS") {
  MissionSpec m;
  m.MissionName = MissionName;
  m.Signature = Signature;
  return {Name, BuildMission(m), false, 0};
}

class ArchiveReading : public ::testing::Test {
 protected:
  std::vector<MissionEntry> Refresh() {
    State.GameDirectory = Folder.Path();
    RefreshCatalogue(State, Platform{*Files, Host});
    return State.Missions;
  }
  std::vector<std::string> FileNames() {
    std::vector<std::string> names;
    for (const MissionEntry& row : Refresh()) names.push_back(row.FileName);
    return names;
  }

  TempFolder Folder;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  RecordingHost Host;
  CatalogueState State;
};

TEST_F(ArchiveReading, KeepsValidMissionsInDirectoryOrderAndDropsBadSignatures) {
  Folder.Write("a.pff",
               BuildArchive({Mission("ONE.BMS"), Mission("BAD.BMS", "B", "XYZ"),
                             Mission("TWO.BMS", "T", "VyK"), Mission("THREE.BMS", "", "bms")}));
  const auto rows = Refresh();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].FileName, "ONE.BMS");
  EXPECT_EQ(rows[1].FileName, "TWO.BMS");
  EXPECT_EQ(rows[1].Enabled, kFalse);
  EXPECT_EQ(rows[2].FileName, "THREE.BMS");
  EXPECT_EQ(rows[2].Enabled, kTrue);
  EXPECT_EQ(State.LastMission, 2);
  EXPECT_TRUE(Host.Questions.empty());
}

TEST_F(ArchiveReading, RecordsPointAtTheirMissionsData) {
  const std::vector<ArchiveEntry> entries = {Mission("A.BMS", "First"), Mission("B.BMS", "Second")};
  Folder.Write("a.pff", BuildArchive(entries));
  const auto rows = Refresh();
  const auto offsets = sample::ArchiveDataOffsets(entries);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].DataOffset, offsets[0]);
  EXPECT_EQ(rows[1].DataOffset, offsets[1]);
  EXPECT_EQ(rows[1].MissionName, "Second");
  EXPECT_EQ(rows[1].SourceFile, JoinPath(Folder.Path(), "a.pff"));
}

TEST_F(ArchiveReading, MagicIsComparedUpperCasedWithoutAQuestion) {
  ArchiveOptions lower;
  lower.Magic = "pff3";
  Folder.Write("a.pff", BuildArchive({Mission("A.BMS")}, lower));
  EXPECT_EQ(Refresh().size(), 1u);
  EXPECT_TRUE(Host.Questions.empty());
}

TEST_F(ArchiveReading, InvalidHeaderAsksAndYesSkipsTheArchive) {
  ArchiveOptions bad;
  bad.HeaderSize = 24;
  Folder.Write("a.pff", BuildArchive({Mission("A.BMS")}, bad));
  Host.Answers = {true};
  EXPECT_TRUE(Refresh().empty());
  ASSERT_EQ(Host.Questions.size(), 1u);
  EXPECT_EQ(Host.Questions[0],
            "This does not seem to be a valid Pff File!\r\nDo you want to skip this file:\r\n" +
                JoinPath(Folder.Path(), "a.pff"));
  EXPECT_TRUE(Host.WindowStates.empty());  // a skipped archive never disables the window
}

TEST_F(ArchiveReading, InvalidHeaderAnsweredNoIsReadAsItStands) {
  ArchiveOptions bad;
  bad.Magic = "PFF2";
  Folder.Write("a.pff", BuildArchive({Mission("A.BMS")}, bad));
  Host.Answers = {false};
  EXPECT_EQ(Refresh().size(), 1u);
  EXPECT_EQ(Host.Questions.size(), 1u);
}

TEST_F(ArchiveReading, DirectorySizeComesFromTheFileLengthNotEntryCount) {
  for (const int32_t count : {0, 1, -5, 1000}) {
    ArchiveOptions options;
    options.OverrideEntryCount = true;
    options.EntryCount = count;
    Folder.Write("a.pff",
                 BuildArchive({Mission("A.BMS"), Mission("B.BMS"), Mission("C.BMS")}, options));
    EXPECT_EQ(Refresh().size(), 3u) << count;
  }
}

TEST_F(ArchiveReading, EntrySizeAboveThirtyTwoSpacesTheRecords) {
  ArchiveOptions wide;
  wide.EntrySize = 48;
  Folder.Write("a.pff", BuildArchive({Mission("A.BMS"), Mission("B.BMS")}, wide));
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A.BMS", "B.BMS"}));
}

TEST_F(ArchiveReading, EntrySizeZeroOrNegativeGivesNoRecords) {
  for (const int32_t size : {0, -32}) {
    sample::Bytes bytes = BuildArchive({Mission("A.BMS")});
    for (int i = 0; i < 4; ++i) bytes[12 + i] = static_cast<uint8_t>(size >> (8 * i));
    Folder.Write("a.pff", bytes);
    EXPECT_TRUE(Refresh().empty()) << size;
  }
}

TEST_F(ArchiveReading, NamesLoseSpacesAndNulsAndEndingsMatchInAnyCase) {
  Folder.Write("a.pff", BuildArchive({Mission(" MY MAP.BMS"), Mission(std::string("X\0Y.bMs", 7)),
                                      Mission("NOTES.TXT"), Mission("LOWER.bms")}));
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"MYMAP.BMS", "XY.bMs", "LOWER.bms"}));
}

TEST_F(ArchiveReading, DataOffsetPastTheEndReadsZerosAndIsDropped) {
  std::vector<ArchiveEntry> entries = {Mission("A.BMS"), Mission("B.BMS")};
  entries[1].OverrideOffset = true;
  entries[1].DataOffset = 1 << 30;
  Folder.Write("a.pff", BuildArchive(entries));
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A.BMS"}));
  entries[1].DataOffset = -100;
  Folder.Write("a.pff", BuildArchive(entries));
  EXPECT_EQ(FileNames(), (std::vector<std::string>{"A.BMS"}));
}

TEST_F(ArchiveReading, DirectoryOffsetsAtTheEndsOfTheRangeReadNothingOutsideTheFile) {
  for (const uint32_t directory : {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFF0u}) {
    sample::Bytes bytes = BuildArchive({Mission("A.BMS")});
    for (int i = 0; i < 4; ++i) bytes[16 + i] = static_cast<uint8_t>(directory >> (8 * i));
    Folder.Write("a.pff", bytes);
    EXPECT_TRUE(Refresh().empty()) << directory;
  }
}

TEST_F(ArchiveReading, FileShorterThanItsDirectoryGivesNothing) {
  sample::Bytes bytes = BuildArchive({Mission("A.BMS")});
  bytes.resize(30);
  Folder.Write("a.pff", bytes);
  EXPECT_TRUE(Refresh().empty());
  Folder.Write("a.pff", sample::Bytes{});
  Host.Answers = {false};  // an empty file has no valid header; read it anyway
  EXPECT_TRUE(Refresh().empty());
}

TEST_F(ArchiveReading, WindowIsDisabledWhileAnArchiveIsRead) {
  Folder.Write("a.pff", BuildArchive({Mission("A.BMS")}));
  Folder.Write("b.pff", BuildArchive({Mission("X.TXT")}));
  Refresh();
  EXPECT_EQ(Host.WindowStates, (std::vector<bool>{false, true, false, true}));
}

TEST(DirectoryCount, DerivedFromLengthWithoutTheFooter) {
  PffHeader h;
  h.EntrySize = 32;
  h.DirectoryOffset = 100;
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 12 + 64), 2);
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 12 + 63), 1);
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 11), 0);
  EXPECT_EQ(ComputeDirectoryCount(h, 50), 0);
  h.DirectoryOffset = -2147483647 - 1;  // no 32-bit wrap
  EXPECT_EQ(ComputeDirectoryCount(h, 1000), (1000 + 2147483648LL - 12) / 32);
}

}  // namespace
}  // namespace brieflist
