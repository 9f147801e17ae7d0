#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FolderListing.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

TEST(NameOrder, IgnoresAsciiCaseThenBreaksTiesByBytes) {
  std::vector<std::string> names = {"b.pff", "A.pff", "a.pff", "_x.pff", "B.pff", "a1.pff"};
  std::sort(names.begin(), names.end(),
            [](const auto& a, const auto& b) { return NameOrderLess(a, b); });
  EXPECT_EQ(names,
            (std::vector<std::string>{"_x.pff", "A.pff", "a.pff", "a1.pff", "B.pff", "b.pff"}));
}

TEST(NameSuffix, MatchesInAnyCase) {
  EXPECT_TRUE(EndsWithIgnoringCase("X.PfF", ".pff"));
  EXPECT_TRUE(EndsWithIgnoringCase(".pff", ".pff"));
  EXPECT_FALSE(EndsWithIgnoringCase("x.pff.bak", ".pff"));
  EXPECT_FALSE(EndsWithIgnoringCase("pff", ".pff"));
}

TEST(Listing, RegularFilesMatchingTheSuffixOnly) {
  test::TempFolder folder;
  for (const char* name : {"one.pff", "TWO.PFF", "three.bms", "four.pff.txt"})
    folder.Write(name, {1});
  std::filesystem::create_directory(folder.File("dir.pff"));
  const auto names = ListMatchingFiles(folder.Path(), ".pff");
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"one.pff", "TWO.PFF"}));
  EXPECT_FALSE(ListMatchingFiles(folder.File("missing"), ".pff"));
}

}  // namespace
}  // namespace brieflist
