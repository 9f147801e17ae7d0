#include <algorithm>
#include <set>

#include "catalogue/MapNames.h"
#include "editing/Patching.h"
#include "platform/FileSystem.h"
#include "support/MemoryFileSystem.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>
#undef ReplaceFile
#endif

namespace brieflist {
namespace {

// Texts repeated for the remaining keys are held once, not once per pair.
TEST(BoundedCost, TextsRepeatedByAResourceAreHeldOnce) {
  constexpr size_t kRecords = 2001, kLength = 100000;
  std::vector<std::pair<std::string, std::string>> pairs{{"0", std::string(kLength, 'T')}};
  for (size_t i = 1; i < kRecords; ++i) pairs.emplace_back(std::to_string(i), "");
  sample::Bytes file(20, 0);
  const sample::Bytes rtxt = sample::BuildRtxt(pairs);
  file.insert(file.end(), rtxt.begin(), rtxt.end());
  // The text block ends right after the long text, so every second key finds no text.
  const uint32_t blockEnd = kLength + 1 - 32;
  for (int i = 0; i < 4; ++i)
    file[20 + 16 * kRecords + i] = static_cast<uint8_t>(blockEnd >> 8 * i);

  CatalogueState state;
  ArchiveDirectory directory;
  directory.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
  ReadMapNames(state, directory, ByteReader(file));
  ASSERT_EQ(state.MapNames.size(), 1 + kRecords / 2 + 1);
  std::set<const char*> copies;
  for (size_t i = 1; i < state.MapNames.size(); ++i) {
    ASSERT_EQ(state.MapNames[i].Text, pairs[0].second);
    copies.insert(state.MapNames[i].Text.View().data());
  }
  EXPECT_LE(copies.size() * kLength, file.size());
}

// Resources nested inside each other's string tables, and many records naming one resource, must
// not yield pairs quadratic in the archive's size; the outermost still gives all its pairs.
TEST(BoundedCost, OverlappingResourcesCostNoMoreThanTheArchiveHolds) {
  constexpr uint32_t kCount = 2000;
  std::vector<std::pair<std::string, std::string>> pairs;
  for (uint32_t i = 0; i < kCount; ++i)
    pairs.emplace_back(std::to_string(i) + "K", std::string(30, 'a' + i % 26));
  sample::Bytes file(20, 0);
  const sample::Bytes rtxt = sample::BuildRtxt(pairs);
  file.insert(file.end(), rtxt.begin(), rtxt.end());
  const auto put = [&](size_t At, uint32_t Value) {
    for (int i = 0; i < 4; ++i) file[At + i] = static_cast<uint8_t>(Value >> 8 * i);
  };
  const uint32_t keyBlockOffset = rtxt[4] | rtxt[5] << 8 | rtxt[6] << 16 | rtxt[7] << 24;
  CatalogueState state;
  ArchiveDirectory directory;
  directory.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
  // Record j-1 doubles as the header of a resource that shares the tail of the table, the text
  // block and the key block.
  for (uint32_t j = 1; j < kCount; ++j) {
    const size_t header = 20 + 16 * j;
    std::copy_n("RTXT", 4, file.begin() + static_cast<std::ptrdiff_t>(header));
    put(header + 4, keyBlockOffset - 16 * j);
    put(header + 12, kCount - j);
    directory.BinEntries.push_back(PffEntry{0, static_cast<int32_t>(header), 0, 0, "N.BIN"});
    directory.BinEntries.push_back(PffEntry{0, 20, 0, 0, "SAME.BIN"});
  }
  ReadMapNames(state, directory, ByteReader(file));
  ASSERT_GE(state.MapNames.size(), 1 + kCount);
  for (uint32_t i = 0; i < kCount; ++i) {
    EXPECT_EQ(state.MapNames[1 + i].Key, pairs[i].first);
    EXPECT_EQ(state.MapNames[1 + i].Text, pairs[i].second);
  }
  EXPECT_LE(state.MapNames.size(), 1 + file.size() / 16 + directory.BinEntries.size());
}

// Bytes read are the program's own: a file shrunk by another program cannot take them away.
TEST(BoundedCost, BytesReadSurviveTheFileShrinking) {
  test::TempFolder folder;
  constexpr size_t kSize = 17u << 20;  // larger than any buffer kept for reuse
  folder.Write("big.pff", sample::Bytes(kSize, 7));
  auto files = MakeNativeFileSystem();
  auto bytes = files->ReadWhole(folder.File("big.pff"));
  ASSERT_TRUE(bytes);
  std::filesystem::resize_file(NativePath(folder.File("big.pff")), 0);
  const auto view = (*bytes)->Bytes();
  ASSERT_EQ(view.size(), kSize);
  EXPECT_EQ(view[kSize - 1], 7);
}

// Read by parts, an archive gives what a whole read gives, damaged directories included.
TEST(BoundedCost, ArchivesReadByPartsGiveWhatAWholeReadGives) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (int i = 0; i < 70000; ++i)
    pairs.emplace_back(std::string("STR_VC0").append(std::to_string(i)),
                       i % 2 ? "ab" : std::string(30, 'z'));
  std::vector<std::pair<std::string, test::Bytes>> entries{{"TEXT.BIN", sample::BuildRtxt(pairs)},
                                                           {"NOT.BMS", test::Bytes(200, 'z')}};
  for (int i = 0; i < 17000; ++i)
    entries.emplace_back(std::string("M").append(std::to_string(i)).append(".BMS"),
                         test::MissionBytes(i % 3 ? "BMS" : "VyK", 0x80, i % 256, 0, 130));
  sample::ArchiveOptions wide;
  wide.EntrySize = 64;  // a directory of more than a megabyte
  test::Bytes big = test::ArchiveBytes(entries, wide);
  entries.resize(5);
  entries[0].second = sample::BuildRtxt({{"a", "b"}, {"STR_VC0x", std::string(40, 'y')}});
  sample::ArchiveOptions claims;
  claims.OverrideEntryCount = true;
  claims.EntryCount = INT32_MAX;
  test::Bytes small = test::ArchiveBytes(entries, claims);
  test::Bytes cut(small.begin(), small.end() - 50), before = small, overlapping = small;
  // The same records, the first of them 2^26 records before the file's start.
  const auto directory =
      static_cast<int64_t>(small[16] | small[17] << 8 | small[18] << 16) - (int64_t{1} << 31);
  for (int i = 0; i < 4; ++i) before[16 + i] = static_cast<uint8_t>(directory >> 8 * i);
  overlapping[12] = 1;  // records one byte apart
  test::MemoryGame whole, parts;
  parts.Files.WholeLimit = 0;
  for (test::MemoryGame* game : {&whole, &parts}) {
    for (test::Bytes* archive : {&big, &small, &cut, &before, &overlapping})
      game->Put("a" + std::to_string(game->Files.Files.size()) + ".pff", *archive);
    EXPECT_TRUE(game->Refresh().Problems.empty());
  }
  ASSERT_GT(whole.State.Missions.size(), 17000u);
  EXPECT_EQ(parts.State.Missions, whole.State.Missions);
  EXPECT_EQ(parts.State.MapNames, whole.State.MapNames);
  EXPECT_GE(whole.State.MapNames.size(), 1 + 70000u + 2);
}

// A 64 GiB sparse archive is read and switched by parts, never whole, as its small original.
TEST(BoundedCost, AHugeSparseArchiveIsReadByItsParts) {
  test::TempFolder folder;
  const test::Bytes small =
      test::ArchiveBytes({{"ONE.BMS", test::MissionBytes()},
                          {"NAMES.BIN", sample::BuildRtxt({{"one", "First"}, {"two", "Second"}})},
                          {"TWO.BMS", test::MissionBytes("VyK")}});
  folder.Write("a.pff", small);
  folder.Write("b.pff", small);
#ifdef _WIN32
  // NTFS gives a file every cluster of its length unless it is marked sparse first.
  const HANDLE marked = CreateFileW(NativePath(folder.File("b.pff")).c_str(), GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD none = 0;
  const bool sparse =
      DeviceIoControl(marked, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &none, nullptr);
  CloseHandle(marked);
  if (!sparse) GTEST_SKIP() << "cannot mark a file sparse here";
#endif
  std::error_code ec;
  std::filesystem::resize_file(NativePath(folder.File("b.pff")), uint64_t{64} << 30, ec);
  if (ec) GTEST_SKIP() << "cannot make a sparse file of 64 GiB here: " << ec.message();
  test::NativeGame g;
  const auto& files = g.Files;
  uint64_t data = 0;
  files->InspectFile(folder.File("b.pff"), [&](OpenFile& File) { data = File.NextData(1 << 20); });
  if (data < uint64_t{64} << 30)
    GTEST_SKIP() << "this file system does not say where a file's holes are";
  files->ResetCounters();
  EXPECT_TRUE(g.Refresh(folder.Path()).Problems.empty());
  EXPECT_LE(files->Counters().Reads, 20u);
  ASSERT_EQ(g.State.Missions.size(), 4u);
  for (size_t i = 0; i < 2; ++i) {
    MissionEntry row = g.State.Missions[i + 2];
    row.SourceFile = g.State.Missions[i].SourceFile;
    EXPECT_EQ(row, g.State.Missions[i]);
  }
  EXPECT_EQ(g.State.MapNames.size(), 1 + 2 * 2u);
  const test::Bytes expected =
      test::Switched(small, static_cast<size_t>(g.State.Missions[3].DataOffset), true);
  files->ResetCounters();  // the switch too passes the holes over
  EXPECT_EQ(ToggleMissionEnabled(g.State, g.P, 3, 3).Outcome, PatchOutcome::Patched);
  EXPECT_LE(files->Counters().Reads, 20u);
  EXPECT_EQ(*files->ReadPrefix(folder.File("b.pff"), small.size()), expected);
}

}  // namespace
}  // namespace brieflist
