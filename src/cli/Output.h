#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brieflist::cli {

enum class OutputFormat { Table, Tsv, Csv, Json };

// Parses "table", "tsv", "csv" or "json"; false for anything else.
bool ParseOutputFormat(const std::string& Text, OutputFormat& Format);

// A value of a JSON object: text, integer or Boolean.
struct JsonField {
  enum class Kind { Text, Integer, Boolean };
  std::string Key;
  Kind Type = Kind::Text;
  std::string Text;  // UTF-8
  int64_t Integer = 0;
  bool Boolean = false;

  static JsonField Str(std::string Key, std::string Value);
  static JsonField Int(std::string Key, int64_t Value);
  static JsonField Bool(std::string Key, bool Value);
};

// Rows of UTF-8 cells under titles, for the three text formats.
struct TextTable {
  std::vector<std::string> Titles;
  std::vector<std::vector<std::string>> Rows;
};

// Receives output text piece by piece; returns false when it could not take it.
using TextSink = std::function<bool(std::string_view)>;

// Builds TSV or CSV text line by line and hands it to Sink in pieces of some 64 KiB, so large
// output never sits whole in memory.
class DelimitedWriter {
 public:
  DelimitedWriter(OutputFormat Format, TextSink Sink);
  void Line(const std::vector<std::string>& Cells);
  // A line cell by cell: Cell for each, then EndLine.
  void Cell(std::string_view Utf8);
  // Writes Text as a cell and returns true when it is printable ASCII with nothing to quote or
  // replace; otherwise writes nothing and returns false. One pass, for the common case.
  bool PlainCell(std::string_view Text);
  void EndLine();
  bool Finish();  // hands over what is left; false when any piece could not be written

 private:
  // Room for N more bytes at Out_.data() + Used_.
  char* Room(size_t N);
  void Put(std::string_view Text);

  bool Csv_;
  TextSink Sink_;
  // Out_ is kept sized to its room: cells are written straight into it, and only its first
  // Used_ bytes count, so a cell that turns out not to be plain is simply not counted.
  std::string Out_;
  size_t Used_ = 0;
  std::string Cell_;  // the careful way's cell
  bool Ok_ = true;
  bool LineStarted_ = false;
};

// A sink that appends to Text.
TextSink StringSink(std::string& Text);
// A sink that writes to standard output.
TextSink StdoutSink();

void AppendJsonString(std::string& Out, std::string_view Utf8);
// A JSON array of objects, one per line, keys in the order given.
std::string RenderJson(const std::vector<std::vector<JsonField>>& Objects);
std::string RenderTsv(const TextTable& Table);
std::string RenderCsv(const TextTable& Table);
// Text for a terminal: control characters (C0, DEL and C1) shown as \xNN or \u00NN, so a
// crafted name cannot move the cursor, set the title or clear the screen.
std::string TerminalSafe(std::string_view Utf8);
// An aligned table for a terminal; every cell is TerminalSafe.
std::string RenderAligned(const TextTable& Table);
std::string RenderText(const TextTable& Table, OutputFormat Format);

// Writes everything to standard output at once; false when it could not be written.
bool WriteStdout(const std::string& Text);

}  // namespace brieflist::cli
