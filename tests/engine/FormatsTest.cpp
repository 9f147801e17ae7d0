// The formats and texts the engine reads and writes, byte for byte.
#include <functional>
#include <random>
#include <tuple>

#include "catalogue/GridText.h"
#include "catalogue/MapNames.h"
#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "catalogue/TextHelpers.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "platform/FolderListing.h"
#include "platform/Windows1252.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::Bytes;

constexpr bool kWindows = kSeparator == '\\';

TEST(TextHelpers, StripBinaryDigitsAndSignatures) {
  EXPECT_EQ(StripNuls(std::string("A\0B C\0", 6)), "AB C");
  EXPECT_EQ(BinaryDigits16(0x8002), "1000000000000010");
  for (const char* valid : {"BMS", "bms", "bMs", "VyK", "VYK", "vyk"})
    EXPECT_TRUE(IsMissionSignature(valid)) << valid;
  for (const char* invalid : {"BM", "XMS", "VY\0", "BMT"})
    EXPECT_FALSE(IsMissionSignature(invalid));
}

// Each case: what changes in the mission, then version|name|creator|terrain|flags|enabled|modified.
TEST(MissionDecoding, FieldsOfEveryVersionStateAndLength) {
  const std::tuple<const char*, std::function<void(sample::MissionSpec&)>, int, size_t, const char*>
      cases[] = {
          // Per case: the change, the version byte written over (0: none), the bytes kept (0: all).
          {"version 2", [](auto&) {}, 0, 0,
           "2|NightRaid|Old Guard|Snow Field|1000000000000001|1|0"},
          {"version 1", [](auto& m) { m.VersionByte = 13; }, 0, 0,
           "1|NightRaid|Old Guard|Snow Field|1000000000000001|1|0"},
          // Written at the version-2 places, read as version 1: +44 is the creator's last letter.
          {"misread", [](auto&) {}, 13, 0, "1|NightRaid|d||1000000000000001|1|0"},
          {"other version", [](auto&) {}, 14, 0, "0|NightRaid|Old Guard||1000000000000001|1|0"},
          {"disabled: the moved block is the modified word",
           [](auto& m) { m.Disabled = true, m.Signature = "VyK"; }, 0, 0,
           "2|NightRaid|Old Guard|Snow Field|1000000000000001|0|1"},
          {"lower-case marker", [](auto& m) { m.Signature = "vyk"; }, 0, 0,
           "2|NightRaid|Old Guard|Snow Field|0000000000000000|0|0"},
          {"modified word", [](auto& m) { m.ModifiedWord = 0x80000000u; }, 0, 0,
           "2|NightRaid|Old Guard|Snow Field|1000000000000001|1|1"},
          {"cut inside the name", [](auto& m) { m.ModifiedWord = 7; }, 0, 20,
           "2|NightRaid|||0000000000000000|1|0"},
          {"three bytes", [](auto&) {}, 0, 3, "0||||0000000000000000|1|0"},
      };
  for (const auto& [what, spec, version, size, expected] : cases) {
    sample::MissionSpec m;
    m.MissionName = "Night Raid", m.Creator = "Old Guard", m.Terrain = "Snow Field";
    m.FlagHigh = 0x80, m.FlagLow = 0x01;
    spec(m);
    Bytes mission = sample::BuildMission(m);
    if (version) mission[3] = static_cast<uint8_t>(version);
    if (size) mission.resize(size);
    Bytes file(300 + mission.size(), 0xEE);  // the mission at an offset inside a larger file
    std::copy(mission.begin(), mission.end(), file.begin() + 300);
    const MissionEntry r = DecodeMission(ByteReader(file), 300, "I.BMS", "a.pff", 300);
    EXPECT_EQ(std::to_string(r.GameVersion) + "|" + r.MissionName + "|" + r.Creator + "|" +
                  r.Terrain + "|" + r.MissionTypeFlags + "|" + std::to_string(r.Enabled == kTrue) +
                  "|" + std::to_string(r.Modified == kTrue),
              expected)
        << what;
    EXPECT_EQ(r.DataOffset, 300);
  }
}

