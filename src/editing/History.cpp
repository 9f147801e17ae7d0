#include "editing/History.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <unordered_map>

#include "editing/PatchJournal.h"
#include "editing/Patching.h"

namespace brieflist {
namespace {

// What a person calls a command of that record kind.
std::string CommandKind(std::string_view Kind) {
  if (Kind == JournalKind::Toggle || Kind == JournalKind::Set) return "switch";
  if (IsUndoKind(Kind)) return "undo";
  return std::string(Kind);
}

// Reads the digits of Text[At, At + Count) into Value; false when they are not all digits.
bool Digits(std::string_view Text, size_t At, size_t Count, int& Value) {
  if (At + Count > Text.size()) return false;
  const char* begin = Text.data() + At;
  const auto [end, failed] = std::from_chars(begin, begin + Count, Value);
  return failed == std::errc() && end == begin + Count && Text[At] != '-' && Text[At] != '+';
}

// "YYYY-MM-DD", then "THH:MM" or " HH:MM" and ":SS" when Time is set; false when malformed.
bool ParseDateTime(std::string_view Text, std::tm& Out, bool& HasTime) {
  Out = {};
  int year = 0, month = 0, day = 0;
  if (!Digits(Text, 0, 4, year) || Text.size() < 10 || Text[4] != '-' ||
      !Digits(Text, 5, 2, month) || Text[7] != '-' || !Digits(Text, 8, 2, day))
    return false;
  Out.tm_year = year - 1900, Out.tm_mon = month - 1, Out.tm_mday = day;
  HasTime = Text.size() > 10;
  if (!HasTime) return month >= 1 && month <= 12 && day >= 1 && day <= 31;
  if ((Text[10] != 'T' && Text[10] != ' ') || !Digits(Text, 11, 2, Out.tm_hour) ||
      Text.size() < 16 || Text[13] != ':' || !Digits(Text, 14, 2, Out.tm_min))
    return false;
  size_t end = 16;
  if (Text.size() > 16 && Text[16] == ':') {
    if (!Digits(Text, 17, 2, Out.tm_sec)) return false;
    end = 19;
  }
  if (Text.size() == end + 1 && Text[end] == 'Z') ++end;
  return end == Text.size() && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
         Out.tm_hour < 24 && Out.tm_min < 60 && Out.tm_sec < 61;
}

}  // namespace

std::vector<JournalCommand> JournalCommands(std::span<const JournalRecord> Records) {
  const std::vector<std::string> undo = UndoStates(Records);
  std::vector<JournalCommand> out;
  std::unordered_map<std::string, size_t> slot;
  for (size_t i = 0; i < Records.size(); ++i) {
    const JournalRecord& r = Records[i];
    const auto [it, added] = slot.try_emplace(r.Operation, out.size());
    if (added) {
      out.emplace_back();
      out.back().Operation = r.Operation;
      out.back().Kind = CommandKind(r.Kind);
      out.back().Time = r.Time;
      out.back().Folder = FolderOfPath(r.SourceFile);
    }
    JournalCommand& c = out[it->second];
    ++c.Missions;
    if (undo[i] == "undone") ++c.Undone;
    c.Records.push_back(i);
  }
  return out;
}

std::vector<std::string> UndoStates(std::span<const JournalRecord> Records) {
  // The latest record that reverses each Id is what the undo made of it.
  std::unordered_map<std::string_view, const JournalRecord*> reversed;
  for (const JournalRecord& r : Records)
    if (!r.Reverses.empty()) reversed[r.Reverses] = &r;
  std::vector<std::string> out(Records.size());
  for (size_t i = 0; i < Records.size(); ++i) {
    if (IsUndoKind(Records[i].Kind)) continue;
    const auto it = reversed.find(Records[i].Id);
    if (it == reversed.end()) continue;
    const std::string& kind = it->second->Kind;
    out[i] = kind == JournalKind::Undo      ? "undone"
             : kind == JournalKind::Refused ? "refused"
                                            : "not applied";
  }
  return out;
}

std::optional<std::time_t> JournalTimeValue(std::string_view Time) {
  std::tm t{};
  bool hasTime = false;
  if (!ParseDateTime(Time, t, hasTime) || !hasTime || Time.back() != 'Z') return std::nullopt;
  using namespace std::chrono;
  const year_month_day date{year{t.tm_year + 1900}, month{static_cast<unsigned>(t.tm_mon + 1)},
                            day{static_cast<unsigned>(t.tm_mday)}};
  if (!date.ok()) return std::nullopt;
  const seconds since =
      sys_days{date}.time_since_epoch() + hours{t.tm_hour} + minutes{t.tm_min} + seconds{t.tm_sec};
  return static_cast<std::time_t>(since.count());
}

std::string LocalTimeText(std::time_t Time) {
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &Time) != 0) return {};
#else
  if (!localtime_r(&Time, &local)) return {};
#endif
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::optional<std::time_t> ParseLocalTime(std::string_view Text) {
  std::tm t{};
  bool hasTime = false;
  if (Text.empty() || Text.back() == 'Z' || !ParseDateTime(Text, t, hasTime)) return std::nullopt;
  t.tm_isdst = -1;  // the system knows whether summer time applied then
  const std::time_t value = std::mktime(&t);
  if (value == static_cast<std::time_t>(-1)) return std::nullopt;
  return value;
}

}  // namespace brieflist
