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

// Where a command's output goes, piece by piece: main() hands in standard output, tests a
// string. Returns false when it could not take the piece.
using TextSink = std::function<bool(std::string_view)>;

// A sink that appends to Text.
TextSink StringSink(std::string& Text);
// A sink that writes each piece to standard output and flushes it, so a full disk or a closed
// pipe is seen by the piece that met it.
TextSink StdoutSink();

// What a column holds: JSON gives integers and Booleans as such, every other format as text.
enum class ColumnKind { Text, Integer, Boolean };

struct Column {
  std::string Title;
  ColumnKind Kind = ColumnKind::Text;
  std::string JsonKey = {};  // when JSON names it otherwise
};

// How a cell's bytes are encoded. Texts from the games' files are converted to UTF-8 only where
// they are not ASCII, which most are.
enum class TextCode { Utf8, Windows1252, NativeName };

// One cell: the text the text formats show and, in an Integer or Boolean column, the value JSON
// gives instead (nonzero is true).
struct Cell {
  std::string_view Text;
  int64_t Value = 0;
  TextCode Code = TextCode::Utf8;
};

// Receives the cells of one row, one per column, in order.
class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void Put(const Cell& C) = 0;

  void Text(std::string_view Utf8) { Put({Utf8}); }
  void Text1252(std::string_view Windows1252) { Put({Windows1252, 0, TextCode::Windows1252}); }
  void Name(std::string_view Native) { Put({Native, 0, TextCode::NativeName}); }
  void Int(int64_t Value);
  void Bool(bool Value) { Put({Value ? "True" : "False", Value}); }
};

// Typed columns whose rows are made as they are written: delimited output of a whole catalogue
// streams instead of sitting in memory.
struct TypedTable {
  std::vector<Column> Columns;
  size_t Rows = 0;
  std::function<void(size_t Row, RowWriter& Out)> Row;
};

// Source in Format: TSV or CSV (CR LF) under a title line; JSON, an array of objects one to a
// line, keyed by the titles; or aligned for a terminal, every cell TerminalSafe. False when the
// sink failed.
bool WriteTable(const TypedTable& Source, OutputFormat Format, const TextSink& Sink);

// An aligned table written as its rows come, for commands that report each row when it is done:
// the widths come first from Widest (the titles and, per row, the widest cells it may have), and
// the titles with it; a cell wider than its column still keeps two spaces before the next.
class AlignedStream {
 public:
  AlignedStream(const TypedTable& Widest, const TextSink& Sink);
  // Writes one row made by Make; false once the sink failed.
  bool Row(const std::function<void(RowWriter&)>& Make);
  bool Ok() const { return Ok_; }

 private:
  bool Write(const std::vector<std::string>& Cells);
  std::vector<size_t> Widths_;
  const TextSink& Sink_;
  bool Ok_ = true;
};

void AppendJsonString(std::string& Out, std::string_view Utf8);
// Text for a terminal: control characters (C0, DEL and C1) shown as \xNN or \u00NN, so a
// crafted name cannot move the cursor, set the title or clear the screen.
std::string TerminalSafe(std::string_view Utf8);

}  // namespace brieflist::cli