TEST(ByteReaderBounds, EverythingOutsideTheBufferIsZero) {
  const Bytes data = {1, 2, 3, 4};
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

TEST(DirectoryCount, DerivedFromLengthWithoutTheFooter) {
  PffHeader h;
  h.EntrySize = 32, h.DirectoryOffset = 100;
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 12 + 64), 2);
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 12 + 63), 1);
  EXPECT_EQ(ComputeDirectoryCount(h, 100 + 11), 0);
  h.DirectoryOffset = -2147483647 - 1;  // no 32-bit wrap
  EXPECT_EQ(ComputeDirectoryCount(h, 1000), (1000 + 2147483648LL - 12) / 32);
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(MapNameResource, PairsKeysCountsAndDamage) {
  using Names = std::vector<MapNameEntry>;
  const Bytes ab = sample::BuildRtxt({{"A", "1"}, {"B", "2"}});
  const Bytes abc = sample::BuildRtxt({{"A", "1"}, {"B", "2"}, {"C", "3"}});
  const Names all = {{"A", "1"}, {"B", "2"}, {"C", "3"}};  // of abc
  const auto intact = [](Bytes&) {};
  const struct {
    const char* What;
    Bytes Resource;
    std::function<void(Bytes&)> Damage;
    Names Expected;
  } cases[] = {
      {"keys upper-cased, in order",
       sample::BuildRtxt({{"Alpha", "First map"}, {"beta", "Second"}, {"C", ""}}),
       intact,
       {{"ALPHA", "First map"}, {"BETA", "Second"}, {"C", ""}}},
      {"STR_VC0 keys lose five characters",
       sample::BuildRtxt({{"STR_VC01234", "a"},
                          {"str_vc0x", "b"},
                          {"STR_VC0", "c"},
                          {"STR_VC1", "d"},
                          {"XSTR_VC0", "e"}}),
       intact,
       {{"C01234", "a"}, {"C0X", "b"}, {"C0", "c"}, {"STR_VC1", "d"}, {"XSTR_VC0", "e"}}},
      {"one pair more than the keyed records",
       sample::BuildRtxt({{"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}}),
       [](Bytes& b) { PutU32(b, 16 + 16 * 2 + 8, 5); }, all},
      {"no keyed record after the first", ab, [](Bytes& b) { PutU32(b, 16 + 16 + 8, 1); }, {}},
      {"a single record", sample::BuildRtxt({{"ONLY", "one"}}), intact, {}},
      {"lower-case tag", abc, [](Bytes& b) { b[0] = 'r', b[2] = 'x'; }, all},
      {"wrong tag", abc, [](Bytes& b) { b[3] = 'X'; }, {}},
      {"count 0", abc, [](Bytes& b) { PutU32(b, 12, 0); }, {}},
      {"count 2^31", abc, [](Bytes& b) { PutU32(b, 12, 0x80000000); }, {}},
      {"text block too short",
       abc,
       [](Bytes& b) { PutU32(b, 16 + 32, static_cast<uint32_t>(4 - 32)); },
       {{"A", "1"}, {"B", "2"}}},
      {"key block at the file end",
       abc,
       [](Bytes& b) { b.resize(b.size() - 3); },
       {{"A", "1"}, {"B", "2"}, {"", "3"}}},
      {"key block without NUL",
       abc,
       [](Bytes& b) {
         const uint32_t keys = b[4] | b[5] << 8 | b[6] << 16;
         b.insert(b.end(), 200, 'Q');
         PutU32(b, keys + 4, 4 + 6 + 10);
       },
       {{"", "1"}, {"", "2"}, {"", "3"}}},
      {"key block outside the file",
       ab,
       [](Bytes& b) { PutU32(b, 4, 0x7FFFFFF0); },
       {{"", "1"}, {"", "2"}}},
  };
  const auto read = [](const Bytes& Resource) {  // as the resource at offset 20 of an archive
    Bytes file(20, 0);
    file.insert(file.end(), Resource.begin(), Resource.end());
    CatalogueState state;
    ArchiveDirectory directory;
    directory.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
    ReadMapNames(state, directory, ByteReader(file));
    return Names(state.MapNames.begin() + 1, state.MapNames.end());
  };
  for (const auto& c : cases) {
    Bytes resource = c.Resource;
    c.Damage(resource);
    EXPECT_EQ(read(resource), c.Expected) << c.What;
  }
  // A huge count stays within the file: no crash, no huge table.
  Bytes huge = abc;
  PutU32(huge, 12, 0x7FFFFFFF);
  EXPECT_LT(read(huge).size(), huge.size());
}

TEST(MapNameLookup, EmptyNameUnknownNameAndFirstKeyWins) {
  const std::vector<MapNameEntry> table = {
      {}, {"ALPHA", "First"}, {"BETA", "B"}, {"ALPHA", "Second"}};
  const MapNameLookup lookup(table);
  for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
           {"alpha", "First"}, {"Beta", "B"}, {"Gamma", "Gamma"}, {"", "Not Found!"}}) {
    EXPECT_EQ(LookUpMapName(table, name), expected) << name;
    EXPECT_EQ(lookup.LookUp(name), expected) << name;
  }
  const std::vector<MapNameEntry> placeholderOnly = {{"", "nothing"}};
  EXPECT_EQ(LookUpMapName(placeholderOnly, "x"), "x");  // the placeholder is never searched
}

TEST(MissionTypeText, PositionsMapToNamesInTableOrder) {
  const std::pair<const char*, const char*> cases[] = {
      {"0000000000000000", ""},
      {"0111111100000000", ""},  // positions 2 to 8 are never shown
      {"1000000000000011", "COOP,DM,A&D,"},
      {"1111111111111111", "COOP,DM,KOTH,FB,CTF,TDM,TKOTH,S&D,A&D,"},
      {"1", "A&D,"},  // shorter texts: missing positions are not set
      {"000000000000000x", ""},
  };
  for (const auto& [flags, expected] : cases) EXPECT_EQ(MissionTypeText(flags), expected) << flags;
}

TEST(Windows1252, ConversionsAndUpperCase) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToWindows1252(utf8), std::optional<std::string>(all));
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");
  for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(Windows1252ToCodePoint(undefined), static_cast<char32_t>(undefined));
  EXPECT_EQ(Windows1252ToCodePoint(0x9F), U'\u0178');
  for (const char* refused : {"\xE4\xB8\xAD", "\xC3", "\xC0\x80"})
    EXPECT_FALSE(Utf8ToWindows1252(refused).has_value());
  EXPECT_EQ(UpperCase1252("str_vc0 \xE9\xF7\xFF\x9A-1"), "STR_VC0 \xC9\xF7\x9F\x8A-1");
  EXPECT_EQ(NativeNameToUtf8(kWindows ? "\xE9.bms" : "\xC3\xA9.bms"), "\xC3\xA9.bms");
  EXPECT_EQ(NativeNameToUtf8("\xE9.bms"), "\xC3\xA9.bms");  // elsewhere: not UTF-8
}

