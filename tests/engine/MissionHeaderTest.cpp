#include <gtest/gtest.h>

#include "catalogue/MissionHeader.h"
#include "catalogue/TextHelpers.h"
#include "sample/SampleWriter.h"

namespace brieflist {
namespace {

using sample::BuildMission;
using sample::MissionSpec;

MissionEntry Decode(const sample::Bytes& Mission) {
  const ByteReader file(Mission);
  return DecodeMission(file, 0, "X.BMS", "dir/X.BMS", 0);
}

TEST(TextHelpers, StripRemovesEveryNulAndOnlyNamedCharacters) {
  EXPECT_EQ(StripNuls(std::string("A\0B C\0", 6)), "AB C");
  EXPECT_EQ(StripNulsAndSpaces(std::string(" A\0B C\0 ", 8)), "ABC");
  EXPECT_EQ(StripNulsAndSpaces(std::string("\0\0  ", 4)), "");
}

TEST(TextHelpers, HexPairPadsOnlySingleDigits) {
  EXPECT_EQ(HexPair("F"), "0F");
  EXPECT_EQ(HexPair("1A"), "1A");
  EXPECT_EQ(HexPair(""), "");
}

TEST(TextHelpers, BinaryDigitsAreMostSignificantFirst) {
  EXPECT_EQ(BinaryDigits16(0), "0000000000000000");
  EXPECT_EQ(BinaryDigits16(0x8001), "1000000000000001");
  EXPECT_EQ(BinaryDigits16(0xFFFF), "1111111111111111");
  EXPECT_EQ(BinaryDigits16(0x0100), "0000000100000000");
}

TEST(TextHelpers, SignaturesCompareUpperCased) {
  for (const char* valid : {"BMS", "bms", "bMs", "VyK", "VYK", "vyk"})
    EXPECT_TRUE(IsMissionSignature(valid)) << valid;
  for (const char* invalid : {"BM", "XMS", "VY\0", "BMT"})
    EXPECT_FALSE(IsMissionSignature(invalid));
  EXPECT_TRUE(IsEnabledSignature("bms"));
  EXPECT_FALSE(IsEnabledSignature("VyK"));
}

TEST(MissionDecoding, VersionSelectsCreatorAndTerrainOffsets) {
  MissionSpec v1;
  v1.VersionByte = 13;
  v1.Creator = "Old Guard";
  v1.Terrain = "Snow Field";
  const MissionEntry one = Decode(BuildMission(v1));
  EXPECT_EQ(one.GameVersion, 1);
  EXPECT_EQ(one.Creator, "Old Guard");
  EXPECT_EQ(one.Terrain, "Snow Field");

  MissionSpec v2 = v1;
  v2.VersionByte = 15;
  const MissionEntry two = Decode(BuildMission(v2));
  EXPECT_EQ(two.GameVersion, 2);
  EXPECT_EQ(two.Creator, "Old Guard");
  EXPECT_EQ(two.Terrain, "Snow Field");

  // Written at the version-2 places, read as version 1: the fields come from elsewhere.
  sample::Bytes swapped = BuildMission(v2);
  swapped[3] = 13;
  const MissionEntry misread = Decode(swapped);
  EXPECT_EQ(misread.Creator, "d");  // +44 falls on the last letter of the name written at +36
  EXPECT_EQ(misread.Terrain, "");
}

TEST(MissionDecoding, OtherVersionByteReadsCreatorAt36AndNoTerrain) {
  MissionSpec m;
  m.VersionByte = 15;
  m.Creator = "Someone";
  m.Terrain = "Desert";
  sample::Bytes bytes = BuildMission(m);
  bytes[3] = 14;
  const MissionEntry row = Decode(bytes);
  EXPECT_EQ(row.GameVersion, 0);
  EXPECT_EQ(row.Creator, "Someone");
  EXPECT_EQ(row.Terrain, "");
}

TEST(MissionDecoding, NameLosesSpacesWhileCreatorAndTerrainKeepThem) {
  MissionSpec m;
  m.MissionName = "Night Raid";
  m.Creator = "Big Bear";
  m.Terrain = "Dry Lake";
  const MissionEntry row = Decode(BuildMission(m));
  EXPECT_EQ(row.MissionName, "NightRaid");
  EXPECT_EQ(row.Creator, "Big Bear");
  EXPECT_EQ(row.Terrain, "Dry Lake");
}

TEST(MissionDecoding, FlagsComeFromTheBlockTheSignatureSelects) {
  MissionSpec m;
  m.FlagHigh = 0x80;
  m.FlagLow = 0x01;
  const MissionEntry enabled = Decode(BuildMission(m));
  EXPECT_EQ(enabled.Enabled, kTrue);
  EXPECT_EQ(enabled.MissionTypeFlags, "1000000000000001");
  EXPECT_EQ(enabled.Modified, kFalse);

  m.Disabled = true;
  m.Signature = "VyK";
  const MissionEntry disabled = Decode(BuildMission(m));
  EXPECT_EQ(disabled.Enabled, kFalse);
  EXPECT_EQ(disabled.MissionTypeFlags, "1000000000000001");
  EXPECT_EQ(disabled.Modified, kTrue);  // the moved block sits in the modified word
}

TEST(MissionDecoding, LowerCaseSignatureIsEnabledAndAnyMarkerCaseIsDisabled) {
  MissionSpec m;
  m.Signature = "bms";
  EXPECT_EQ(Decode(BuildMission(m)).Enabled, kTrue);
  m.Signature = "vyk";
  EXPECT_EQ(Decode(BuildMission(m)).Enabled, kFalse);
}

TEST(MissionDecoding, ModifiedIsAnyNonZeroWord) {
  for (const uint32_t word : {1u, 0x80000000u, 0xFFFFFFFFu}) {
    MissionSpec m;
    m.ModifiedWord = word;
    EXPECT_EQ(Decode(BuildMission(m)).Modified, kTrue) << word;
  }
}

TEST(MissionDecoding, ShortMissionReadsZerosForTheMissingPart) {
  MissionSpec m;
  m.MissionName = "Short";
  m.FlagHigh = 0xFF;
  m.ModifiedWord = 7;
  m.Size = 20;  // ends inside the name field
  const MissionEntry row = Decode(BuildMission(m));
  EXPECT_EQ(row.Enabled, kTrue);
  EXPECT_EQ(row.MissionName, "Short");
  EXPECT_EQ(row.Creator, "");
  EXPECT_EQ(row.MissionTypeFlags, "0000000000000000");
  EXPECT_EQ(row.Modified, kFalse);

  const sample::Bytes three = {'B', 'M', 'S'};
  const MissionEntry minimal = Decode(three);
  EXPECT_EQ(minimal.GameVersion, 0);
  EXPECT_EQ(minimal.Terrain, "");
  EXPECT_EQ(minimal.MissionTypeFlags, std::string(16, '0'));
}

TEST(MissionDecoding, FieldsAtAnOffsetInsideALargerFile) {
  MissionSpec m;
  m.MissionName = "Inside";
  sample::Bytes file(1000, 0xEE);
  const sample::Bytes mission = BuildMission(m);
  std::copy(mission.begin(), mission.end(), file.begin() + 300);
  const ByteReader reader(file);
  const MissionEntry row = DecodeMission(reader, 300, "I.BMS", "a.pff", 300);
  EXPECT_EQ(row.MissionName, "Inside");
  EXPECT_EQ(row.DataOffset, 300);
  EXPECT_EQ(row.SourceFile, "a.pff");
}

TEST(ByteReaderBounds, EverythingOutsideTheBufferIsZero) {
  const sample::Bytes data = {1, 2, 3, 4};
  const ByteReader r(data);
  EXPECT_EQ(r.U32LE(0), 0x04030201u);
  EXPECT_EQ(r.U32LE(2), 0x00000403u);
  EXPECT_EQ(r.U32LE(-2), 0x02010000u);
  EXPECT_EQ(r.U8(4), 0);
  EXPECT_EQ(r.Bytes(3, 3), std::string("\x04\0\0", 3));
  EXPECT_EQ(r.Bytes(-1, 2), std::string("\0\x01", 2));
  EXPECT_EQ(r.InFile(-10, 12).size(), 2u);
  EXPECT_EQ(r.InFile(10, 5).size(), 0u);
}

}  // namespace
}  // namespace brieflist
