// ApplyImportedState: rows of a list file are untrusted, so only real mission positions of game
// files are patched.
#include <gtest/gtest.h>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::ArchiveBytes;
using test::MissionBytes;

struct ImportFixture {
  test::MemoryFileSystem Files;
  test::RecordingHost Host;
  CatalogueState State;
  Platform P{Files, Host};

  PatchOutcome Apply(const std::string& SourceFile, int32_t DataOffset, BooleanFlag Enabled,
                     const std::string& FileName = "A.BMS") {
    MissionEntry row;
    row.FileName = FileName;
    row.SourceFile = SourceFile;
    row.DataOffset = DataOffset;
    row.Enabled = Enabled;
    State.ImportedMissions = {row};
    State.LastImported = 0;
    return ApplyImportedState(State, P, 0, 0);
  }

  std::string SignatureAt(const std::string& Path, size_t Offset) {
    const sample::Bytes& b = Files.Files.at(Path);
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(Offset),
                       b.begin() + static_cast<std::ptrdiff_t>(Offset) + 3);
  }
};

TEST(ApplyImportedState, PatchesOnlyWhenTheStateDiffers) {
  ImportFixture f;
  f.Files.Put("/g", "m.PFF", ArchiveBytes({{"A.BMS", MissionBytes("BMS")}}));
  f.Files.Put("/g", "L.Bms", MissionBytes("vyk"));
  const sample::Bytes archive = f.Files.Files[test::GamePath("m.PFF")];

  f.Files.ResetCounters();
  EXPECT_EQ(f.Apply(test::GamePath("m.PFF"), 20, kTrue), PatchOutcome::AlreadySo);
  EXPECT_EQ(f.Apply(test::GamePath("L.Bms"), 0, kFalse, "L.Bms"), PatchOutcome::AlreadySo);
  EXPECT_EQ(f.Apply(test::GamePath("m.PFF"), 20, 5),
            PatchOutcome::AlreadySo);  // neither True nor False
  EXPECT_EQ(f.Files.Counters().Writes, 0u);
  EXPECT_EQ(f.Files.Files[test::GamePath("m.PFF")], archive);

  EXPECT_EQ(f.Apply(test::GamePath("m.PFF"), 20, kFalse), PatchOutcome::Patched);
  EXPECT_EQ(f.SignatureAt(test::GamePath("m.PFF"), 20), "VyK");
  EXPECT_EQ(f.Apply(test::GamePath("L.Bms"), 0, kTrue, "L.Bms"), PatchOutcome::Patched);
  EXPECT_EQ(f.SignatureAt(test::GamePath("L.Bms"), 0), "BMS");
  EXPECT_TRUE(f.Host.Messages.empty());
  EXPECT_TRUE(f.Host.CellChanges.empty());
  EXPECT_EQ(f.State.LastMission, -1);  // no catalogue row is touched
}

TEST(ApplyImportedState, AMissionInTheWantedStateNeedsNoWriteAccess) {
  ImportFixture f;
  f.Files.Put("/g", "m.pff", ArchiveBytes({{"A.BMS", MissionBytes("VyK")}}));
  f.Files.FailWrite[test::GamePath("m.pff")] = "Permission denied";
  EXPECT_EQ(f.Apply(test::GamePath("m.pff"), 20, kFalse), PatchOutcome::AlreadySo);
  EXPECT_TRUE(f.Host.Messages.empty());
}