TEST(Paths, NameOrderSuffixJoinAndFolder) {
  std::vector<std::string> names = {"b.pff", "A.pff", "a.pff", "_x.pff", "B.pff", "a1.pff"};
  std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return NameOrderLess(a, b); });
  EXPECT_EQ(names,
            (std::vector<std::string>{"_x.pff", "A.pff", "a.pff", "a1.pff", "B.pff", "b.pff"}));
  EXPECT_TRUE(EndsWithIgnoringCase("X.PfF", ".pff"));
  EXPECT_FALSE(EndsWithIgnoringCase("x.pff.bak", ".pff"));
  EXPECT_FALSE(EndsWithIgnoringCase("pff", ".pff"));

  // The separator is the system's own: each case says what it gives on both systems.
  const struct {
    const char *Folder, *OnWindows, *Elsewhere;
  } joins[] = {
      {"C:\\", "C:\\X.PFF", "C:\\/X.PFF"},  // a drive root keeps its one "\"
      {"C:\\G", "C:\\G\\X.PFF", "C:\\G/X.PFF"},
      {"/g/", "/g/X.PFF", "/g/X.PFF"},  // Windows takes "/" as a separator as well
      {"", "\\X.PFF", "/X.PFF"},
  };
  for (const auto& c : joins)
    EXPECT_EQ(JoinPath(c.Folder, "X.PFF"), kWindows ? c.OnWindows : c.Elsewhere);
  const struct {
    const char *Path, *OnWindows, *Elsewhere;
  } folders[] = {
      {"C:\\Games\\Sub Folder\\m.bms", "C:\\Games\\Sub Folder\\", ""},
      {"C:\\X.PFF", "C:\\", ""},
      {"", "", ""},
      {"/", "", "/"},
      {"/g/a/x.pff", "", "/g/a/"},
      {"C:\\G\\sub/x.pff", "C:\\G\\", "C:\\G\\sub/"},  // only the system's separator cuts
  };
  for (const auto& c : folders)
    EXPECT_EQ(FolderOfPath(c.Path), kWindows ? c.OnWindows : c.Elsewhere) << c.Path;
}

