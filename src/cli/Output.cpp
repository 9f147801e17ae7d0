#include "cli/Output.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

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

JsonField JsonField::Str(std::string Key, std::string Value) {
  JsonField f;
  f.Key = std::move(Key);
  f.Type = Kind::Text;
  f.Text = std::move(Value);
  return f;
}

JsonField JsonField::Int(std::string Key, int64_t Value) {
  JsonField f;
  f.Key = std::move(Key);
  f.Type = Kind::Integer;
  f.Integer = Value;
  return f;
}

JsonField JsonField::Bool(std::string Key, bool Value) {
  JsonField f;
  f.Key = std::move(Key);
  f.Type = Kind::Boolean;
  f.Boolean = Value;
  return f;
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

std::string RenderJson(const std::vector<std::vector<JsonField>>& Objects) {
  std::string out = "[";
  for (size_t i = 0; i < Objects.size(); ++i) {
    out += i == 0 ? "\n  {" : ",\n  {";
    for (size_t f = 0; f < Objects[i].size(); ++f) {
      const JsonField& field = Objects[i][f];
      if (f > 0) out += ", ";
      AppendJsonString(out, field.Key);
      out += ": ";
      switch (field.Type) {
        case JsonField::Kind::Text:
          AppendJsonString(out, field.Text);
          break;
        case JsonField::Kind::Integer:
          out += std::to_string(field.Integer);
          break;
        case JsonField::Kind::Boolean:
          out += field.Boolean ? "true" : "false";
          break;
      }
    }
    out += '}';
  }
  out += Objects.empty() ? "]\n" : "\n]\n";
  return out;
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
    return std::fwrite(Piece.data(), 1, Piece.size(), stdout) == Piece.size();
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

void DelimitedWriter::Line(const std::vector<std::string>& Cells) {
  for (const std::string& cell : Cells) Cell(cell);
  EndLine();
}

namespace {

std::string RenderDelimited(const TextTable& Table, OutputFormat Format) {
  std::string out;
  DelimitedWriter writer(Format, StringSink(out));
  writer.Line(Table.Titles);
  for (const auto& row : Table.Rows) writer.Line(row);
  writer.Finish();
  return out;
}

}  // namespace

std::string RenderTsv(const TextTable& Table) {
  return RenderDelimited(Table, OutputFormat::Tsv);
}

std::string RenderCsv(const TextTable& Table) {
  return RenderDelimited(Table, OutputFormat::Csv);
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

std::string RenderAligned(const TextTable& Source) {
  TextTable Table;
  Table.Titles = Source.Titles;
  Table.Rows.reserve(Source.Rows.size());
  for (const auto& row : Source.Rows) {
    std::vector<std::string>& safe = Table.Rows.emplace_back();
    for (const std::string& cell : row) safe.push_back(TerminalSafe(cell));
  }
  std::vector<size_t> widths(Table.Titles.size(), 0);
  const auto measure = [&](const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], DisplayWidth(cells[i]));
  };
  measure(Table.Titles);
  for (const auto& row : Table.Rows) measure(row);

  std::string out;
  const auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t i = 0; i < cells.size(); ++i) {
      text += cells[i];
      if (i + 1 < cells.size()) text.append(widths[i] - DisplayWidth(cells[i]) + 2, ' ');
    }
    out += text;
    out += '\n';
  };
  line(Table.Titles);
  std::vector<std::string> rule;
  for (const size_t w : widths) rule.emplace_back(w, '-');
  line(rule);
  for (const auto& row : Table.Rows) line(row);
  return out;
}

std::string RenderText(const TextTable& Table, OutputFormat Format) {
  switch (Format) {
    case OutputFormat::Tsv:
      return RenderTsv(Table);
    case OutputFormat::Csv:
      return RenderCsv(Table);
    default:
      return RenderAligned(Table);
  }
}

bool WriteStdout(const std::string& Text) {
  const size_t written = std::fwrite(Text.data(), 1, Text.size(), stdout);
  return written == Text.size() && std::fflush(stdout) == 0;
}

}  // namespace brieflist::cli