// Positions a shared list file can name that hold "BMS" but are not missions of game files.
TEST(ApplyImportedState, PatchesNothingButRealMissionPositions) {
  sample::Bytes text = MissionBytes("BMS");
  sample::Bytes badHeader = ArchiveBytes({{"A.BMS", MissionBytes()}});
  badHeader[4] = 'X';  // magic "XFF3"
  sample::Bytes withBin = ArchiveBytes({{"A.BMS", MissionBytes()}, {"T.BIN", MissionBytes()}});
  const int32_t binOffset = 20 + 300;
  sample::Bytes inside = ArchiveBytes({{"A.BMS", MissionBytes()}});
  // "BMS" inside the mission's filler, where no directory record points.
  inside[20 + 200] = 'B', inside[20 + 201] = 'M', inside[20 + 202] = 'S';

  const struct {
    const char* Name;
    std::string Path;
    sample::Bytes Data;
    int32_t Offset;
  } cases[] = {
      {"a text file", test::GamePath("notes.txt"), text, 0},
      {"a loose file at an offset", test::GamePath("A.BMS"), text, 20},
      {"an archive with an invalid header", test::GamePath("bad.pff"), badHeader, 20},
      {"a text resource of an archive", test::GamePath("bin.pff"), withBin, binOffset},
      {"the inside of a mission", test::GamePath("in.pff"), inside, 20 + 200},
      {"a negative offset", test::GamePath("in.pff"), inside, -5},
  };
  for (const auto& c : cases) {
    ImportFixture f;
    f.Files.AddFolder("/g");
    f.Files.Files[c.Path] = c.Data;
    EXPECT_EQ(f.Apply(c.Path, c.Offset, kFalse, "notes.txt"), PatchOutcome::Reported) << c.Name;
    EXPECT_EQ(f.Files.Files[c.Path], c.Data) << c.Name;
    ASSERT_EQ(f.Host.Messages.size(), 1u) << c.Name;
    // A loose position gives up at once; a packed one refreshes and finds nothing of that name.
    EXPECT_EQ(f.Host.Messages[0], c.Offset == 0 ? kFileInvalidOrNotFound : kFileCouldNotBeFound)
        << c.Name;
  }
}

TEST(ApplyImportedState, TheRetryPatchesTheMissionFoundAgainToTheImportedState) {
  ImportFixture f;
  f.Files.Put("/g", "m.pff",
              ArchiveBytes({{"T.BIN", sample::Bytes(600, 0)}, {"A.BMS", MissionBytes()}}));
  // The list recorded A.BMS at 20, where it stood before the archive was rebuilt.
  EXPECT_EQ(f.Apply(test::GamePath("m.pff"), 20, kFalse), PatchOutcome::Patched);
  EXPECT_EQ(f.SignatureAt(test::GamePath("m.pff"), 620), "VyK");
  EXPECT_EQ(f.Host.Refreshes, 1);
  EXPECT_EQ(f.State.GameDirectory, test::GamePath(""));
  EXPECT_TRUE(f.Host.Messages.empty());
}

TEST(ApplyImportedState, UnreadableAndUnwritableFilesAreReportedByName) {
  const struct {
    const char* Name;
    bool Missing;
    const char* FailOpen;
    const char* FailWrite;
    const char* Reason;
  } cases[] = {
      {"missing", true, nullptr, nullptr, "No such file or directory"},
      {"locked", false, "Permission denied", nullptr, "Permission denied"},
      {"read-only", false, nullptr, "Read-only file system", "Read-only file system"},
  };
  for (const auto& c : cases) {
    ImportFixture f;
    if (!c.Missing) f.Files.Put("/g", "m.pff", ArchiveBytes({{"A.BMS", MissionBytes()}}));
    if (c.FailOpen) f.Files.FailOpen[test::GamePath("m.pff")] = c.FailOpen;
    if (c.FailWrite) f.Files.FailWrite[test::GamePath("m.pff")] = c.FailWrite;
    EXPECT_EQ(f.Apply(test::GamePath("m.pff"), 20, kFalse), PatchOutcome::Failed) << c.Name;
    ASSERT_EQ(f.Host.Messages.size(), 1u) << c.Name;
    EXPECT_NE(f.Host.Messages[0].find(test::GamePath("m.pff")), std::string::npos) << c.Name;
    EXPECT_NE(f.Host.Messages[0].find(c.Reason), std::string::npos) << c.Name;
    EXPECT_EQ(f.Host.Refreshes, 0) << c.Name;
  }
}

}  // namespace
}  // namespace brieflist
