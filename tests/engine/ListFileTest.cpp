// The list file format: golden bytes, round trips and damaged files.
#include <gtest/gtest.h>

#include <random>

#include "exchange/ListFile.h"

namespace brieflist {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<std::string> Parts) {
  Bytes out;
  for (const std::string& p : Parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

MissionEntry GoldenRow() {
  MissionEntry r;
  r.FileName = "A.BMS";
  r.MissionName = "TEST";
  r.MissionTypeFlags = "0000000000000001";
  r.Enabled = kTrue;
  r.Modified = kFalse;
  r.SourceFile = "C:\\G\\A.BMS";
  r.DataOffset = 0;
  r.GameVersion = 2;
  return r;
}

TEST(ListFile, WritesTheOneRowExampleByteForByte) {
  const std::vector<MissionEntry> rows = {GoldenRow()};
  const ListEncodeResult encoded = EncodeListFile(rows);
  ASSERT_TRUE(encoded.Ok);
  const Bytes golden =
      Concat({std::string("\0\0", 2), std::string("\5\0", 2), "A.BMS", std::string("\4\0", 2),
              "TEST", std::string("\0\0", 2), std::string("\x10\0", 2), "0000000000000001",
              "\xFF\xFF", std::string("\0\0", 2), std::string("\x0A\0", 2), "C:\\G\\A.BMS",
              std::string("\0\0\0\0", 4), std::string("\2\0", 2), std::string("\0\0", 2)});
  ASSERT_EQ(golden.size(), 59u);
  EXPECT_EQ(encoded.Bytes, golden);

  const ListDecodeResult decoded = DecodeListFile(golden);
  ASSERT_TRUE(decoded.Ok) << decoded.Reason;
  EXPECT_EQ(decoded.Rows, rows);
  EXPECT_EQ(decoded.BytesUsed, 59u);
}

TEST(ListFile, AnEmptyCatalogueIsTheTwoBytesFFFF) {
  const ListEncodeResult encoded = EncodeListFile({});
  ASSERT_TRUE(encoded.Ok);
  EXPECT_EQ(encoded.Bytes, (Bytes{0xFF, 0xFF}));
  for (const Bytes& empty : {Bytes{0xFF, 0xFF}, Bytes{0xFB, 0xFF, 1, 2, 3}, Bytes{0x00, 0x80}}) {
    const ListDecodeResult decoded = DecodeListFile(empty);
    EXPECT_TRUE(decoded.Ok);
    EXPECT_TRUE(decoded.Rows.empty());
  }
}

TEST(ListFile, RoundTripsAnyRowsAndIgnoresWhatFollowsTheLastRow) {
  std::mt19937 rng(7);
  const auto text = [&](size_t MaxLength) {
    std::string s(rng() % (MaxLength + 1), '\0');
    for (char& c : s) c = static_cast<char>(rng());  // every byte value, NUL included
    return s;
  };
  std::vector<MissionEntry> rows(300);
  for (MissionEntry& r : rows) {
    r.FileName = text(16);
    r.MissionName = text(16);
    r.Creator = text(16);
    r.MissionTypeFlags = text(20);
    r.Enabled = static_cast<int16_t>(rng());  // the format carries any flag value
    r.Modified = static_cast<int16_t>(rng());
    r.SourceFile = text(300);
    r.DataOffset = static_cast<int32_t>(rng());
    r.GameVersion = static_cast<int16_t>(rng());
    r.Terrain = text(16);
  }
  rows[0].SourceFile = std::string(70000 - 5000, 'x');  // longer than 32767: length is unsigned
  const ListEncodeResult encoded = EncodeListFile(rows);
  ASSERT_TRUE(encoded.Ok) << encoded.Reason;
  Bytes withTail = encoded.Bytes;
  withTail.insert(withTail.end(), {'t', 'a', 'i', 'l'});
  const ListDecodeResult decoded = DecodeListFile(withTail);
  ASSERT_TRUE(decoded.Ok) << decoded.Reason;
  EXPECT_EQ(decoded.Rows, rows);
  EXPECT_EQ(decoded.BytesUsed, encoded.Bytes.size());
  EXPECT_EQ(EncodeListFile(rows).Bytes, encoded.Bytes);  // the same rows, the same bytes
}

TEST(ListFile, RefusesWhatTheFormatCannotHold) {
  std::vector<MissionEntry> rows(kMaxListRows);
  ListEncodeResult encoded = EncodeListFile(rows);
  ASSERT_TRUE(encoded.Ok);
  EXPECT_EQ(encoded.Bytes[0], 0xFE);
  EXPECT_EQ(encoded.Bytes[1], 0x7F);

  rows.emplace_back();
  encoded = EncodeListFile(rows);
  EXPECT_FALSE(encoded.Ok);
  EXPECT_NE(encoded.Reason.find("32768 missions"), std::string::npos) << encoded.Reason;
  EXPECT_NE(encoded.Reason.find("32767"), std::string::npos);

  std::vector<MissionEntry> longText(2);
  longText[1].SourceFile.assign(65536, 'x');
  encoded = EncodeListFile(longText);
  EXPECT_FALSE(encoded.Ok);
  EXPECT_NE(encoded.Reason.find("row 2"), std::string::npos) << encoded.Reason;
}

TEST(ListFile, AFileCutAnywhereNamesTheRowWhereItEnds) {
  std::vector<MissionEntry> rows = {GoldenRow(), GoldenRow()};
  rows[1].FileName = "SECOND.BMS";
  const Bytes whole = EncodeListFile(rows).Bytes;
  const size_t firstRowEnd = 59;
  for (size_t length = 0; length < whole.size(); ++length) {
    const ListDecodeResult decoded = DecodeListFile(Bytes(whole.begin(), whole.begin() + length));
    ASSERT_FALSE(decoded.Ok) << length;
    EXPECT_TRUE(decoded.Rows.empty());
    const char* where =
        length < 2 ? "row count" : (length < firstRowEnd ? "row 1 of 2" : "row 2 of 2");
    EXPECT_NE(decoded.Reason.find(where), std::string::npos) << length << ": " << decoded.Reason;
  }
}

TEST(ListFile, LengthsAndCountsLargerThanTheFileAreRefusedWithoutReadingOn) {
  const struct {
    const char* Name;
    Bytes File;
    const char* Reason;
  } cases[] = {
      {"a text longer than the rest",
       {0, 0, 0xFF, 0xFF, 'A', 'B'},
       "row 1 of 1: FileName is 65535"},
      {"a huge row count", {0xFF, 0x7F, 0, 0, 0, 0}, "row 1 of 32768"},
      {"a later text too long",
       {0, 0, 1, 0, 'A', 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0x09, 0, 'x'},
       "row 1 of 1: SourceFile is 9 bytes long but only 1 bytes are left"},
  };
  for (const auto& c : cases) {
    const ListDecodeResult decoded = DecodeListFile(c.File);
    EXPECT_FALSE(decoded.Ok) << c.Name;
    EXPECT_NE(decoded.Reason.find(c.Reason), std::string::npos) << c.Name << ": " << decoded.Reason;
    EXPECT_LE(decoded.Rows.capacity(), c.File.size()) << c.Name;
  }
}

}  // namespace
}  // namespace brieflist
