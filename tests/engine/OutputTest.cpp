// The CLI's escapers at their boundaries: what a crafted mission text can do to a script reading
// TSV, CSV or JSON, or to a terminal.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "cli/Output.h"

namespace brieflist::cli {
namespace {

// The rules, written plainly: the fast path must agree with them byte for byte.
std::string PlainTsv(const std::string& Cell) {
  std::string out = Cell;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}
std::string PlainCsv(const std::string& Cell) {
  if (Cell.find_first_of(",\"\r\n") == std::string::npos) return Cell;
  std::string out = "\"";
  for (const char c : Cell) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// Every cell goes through the fast path first, as the list command writes it.
std::string WriteLine(OutputFormat Format, const std::vector<std::string>& Cells) {
  std::string out;
  DelimitedWriter writer(Format, StringSink(out));
  for (const std::string& cell : Cells)
    if (!writer.PlainCell(cell)) writer.Cell(cell);
  writer.EndLine();
  writer.Finish();
  return out;
}

TEST(CliOutput, FastPathAgreesWithTheRulesAtEveryPositionAndByte) {
  // Each awkward byte at each place of cells shorter than, equal to and longer than the fast
  // path's eight-byte stride, the last word overlapping the one before.
  const std::string awkward = std::string(",\"\t\r\n\x1F\x7F\x80\x9F\xC2\xFF", 11) + '\0';
  for (const OutputFormat format : {OutputFormat::Tsv, OutputFormat::Csv})
    for (size_t size : {1u, 7u, 8u, 9u, 15u, 16u, 17u, 23u})
      for (size_t at = 0; at < size; ++at)
        for (const char c : awkward) {
          std::string cell(size, 'a');
          cell[at] = c;
          const bool csv = format == OutputFormat::Csv;
          std::string want = csv ? PlainCsv(cell) : PlainTsv(cell);
          want += ",x";
          want += csv ? "\r\n" : "\n";
          std::string got = WriteLine(format, {cell, "x"});
          if (!csv) got[got.rfind('\t')] = ',';
          ASSERT_EQ(got, want) << "size " << size << " at " << at << " byte "
                               << int(static_cast<uint8_t>(c));
        }

  // And on random cells, many to a line, so pieces cross the writer's buffer.
  std::mt19937 random(7);
  for (const OutputFormat format : {OutputFormat::Tsv, OutputFormat::Csv}) {
    const bool csv = format == OutputFormat::Csv;
    std::vector<std::string> cells;
    std::string want;
    for (int i = 0; i < 20000; ++i) {
      std::string cell(random() % 30, 'a');
      for (char& c : cell)
        c = random() % 4 ? char('a' + random() % 26) : awkward[random() % awkward.size()];
      if (i) want += csv ? ',' : '\t';
      want += csv ? PlainCsv(cell) : PlainTsv(cell);
      cells.push_back(std::move(cell));
    }
    EXPECT_EQ(WriteLine(format, cells), want + (csv ? "\r\n" : "\n"));
  }
}

TEST(CliOutput, JsonAndTerminalEscapeEveryControlAndNothingElse) {
  struct Case {
    std::string In, Json, Terminal;
  };
  const std::vector<Case> cases = {
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
  for (const Case& c : cases) {
    std::string json;
    AppendJsonString(json, c.In);
    EXPECT_EQ(json, c.Json) << c.Terminal;
    EXPECT_EQ(TerminalSafe(c.In), c.Terminal) << c.Terminal;
  }
}

}  // namespace
}  // namespace brieflist::cli
