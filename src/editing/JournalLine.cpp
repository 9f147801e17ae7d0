#include "editing/JournalLine.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>

#include "catalogue/TextHelpers.h"

namespace brieflist {
namespace {

constexpr size_t kFieldCount = 11;
constexpr const char* kNone = "-";

// Where the 11 journalled bytes sit in a header.
constexpr std::array<size_t, kJournalByteCount> kPositions = {0,   1,   2,   120, 121, 122,
                                                              123, 124, 125, 126, 127};

uint32_t Checksum(std::string_view Text) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : Text) {
    hash ^= static_cast<uint8_t>(c);
    hash *= 16777619u;
  }
  return hash;
}

std::string Hex(uint64_t Value, int Digits) {
  std::string out(static_cast<size_t>(Digits), '0');
  for (int i = Digits - 1; i >= 0; --i, Value >>= 4)
    out[static_cast<size_t>(i)] = "0123456789abcdef"[Value & 15];
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Escape(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    const auto byte = static_cast<uint8_t>(c);
    // Appended in two steps: "%" + Hex(...) makes g++ 12 at -O3 warn falsely (-Wrestrict).
    if (byte < 0x20 || byte == 0x7F || c == '%') {
      out += '%';
      out += Hex(byte, 2);
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '%') {
      out += Text[i];
      continue;
    }
    if (i + 2 >= Text.size()) return std::nullopt;
    const int high = HexDigit(Text[i + 1]);
    const int low = HexDigit(Text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::optional<PatchedBytes> ParseBytes(std::string_view Text) {
  // "hhhhhh hhhhhhhh hhhhhhhh"
  if (Text.size() != 24 || Text[6] != ' ' || Text[15] != ' ') return std::nullopt;
  PatchedBytes out{};
  size_t at = 0;
  for (size_t i = 0; i < kJournalByteCount; ++i) {
    if (Text[at] == ' ') ++at;
    const int high = HexDigit(Text[at]);
    const int low = HexDigit(Text[at + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    out[i] = static_cast<uint8_t>(high * 16 + low);
    at += 2;
  }
  return out;
}

std::vector<std::string_view> SplitTabs(std::string_view Line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = Line.find('\t', start);
    fields.push_back(Line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool IsTime(std::string_view Text) {
  // YYYY-MM-DDTHH:MM:SSZ
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (Text.size() != kShape.size()) return false;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (kShape[i] == 'd' ? (Text[i] < '0' || Text[i] > '9') : Text[i] != kShape[i]) return false;
  }
  return true;
}

bool IsId(std::string_view Text) {
  return Text.size() == 16 &&
         std::all_of(Text.begin(), Text.end(), [](char c) { return HexDigit(c) >= 0; });
}

}  // namespace

bool IsUndoKind(std::string_view Kind) {
  return Kind == JournalKind::Undo || Kind == JournalKind::Refused ||
         Kind == JournalKind::NotApplied;
}

std::unordered_set<std::string> LookedAtRecords(std::span<const JournalRecord> Records) {
  std::unordered_set<std::string> notApplied, lookedAt;
  for (const JournalRecord& r : Records)
    if (r.Kind == JournalKind::NotApplied) notApplied.insert(r.Reverses);
  for (const JournalRecord& r : Records) {
    if (!IsUndoKind(r.Kind) || r.Reverses.empty()) continue;
    if (r.Kind == JournalKind::Undo && notApplied.count(r.Id)) continue;
    lookedAt.insert(r.Reverses);
  }
  return lookedAt;
}

PatchedBytes PatchedBytesOf(std::span<const uint8_t> Header) {
  PatchedBytes out{};
  for (size_t i = 0; i < kJournalByteCount; ++i)
    if (kPositions[i] < Header.size()) out[i] = Header[kPositions[i]];
  return out;
}

bool ModifiedMark(const PatchedBytes& Bytes) {
  return (Bytes[7] | Bytes[8] | Bytes[9] | Bytes[10]) != 0;  // bytes 124 to 127
}

bool EnabledMark(const PatchedBytes& Bytes) {
  return IsEnabledSignature(std::string_view(reinterpret_cast<const char*>(Bytes.data()), 3));
}

void PutPatchedBytes(std::span<uint8_t> Header, const PatchedBytes& Bytes) {
  for (size_t i = 0; i < kJournalByteCount; ++i)
    if (kPositions[i] < Header.size()) Header[kPositions[i]] = Bytes[i];
}

std::string PatchedBytesText(const PatchedBytes& Bytes) {
  std::string out;
  for (size_t i = 0; i < kJournalByteCount; ++i) {
    if (i == 3 || i == 7) out += ' ';
    out += Hex(Bytes[i], 2);
  }
  return out;
}

std::string FormatJournalLine(const JournalRecord& R) {
  std::string line = R.Time;
  for (const std::string& field :
       {Escape(R.Kind), Escape(R.SourceFile), std::to_string(R.DataOffset), Escape(R.FileName),
        PatchedBytesText(R.Before), PatchedBytesText(R.After), R.Operation, R.Id,
        R.Reverses.empty() ? std::string(kNone) : R.Reverses}) {
    line += '\t';
    line += field;
  }
  const uint32_t check = Checksum(line);
  line += '\t';
  line += Hex(check, 8);
  line += '\n';
  return line;
}

std::optional<JournalRecord> ParseJournalLine(std::string_view Line) {
  if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);  // edited on Windows
  const std::vector<std::string_view> f = SplitTabs(Line);
  if (f.size() != kFieldCount) return std::nullopt;
  const std::string_view checked = Line.substr(0, Line.size() - f.back().size() - 1);
  if (f.back() != Hex(Checksum(checked), 8)) return std::nullopt;
  JournalRecord r;
  if (!IsTime(f[0])) return std::nullopt;
  r.Time = f[0];
  const auto kind = Unescape(f[1]);
  const auto source = Unescape(f[2]);
  const auto name = Unescape(f[4]);
  if (!kind || kind->empty() || !source || !name) return std::nullopt;
  r.Kind = *kind;
  r.SourceFile = *source;
  r.FileName = *name;
  const auto [end, error] = std::from_chars(f[3].data(), f[3].data() + f[3].size(), r.DataOffset);
  if (error != std::errc() || end != f[3].data() + f[3].size() || f[3].empty()) return std::nullopt;
  const auto before = ParseBytes(f[5]);
  const auto after = ParseBytes(f[6]);
  if (!before || !after || !IsId(f[7]) || !IsId(f[8])) return std::nullopt;
  r.Before = *before;
  r.After = *after;
  r.Operation = f[7];
  r.Id = f[8];
  if (f[9] != kNone) {
    if (!IsId(f[9])) return std::nullopt;
    r.Reverses = f[9];
  }
  return r;
}

std::string JournalId(uint64_t Value) {
  return Hex(Value, 16);
}

std::string JournalTimeNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date(day);
  const hh_mm_ss<seconds> time(now - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::vector<JournalTextLine> SplitJournalText(std::string_view Text) {
  std::vector<JournalTextLine> lines;
  size_t number = 0;
  for (size_t start = 0; start < Text.size();) {
    const size_t end = std::min(Text.find('\n', start), Text.size());
    const std::string_view line = Text.substr(start, end - start);
    ++number;
    if (!line.empty() && line != "\r") lines.push_back({number, line});
    start = end + 1;
  }
  return lines;
}

}  // namespace brieflist