MissionEntry GoldenRow() {
  MissionEntry r = test::ListRow("C:\\G\\A.BMS", "A.BMS", 0, true);
  r.MissionName = "TEST", r.MissionTypeFlags = "0000000000000001", r.GameVersion = 2;
  return r;
}

TEST(ListFile, GoldenBytesEmptyListsAndLimits) {
  const std::vector<MissionEntry> rows = {GoldenRow()};
  const std::string golden(
      "\0\0\5\0A.BMS\4\0TEST\0\0\x10\0"
      "0000000000000001\xFF\xFF\0\0\x0A\0C:\\G\\A.BMS\0\0\0\0\2\0\0\0",
      59);
  EXPECT_EQ(EncodeListFile(rows).Bytes, Bytes(golden.begin(), golden.end()));
  const ListDecodeResult decoded = DecodeListFile(Bytes(golden.begin(), golden.end()));
  ASSERT_TRUE(decoded.Ok) << decoded.Reason;
  EXPECT_EQ(decoded.Rows, rows);

  EXPECT_EQ(EncodeListFile({}).Bytes, (Bytes{0xFF, 0xFF}));
  const ListDecodeResult none = DecodeListFile(Bytes{0xFF, 0xFF});
  EXPECT_TRUE(none.Ok && none.Rows.empty());

  std::vector<MissionEntry> most(kMaxListRows);
  ListEncodeResult encoded = EncodeListFile(most);
  ASSERT_TRUE(encoded.Ok);
  EXPECT_EQ(encoded.Bytes[1], 0x7F);
  most.emplace_back();
  encoded = EncodeListFile(most);
  EXPECT_FALSE(encoded.Ok);
  EXPECT_TRUE(test::Has(encoded.Reason, "32768 missions")) << encoded.Reason;
  std::vector<MissionEntry> longText(2);
  longText[1].SourceFile.assign(65536, 'x');
  encoded = EncodeListFile(longText);
  EXPECT_FALSE(encoded.Ok);
  EXPECT_TRUE(test::Has(encoded.Reason, "row 2")) << encoded.Reason;
}

TEST(ListFile, RoundTripsAnyRowsAndReadsPastATailLeftByALongerFile) {
  std::mt19937 rng(7);
  const auto text = [&](size_t MaxLength) {
    std::string s(rng() % (MaxLength + 1), '\0');
    for (char& c : s) c = static_cast<char>(rng());  // every byte value, NUL included
    return s;
  };
  std::vector<MissionEntry> rows(300);
  for (MissionEntry& r : rows) {
    r.FileName = text(16), r.MissionName = text(16), r.Creator = text(16), r.Terrain = text(16);
    r.MissionTypeFlags = text(20);
    r.Enabled = static_cast<int16_t>(rng());  // the format carries any flag value
    r.Modified = static_cast<int16_t>(rng());
    r.SourceFile = text(300);
    r.DataOffset = static_cast<int32_t>(rng());
    r.GameVersion = static_cast<int16_t>(rng());
  }
  rows[0].SourceFile = std::string(65000, 'x');  // longer than 32767: lengths are unsigned
  const ListEncodeResult encoded = EncodeListFile(rows);
  ASSERT_TRUE(encoded.Ok) << encoded.Reason;
  const ListDecodeResult decoded = DecodeListFile(encoded.Bytes);
  ASSERT_TRUE(decoded.Ok) << decoded.Reason;
  EXPECT_EQ(decoded.Rows, rows);
  EXPECT_EQ(decoded.BytesUsed, encoded.Bytes.size());
  Bytes withTail = encoded.Bytes;
  withTail.insert(withTail.end(), {'t', 'a', 'i', 'l'});
  const ListDecodeResult tail = DecodeListFile(withTail);  // a longer file saved over
  EXPECT_EQ(tail.Rows, rows);
  EXPECT_EQ(tail.BytesUsed, encoded.Bytes.size());
}

