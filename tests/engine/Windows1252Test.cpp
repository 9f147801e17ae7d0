#include <gtest/gtest.h>

#include "platform/Windows1252.h"

namespace brieflist {
namespace {

TEST(Windows1252, EveryByteDecodesToADistinctCharacterAndBack) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  const auto back = Utf8ToWindows1252(utf8);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, all);
}

TEST(Windows1252, KnownAndUndefinedBytes) {
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
  EXPECT_EQ(Windows1252ToUtf8("M\xFCller"), "M\xC3\xBCller");
  for (const unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(Windows1252ToCodePoint(undefined), static_cast<char32_t>(undefined));
  EXPECT_EQ(Windows1252ToCodePoint(0x9F), U'\u0178');
}

TEST(Windows1252, UnrepresentableOrMalformedUtf8IsRefused) {
  EXPECT_FALSE(Utf8ToWindows1252("\xE4\xB8\xAD").has_value());  // a CJK character
  EXPECT_FALSE(Utf8ToWindows1252("\xC3").has_value());          // cut short
  EXPECT_FALSE(Utf8ToWindows1252("\xC0\x80").has_value());      // overlong NUL
  EXPECT_EQ(Utf8ToWindows1252("abc\xE2\x82\xAC"), std::optional<std::string>("abc\x80"));
}

TEST(Windows1252, NativeNamesShowAsUtf8WhenTheyAreUtf8) {
#ifdef _WIN32
  EXPECT_EQ(NativeNameToUtf8("\xE9.bms"), "\xC3\xA9.bms");
#else
  EXPECT_EQ(NativeNameToUtf8("\xC3\xA9.bms"), "\xC3\xA9.bms");
  EXPECT_EQ(NativeNameToUtf8("\xE9.bms"), "\xC3\xA9.bms");  // not UTF-8: read as Windows-1252
#endif
}

TEST(Windows1252, UpperCasingFollowsTheCodePage) {
  EXPECT_EQ(UpperCase1252("str_vc0 abc"), "STR_VC0 ABC");
  EXPECT_EQ(UpperCase1252("\xE9\xF7\xFF\x9A"), "\xC9\xF7\x9F\x8A");  // é÷ÿš -> É÷Ÿ Š
  EXPECT_EQ(UpperCase1252("123-_"), "123-_");
}

}  // namespace
}  // namespace brieflist
