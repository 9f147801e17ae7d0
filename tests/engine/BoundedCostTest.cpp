#include <algorithm>
#include <set>

#include "catalogue/MapNames.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

// A text resource that runs out of texts repeats them for the remaining keys: a long text must
// be held once, not once per pair, or a crafted archive of under a megabyte costs gigabytes.
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
  state.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
  ReadMapNames(state, ByteReader(file));
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
  state.BinEntries.push_back(PffEntry{0, 20, 0, 0, "T.BIN"});
  // Record j-1 doubles as the header of a resource that shares the tail of the table, the text
  // block and the key block.
  for (uint32_t j = 1; j < kCount; ++j) {
    const size_t header = 20 + 16 * j;
    std::copy_n("RTXT", 4, file.begin() + static_cast<std::ptrdiff_t>(header));
    put(header + 4, keyBlockOffset - 16 * j);
    put(header + 12, kCount - j);
    state.BinEntries.push_back(PffEntry{0, static_cast<int32_t>(header), 0, 0, "N.BIN"});
    state.BinEntries.push_back(PffEntry{0, 20, 0, 0, "SAME.BIN"});
  }
  ReadMapNames(state, ByteReader(file));
  ASSERT_GE(state.MapNames.size(), 1 + kCount);
  for (uint32_t i = 0; i < kCount; ++i) {
    EXPECT_EQ(state.MapNames[1 + i].Key, pairs[i].first);
    EXPECT_EQ(state.MapNames[1 + i].Text, pairs[i].second);
  }
  EXPECT_LE(state.MapNames.size(), 1 + file.size() / 16 + state.BinEntries.size());
}

// Bytes read from a file are the program's own: another program shrinking the file cannot
// take them away (a mapping of it would fault on the next access).
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

}  // namespace
}  // namespace brieflist
