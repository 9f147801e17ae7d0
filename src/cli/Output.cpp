#include "cli/Output.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Windows1252.h"

namespace brieflist::cli {

bool ParseOutputFormat(const std::string& Text, OutputFormat& Format) {
  if (Text == "table")
    Format = OutputFormat::Table;
  else if (Text == "tsv")
    Format = OutputFormat::Tsv;
  else if (Text == "csv")
    Format = OutputFormat::Csv;
  else if (Text == "json")
    Format = OutputFormat::Json;
  else
    return false;
  return true;
}

void AppendJsonString(std::string& Out, std::string_view Utf8) {
  static constexpr char kHex[] = "0123456789abcdef";
  Out += '"';
  for (const char c : Utf8) {
    const auto b = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        Out += "\\\"";
        break;
      case '\\':
        Out += "\\\\";
        break;
      case '\n':
        Out += "\\n";
        break;
      case '\r':
        Out += "\\r";
        break;
      case '\t':
        Out += "\\t";
        break;
      default:
        if (b < 0x20) {
          Out += "\\u00";
          Out += kHex[b >> 4];
          Out += kHex[b & 0xF];
        } else {
          Out += c;
        }
    }
  }
  Out += '"';
}

namespace {

// Tabs and line breaks inside a cell would break a TSV line; they become spaces.
void AppendTsvCell(std::string& out, std::string_view cell) {
  const size_t start = out.size();
  out += cell;
  for (size_t i = start; i < out.size(); ++i)
    if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r') out[i] = ' ';
}

void AppendCsvCell(std::string& out, std::string_view cell) {
  if (cell.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += cell;
    return;
  }
  out += '"';
  for (const char c : cell) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// Characters on a terminal: UTF-8 continuation bytes take no column.
size_t DisplayWidth(const std::string& Text) {
  return static_cast<size_t>(std::count_if(Text.begin(), Text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

namespace {

constexpr size_t kPieceBytes = 64 * 1024;

// Eight bytes at a time: whether each is printable ASCII that neither format quotes or
// replaces (a comma or a quote only matter in CSV). Anything else takes the careful way.
constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kHighBits = 0x8080808080808080u;

// Nonzero when some byte of Word is below N (N at most 0x80).
constexpr uint64_t AnyByteBelow(uint64_t Word, uint8_t N) {
  return (Word - kOnes * N) & ~Word & kHighBits;
}

bool IsPlainWord(uint64_t Word, bool Csv) {
  uint64_t odd = (Word & kHighBits) | AnyByteBelow(Word, 0x20);
  if (Csv) odd |= AnyByteBelow(Word ^ (kOnes * ','), 1) | AnyByteBelow(Word ^ (kOnes * '"'), 1);
  return odd == 0;
}

// Builds TSV or CSV text line by line and hands it to Sink in pieces of some 64 KiB, so large
// output never sits whole in memory.
class DelimitedWriter {
 public:
  DelimitedWriter(OutputFormat Format, TextSink Sink);
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

}  // namespace

DelimitedWriter::DelimitedWriter(OutputFormat Format, TextSink Sink)
    : Csv_(Format == OutputFormat::Csv), Sink_(std::move(Sink)) {
  Out_.resize(kPieceBytes + 4096);
}

char* DelimitedWriter::Room(size_t N) {
  if (Out_.size() - Used_ < N) Out_.resize(Used_ + N + kPieceBytes);
  return Out_.data() + Used_;
}

void DelimitedWriter::Put(std::string_view Text) {
  std::memcpy(Room(Text.size()), Text.data(), Text.size());
  Used_ += Text.size();
}

bool DelimitedWriter::Finish() {
  if (Used_ > 0) Ok_ = Sink_({Out_.data(), Used_}) && Ok_;
  Used_ = 0;
  return Ok_;
}

TextSink StringSink(std::string& Text) {
  return [&Text](std::string_view Piece) {
    Text.append(Piece);
    return true;
  };
}

TextSink StdoutSink() {
  return [](std::string_view Piece) {
    return std::fwrite(Piece.data(), 1, Piece.size(), stdout) == Piece.size() &&
           std::fflush(stdout) == 0;
  };
}

void DelimitedWriter::Cell(std::string_view Utf8) {
  if (LineStarted_) Put(Csv_ ? "," : "\t");
  LineStarted_ = true;
  Cell_.clear();
  if (Csv_) {
    AppendCsvCell(Cell_, Utf8);
  } else {
    AppendTsvCell(Cell_, Utf8);
  }
  Put(Cell_);
}

bool DelimitedWriter::PlainCell(std::string_view Text) {
  const size_t size = Text.size();
  char* out = Room(size + 1);
  if (LineStarted_) *out++ = Csv_ ? ',' : '\t';
  // Checked and copied in one pass; a cell that is not plain leaves Used_ as it was.
  uint64_t word;
  if (size >= 8) {
    // Whole words, the last one overlapping the one before: no partial loads.
    for (size_t at = 0; at < size; at += 8) {
      const size_t from = at + 8 <= size ? at : size - 8;
      std::memcpy(&word, Text.data() + from, 8);
      if (!IsPlainWord(word, Csv_)) return false;
      std::memcpy(out + from, &word, 8);
    }
  } else {
    for (size_t i = 0; i < size; ++i) {
      const auto b = static_cast<unsigned char>(Text[i]);
      if (b < 0x20 || b >= 0x80 || (Csv_ && (b == ',' || b == '"'))) return false;
      out[i] = Text[i];
    }
  }
  Used_ += size + (LineStarted_ ? 1 : 0);
  LineStarted_ = true;
  return true;
}

void DelimitedWriter::EndLine() {
  Put(Csv_ ? "\r\n" : "\n");
  LineStarted_ = false;
  if (Used_ >= kPieceBytes) {
    Ok_ = Sink_({Out_.data(), Used_}) && Ok_;
    Used_ = 0;
  }
}

std::string TerminalSafe(std::string_view Utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(Utf8.size());
  for (size_t i = 0; i < Utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(Utf8[i]);
    if (b < 0x20 || b == 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    } else if (b == 0xC2 && i + 1 < Utf8.size() &&
               static_cast<unsigned char>(Utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(Utf8[i + 1]) <= 0x9F) {
      const auto c1 = static_cast<unsigned char>(Utf8[++i]);
      out += "\\u00";
      out += kHex[c1 >> 4];
      out += kHex[c1 & 0xF];
    } else {
      out += Utf8[i];
    }
  }
  return out;
}

void RowWriter::Int(int64_t Value) {
  std::array<char, 24> room;
  const auto end = std::to_chars(room.data(), room.data() + room.size(), Value).ptr;
  Put({{room.data(), static_cast<size_t>(end - room.data())}, Value});
}

namespace {

std::string Utf8Of(const Cell& C) {
  switch (C.Code) {
    case TextCode::Windows1252:
      return Windows1252ToUtf8(C.Text);
    case TextCode::NativeName:
      return NativeNameToUtf8(C.Text);
    case TextCode::Utf8:
      break;
  }
  return std::string(C.Text);
}

// Cells a row hands over beyond its table's columns have no title and are dropped.
class DelimitedRow : public RowWriter {
 public:
  DelimitedRow(DelimitedWriter& Writer, size_t Columns) : Writer_(Writer), Columns_(Columns) {}
  void Put(const Cell& C) override {
    if (Written_++ >= Columns_ || Writer_.PlainCell(C.Text)) return;
    if (C.Code == TextCode::Utf8 || IsAscii(C.Text)) {
      Writer_.Cell(C.Text);
    } else {
      Writer_.Cell(Utf8Of(C));
    }
  }
  void Next() { Written_ = 0; }

 private:
  DelimitedWriter& Writer_;
  size_t Columns_;
  size_t Written_ = 0;
};

class JsonRow : public RowWriter {
 public:
  JsonRow(const std::vector<Column>& Columns, std::string& Out) : Columns_(Columns), Out_(Out) {}
  void Put(const Cell& C) override {
    if (Written_ >= Columns_.size()) return;
    const Column& column = Columns_[Written_];
    if (Written_++ > 0) Out_ += ", ";
    AppendJsonString(Out_, column.JsonKey.empty() ? column.Title : column.JsonKey);
    Out_ += ": ";
    switch (column.Kind) {
      case ColumnKind::Text:
        AppendJsonString(Out_, C.Code == TextCode::Utf8 ? std::string(C.Text) : Utf8Of(C));
        break;
      case ColumnKind::Integer:
        Out_ += std::to_string(C.Value);
        break;
      case ColumnKind::Boolean:
        Out_ += C.Value ? "true" : "false";
        break;
    }
  }
  void Next() { Written_ = 0; }

 private:
  const std::vector<Column>& Columns_;
  std::string& Out_;
  size_t Written_ = 0;
};

// An aligned table needs every width first: its rows are kept, made safe for a terminal.
class KeptRow : public RowWriter {
 public:
  explicit KeptRow(size_t Columns) : Columns_(Columns) {}
  void Put(const Cell& C) override {
    if (Rows.back().size() < Columns_) Rows.back().push_back(TerminalSafe(Utf8Of(C)));
  }
  std::vector<std::vector<std::string>> Rows;

 private:
  size_t Columns_;
};

bool WriteDelimited(const TypedTable& Source, OutputFormat Format, const TextSink& Sink) {
  DelimitedWriter writer(Format, Sink);
  for (const Column& column : Source.Columns) writer.Cell(column.Title);
  writer.EndLine();
  DelimitedRow row(writer, Source.Columns.size());
  for (size_t r = 0; r < Source.Rows; ++r) {
    row.Next();
    Source.Row(r, row);
    writer.EndLine();
  }
  return writer.Finish();
}

bool WriteJson(const TypedTable& Source, const TextSink& Sink) {
  std::string out = "[";
  bool ok = true;
  JsonRow row(Source.Columns, out);
  for (size_t r = 0; r < Source.Rows; ++r) {
    out += r == 0 ? "\n  {" : ",\n  {";
    row.Next();
    Source.Row(r, row);
    out += '}';
    if (out.size() >= kPieceBytes) {
      ok = Sink(out) && ok;
      out.clear();
    }
  }
  out += Source.Rows == 0 ? "]\n" : "\n]\n";
  return Sink(out) && ok;
}

bool WriteAligned(const TypedTable& Source, const TextSink& Sink) {
  KeptRow kept(Source.Columns.size());
  std::vector<std::string> titles;
  for (const Column& column : Source.Columns) titles.push_back(column.Title);
  kept.Rows.push_back(std::move(titles));
  kept.Rows.emplace_back();  // the rule under the titles, once the widths are known
  for (size_t r = 0; r < Source.Rows; ++r) {
    kept.Rows.emplace_back();
    Source.Row(r, kept);
  }
  std::vector<size_t> widths(Source.Columns.size(), 0);
  for (const auto& cells : kept.Rows)
    for (size_t i = 0; i < cells.size(); ++i)
      widths[i] = std::max(widths[i], DisplayWidth(cells[i]));
  for (const size_t w : widths) kept.Rows[1].emplace_back(w, '-');

  std::string out;
  for (const auto& cells : kept.Rows) {
    for (size_t i = 0; i < cells.size(); ++i) {
      out += cells[i];
      if (i + 1 < cells.size()) out.append(widths[i] - DisplayWidth(cells[i]) + 2, ' ');
    }
    out += '\n';
  }
  return Sink(out);
}

}  // namespace

AlignedStream::AlignedStream(const TypedTable& Widest, const TextSink& Sink) : Sink_(Sink) {
  std::vector<std::string> titles;
  for (const Column& column : Widest.Columns) {
    titles.push_back(column.Title);
    Widths_.push_back(DisplayWidth(column.Title));
  }
  KeptRow kept(Widest.Columns.size());
  for (size_t r = 0; r < Widest.Rows; ++r) {
    kept.Rows.assign(1, {});
    Widest.Row(r, kept);
    for (size_t i = 0; i < kept.Rows[0].size(); ++i)
      Widths_[i] = std::max(Widths_[i], DisplayWidth(kept.Rows[0][i]));
  }
  std::vector<std::string> rule;
  for (const size_t w : Widths_) rule.emplace_back(w, '-');
  if (Write(titles)) Write(rule);
}

bool AlignedStream::Row(const std::function<void(RowWriter&)>& Make) {
  KeptRow kept(Widths_.size());
  kept.Rows.emplace_back();
  Make(kept);
  return Write(kept.Rows.back());
}

bool AlignedStream::Write(const std::vector<std::string>& Cells) {
  std::string out;
  for (size_t i = 0; i < Cells.size(); ++i) {
    out += Cells[i];
    if (i + 1 < Cells.size()) {
      const size_t width = DisplayWidth(Cells[i]);
      out.append(width < Widths_[i] ? Widths_[i] - width + 2 : 2, ' ');
    }
  }
  out += '\n';
  return Ok_ = Ok_ && Sink_(out);
}

bool WriteTable(const TypedTable& Source, OutputFormat Format, const TextSink& Sink) {
  switch (Format) {
    case OutputFormat::Json:
      return WriteJson(Source, Sink);
    case OutputFormat::Table:
      return WriteAligned(Source, Sink);
    default:
      return WriteDelimited(Source, Format, Sink);
  }
}
}  // namespace brieflist::cli
