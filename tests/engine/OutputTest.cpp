// What a crafted mission text can do to a script reading TSV, CSV or JSON, or to a terminal.
#include <gtest/gtest.h>

#include <array>

#include "cli/Output.h"

namespace brieflist::cli {
namespace {

using enum OutputFormat;

std::string Written(OutputFormat Format, std::vector<Column> Columns,
                    const std::vector<std::vector<Cell>>& Rows) {
  std::string out;
  const TypedTable table{std::move(Columns), Rows.size(), [&](size_t R, RowWriter& Row) {
                           for (const Cell& cell : Rows[R]) Row.Put(cell);
                         }};
  EXPECT_TRUE(WriteTable(table, Format, StringSink(out)));
  return out;
}

// What a lone cell becomes, without the title line, the rule, the line end or JSON's frame.
std::string Form(OutputFormat Format, const Cell& C) {
  const std::string out = Written(Format, {{"T"}}, {{C}});
  const size_t body = Format == Json    ? out.find(": ") + 2
                      : Format == Table ? out.find('\n', out.find('\n') + 1) + 1
                                        : out.find('\n') + 1;
  return out.substr(body, out.size() - body - (Format == Json ? 4 : Format == Csv ? 2 : 1));
}

TEST(CliOutput, EachFormatEscapesWhatItMustAndNothingElse) {
  // A comma, a quote or CR within the fast path's first eight-byte word, in a later one, and in
  // the last word only, which overlaps the one before.
  const std::vector<std::array<std::string, 5>> cases = {
      // cell, as TSV, CSV, JSON and on a terminal
      {"a,b", "a,b", "\"a,b\"", "\"a,b\"", "a,b"},
      {"12345678,", "12345678,", "\"12345678,\"", "\"12345678,\"", "12345678,"},
      {"123456789,abcdef", "123456789,abcdef", "\"123456789,abcdef\"", "\"123456789,abcdef\"",
       "123456789,abcdef"},
      {"say \"hi\"", "say \"hi\"", "\"say \"\"hi\"\"\"", "\"say \\\"hi\\\"\"", "say \"hi\""},
      {"12345678\r", "12345678 ", "\"12345678\r\"", "\"12345678\\r\"", "12345678\\x0D"},
      {"a\nb", "a b", "\"a\nb\"", "\"a\\nb\"", "a\\x0Ab"},
      {"a\tb", "a b", "a\tb", "\"a\\tb\"", "a\\x09b"},
      {"\x1F", "\x1F", "\x1F", "\"\\u001f\"", "\\x1F"},
      {" ~", " ~", " ~", "\" ~\"", " ~"},
      {"\x7F", "\x7F", "\x7F", "\"\x7F\"", "\\x7F"},  // JSON allows DEL; a terminal must not get it
      {std::string(1, '\0'), std::string(1, '\0'), std::string(1, '\0'), "\"\\u0000\"", "\\x00"},
      {"\xC2\x80", "\xC2\x80", "\xC2\x80", "\"\xC2\x80\"", "\\u0080"},  // C1 controls, as UTF-8
      {"\xC2\x9F", "\xC2\x9F", "\xC2\x9F", "\"\xC2\x9F\"", "\\u009F"},
      {"\xC2\xA0", "\xC2\xA0", "\xC2\xA0", "\"\xC2\xA0\"", "\xC2\xA0"},  // no-break space
      {"\xC2", "\xC2", "\xC2", "\"\xC2\"", "\xC2"},                      // a lead byte at the end
  };
  for (const auto& c : cases)
    for (const OutputFormat format : {Tsv, Csv, Json, Table})
      EXPECT_EQ(Form(format, {c[0]}), c[1 + (static_cast<int>(format) + 3) % 4]) << c[4];
  // A game's single-byte text becomes UTF-8 first: its undefined bytes are C1 controls.
  EXPECT_EQ(Form(Table, {"\x80\x81", 0, TextCode::Windows1252}), "\xE2\x82\xAC\\u0081");
}

TEST(CliOutput, ATerminalAlignsWhatItShowsAndLargeOutputArrivesWhole) {
  // Widths in characters, escapes included.
  EXPECT_EQ(Written(Table, {{"A"}, {"B"}}, {{{"\xC3\xA9\xC3\xA9"}, {"x"}}, {{"\x07"}, {"y"}}}),
            "A     B\n----  -\n\xC3\xA9\xC3\xA9    x\n\\x07  y\n");
  EXPECT_EQ(Written(Json, {{"A"}}, {}), "[]\n");
  // Streamed: widths from the widest cells given first; a row wider still keeps two spaces.
  std::string out;
  const auto sink = StringSink(out);
  AlignedStream stream({{{"A"}, {"B"}}, 1, [](size_t, RowWriter& Row) { Row.Text("abc"); }}, sink);
  EXPECT_TRUE(stream.Row([](RowWriter& Row) { Row.Text("\x07"), Row.Text("x"); }) &&
              stream.Row([](RowWriter& Row) { Row.Text("abcdef"), Row.Text("y"); }));
  EXPECT_EQ(out, "A    B\n---  -\n\\x07  x\nabcdef  y\n");
  // More than the writers' pieces of 64 KiB, so none may be lost or repeated.
  std::vector<std::vector<Cell>> many(5000, {{"0123456789abcdef0123456789"}, {"7", 7}});
  many.back()[0] = {"last"};
  for (const auto& [format, tail] :
       {std::pair(Tsv, "0123456789\t7\nlast\t7\n"),
        std::pair(Json, "\"N\": 7},\n  {\"A\": \"last\", \"N\": 7}\n]\n")}) {
    const std::string out = Written(format, {{"A"}, {"N", ColumnKind::Integer}}, many);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5001 + (format == Json)) << out.size();
    EXPECT_TRUE(out.ends_with(tail)) << out.substr(out.size() - 80);
  }
}

}  // namespace
}  // namespace brieflist::cli