// A text file picked by mistake reads as a row count below -1, which no list has.
TEST(ListFile, TextFilesAreNoList) {
  for (const Bytes& text : {Bytes{0xEF, 0xBB, 0xBF, 'a', 'b'},  // UTF-8 with a byte-order mark
                            Bytes{0xFF, 0xFE, 'a', 0},          // UTF-16, both byte orders
                            Bytes{0xFE, 0xFF, 0, 'a'}, Bytes{'a', 0x80}, Bytes{0xFE, 0xFF}}) {
    const ListDecodeResult decoded = DecodeListFile(text);
    EXPECT_TRUE(!decoded.Ok && decoded.NotAList && test::Has(decoded.Reason, "row count reads -"))
        << decoded.Reason;
  }
}

TEST(ListFile, DamagedFilesNameTheRowWithoutReadingOn) {
  std::vector<MissionEntry> rows = {GoldenRow(), GoldenRow()};
  rows[1].FileName = "SECOND.BMS";
  const Bytes whole = EncodeListFile(rows).Bytes;
  for (size_t length = 0; length < whole.size(); ++length) {
    const ListDecodeResult cut = DecodeListFile(Bytes(whole.begin(), whole.begin() + length));
    ASSERT_FALSE(cut.Ok) << length;
    EXPECT_TRUE(cut.Rows.empty());
    const char* where = length < 2 ? "row count" : (length < 59 ? "row 1 of 2" : "row 2 of 2");
    EXPECT_TRUE(test::Has(cut.Reason, where)) << length << ": " << cut.Reason;
  }
  const struct {
    Bytes File;
    const char* Reason;
  } cases[] = {
      {{0, 0, 0xFF, 0xFF, 'A', 'B'}, "row 1 of 1: FileName is 65535"},
      {{0xFF, 0x7F, 0, 0, 0, 0}, "row 1 of 32768"},
      {{0, 0, 1, 0, 'A', 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0x09, 0, 'x'},
       "row 1 of 1: SourceFile is 9 bytes long but only 1 bytes are left"},
  };
  for (const auto& c : cases) {
    const ListDecodeResult decoded = DecodeListFile(c.File);
    EXPECT_FALSE(decoded.Ok);
    EXPECT_TRUE(test::Has(decoded.Reason, c.Reason)) << decoded.Reason;
    EXPECT_LE(decoded.Rows.capacity(), c.File.size());
  }
}

JournalRecord SampleRecord() {
  JournalRecord r;
  r.Time = "2024-03-09T17:05:59Z", r.Kind = JournalKind::Toggle;
  r.SourceFile = "/g/Pack 1.pff", r.DataOffset = 1234, r.FileName = "RAID.BMS";
  r.Before = {'B', 'M', 'S', 0, 0, 0x80, 0x01, 0, 0, 0, 0};
  r.After = {'V', 'y', 'K', 0, 0, 0, 0, 0, 0, 0x80, 0x01};
  r.Operation = "0123456789abcdef", r.Id = "fedcba9876543210";
  return r;
}

TEST(JournalLine, ReadsBackWhatItWroteAndRejectsEveryCutAndChange) {
  for (const std::string text :
       {"tab\there", "new\nline", "100%.bms", "\xC4\xE9\xFF.bms", "C:\\Games\\a b.pff", ""}) {
    JournalRecord r = SampleRecord();
    r.FileName = r.SourceFile = text;
    r.Reverses = text.empty() ? "" : "aaaaaaaaaaaaaaaa";
    const std::string line = FormatJournalLine(r);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << text;
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(ParseJournalLine(std::string_view(line).substr(0, line.size() - 1)), r);
  }
  const std::string line = FormatJournalLine(SampleRecord());
  EXPECT_TRUE(test::Has(line, "424d53 00008001 00000000"));
  EXPECT_TRUE(line.ends_with("\t-\ta0d92d16\n")) << line;  // the checksum stored journals hold
  const std::string_view whole(line.data(), line.size() - 1);
  for (size_t n = 0; n < whole.size(); ++n) EXPECT_FALSE(ParseJournalLine(whole.substr(0, n))) << n;
  for (size_t i = 0; i < whole.size(); ++i) {
    std::string changed(whole);
    changed[i] = changed[i] == '1' ? '2' : '1';
    EXPECT_FALSE(ParseJournalLine(changed)) << "changed at " << i;
  }
  EXPECT_TRUE(ParseJournalLine(std::string(whole) + "\r"));  // a line ending of Windows editors
}

}  // namespace
}  // namespace brieflist
