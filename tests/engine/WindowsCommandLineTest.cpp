// Command-line arguments become the engine's text: on Windows from the wide command line, so a
// path means the same whatever code page the user's system has.
#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace brieflist {
namespace {

TEST(ArgumentsFromWide, GivesWindows1252Text) {
  std::string error;
  const auto args = ArgumentsFromWide(
      {L"list", L"C:\\Spiele\\\u00DCbung 2", L"\u20AC\u0153\u017E\u0178", L"", L"a\u00FF"}, error);
  ASSERT_TRUE(args) << error;
  EXPECT_EQ(*args, (std::vector<std::string>{"list",
                                             "C:\\Spiele\\\xDC"
                                             "bung 2",
                                             "\x80\x9C\x9E\x9F", "", "a\xFF"}));
}

TEST(ArgumentsFromWide, RefusesCharactersWindows1252CannotHold) {
  const struct {
    std::wstring Argument;
    const char* Shown;
  } cases[] = {
      {L"C:\\\u0416\u0443\u043A",
       "'C:\\?"
       "?"
       "?'"},
      {L"x\U0001F600y", "'x?y'"},  // one character, whatever its width in UTF-16
      {L"\u00E9\u4E2D", "'\xC3\xA9?'"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ArgumentsFromWide({L"list", c.Argument}, error));
    EXPECT_EQ(error.find(c.Shown), 0u) << error;
    EXPECT_NE(error.find("Windows-1252"), std::string::npos);
  }
}

TEST(ProgramArguments, ComeFromTheSystemsOwnCommandLine) {
  char program[] = "brieflist-cli";
  char raw[] = "\xFF\xFE";
  char* argv[] = {program, raw};
  std::string error;
  const auto args = ProgramArguments(2, argv, error);
  ASSERT_TRUE(args) << error;
#ifdef _WIN32
  // The narrow argv is ignored: these are the test program's real arguments.
  for (const std::string& a : *args) EXPECT_NE(a, raw);
#else
  EXPECT_EQ(*args, std::vector<std::string>{raw});  // bytes as they are
#endif
}

}  // namespace
}  // namespace brieflist
