// The CLI's escapers at their boundaries: what a crafted mission text can do to a script reading
// TSV, CSV or JSON, or to a terminal.
#include <gtest/gtest.h>

#include <random>

#include "cli/Output.h"

namespace brieflist::cli {
namespace {

// The rules, written plainly; the fast path must agree with them byte for byte. Every cell goes
// through the fast path first, as the list command writes it.
std::string Expected(bool Csv, const std::vector<std::string>& Cells) {
  std::string out;
  for (const std::string& cell : Cells) {
    if (&cell != &Cells[0]) out += Csv ? ',' : '\t';
    const bool quote = Csv && cell.find_first_of(",\"\r\n") != std::string::npos;
    out += quote ? "\"" : "";
    for (const char c : cell)
      out += Csv ? (c == '"' ? "\"\"" : std::string(1, c))
                 : std::string(1, c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
    out += quote ? "\"" : "";
  }
  return out + (Csv ? "\r\n" : "\n");
}
std::string Written(bool Csv, const std::vector<std::string>& Cells) {
  std::string out;
  DelimitedWriter writer(Csv ? OutputFormat::Csv : OutputFormat::Tsv, StringSink(out));
  for (const std::string& cell : Cells)
    if (!writer.PlainCell(cell)) writer.Cell(cell);
  writer.EndLine();
  writer.Finish();
  return out;
}

TEST(CliOutput, FastPathAgreesWithTheRulesAtEveryPositionAndByte) {
  // Each awkward byte at each place of cells shorter than, equal to and longer than the fast
  // path's eight-byte stride, whose last word overlaps the one before; then random cells, many
  // to a line, so pieces cross the writer's buffer.
  const std::string awkward = std::string(",\"\t\r\n\x1F\x7F\x80\x9F\xC2\xFF", 11) + '\0';
  std::mt19937 random(7);
  for (const bool csv : {false, true}) {
    for (size_t size : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 23u})
      for (size_t at = 0; at < size; ++at)
        for (const char c : awkward) {
          std::vector<std::string> cells = {std::string(size, 'a'), "x"};
          cells[0][at] = c;
          ASSERT_EQ(Written(csv, cells), Expected(csv, cells)) << size << " " << at << " " << +c;
        }
    std::vector<std::string> cells(20000);
    for (std::string& cell : cells) {
      cell.resize(random() % 30);
      for (char& c : cell)
        c = random() % 4 ? char('a' + random() % 26) : awkward[random() % awkward.size()];
    }
    EXPECT_EQ(Written(csv, cells), Expected(csv, cells));
  }
}

TEST(CliOutput, JsonAndTerminalEscapeEveryControlAndNothingElse) {
  const std::vector<std::array<std::string, 3>> cases = {
      // text, as JSON, on a terminal
      {"\x1F", "\"\\u001f\"", "\\x1F"},
      {" ", "\" \"", " "},
      {"\x7F", "\"\x7F\"", "\\x7F"},  // JSON allows DEL; a terminal must not get it
      {"\r\n\t", "\"\\r\\n\\t\"", "\\x0D\\x0A\\x09"},
      {"\"\\", "\"\\\"\\\\\"", "\"\\"},
      {std::string("\0", 1), "\"\\u0000\"", "\\x00"},
      {"\x1B[2J", "\"\\u001b[2J\"", "\\x1B[2J"},
      {"\xC2\x80", "\"\xC2\x80\"", "\\u0080"},  // C1 controls, as UTF-8
      {"\xC2\x9F", "\"\xC2\x9F\"", "\\u009F"},
      {"\xC2\xA0\xC3\xA9", "\"\xC2\xA0\xC3\xA9\"", "\xC2\xA0\xC3\xA9"},  // no-break space, e acute
      {"\xC2", "\"\xC2\"", "\xC2"},                                      // a lead byte at the end
  };
  for (const auto& [in, json, terminal] : cases) {
    std::string quoted;
    AppendJsonString(quoted, in);
    EXPECT_EQ(quoted, json) << terminal;
    EXPECT_EQ(TerminalSafe(in), terminal) << terminal;
  }
}

}  // namespace
}  // namespace brieflist::cli
