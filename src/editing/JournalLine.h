#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace brieflist {

// The 11 bytes a patch may change, in this order: 0..2 (signature), 120..123, 124..127.
inline constexpr size_t kJournalByteCount = 11;
using PatchedBytes = std::array<uint8_t, kJournalByteCount>;

// Kinds of record. A patch kind names the command that wrote it; an undo record names the
// record it reverses; the two marker kinds record that an undo looked at a record and wrote
// nothing, so the record leaves the undo stack.
namespace JournalKind {
inline constexpr const char* Toggle = "toggle";
inline constexpr const char* Set = "set";
inline constexpr const char* Bulk = "bulk";
inline constexpr const char* Import = "import";
inline constexpr const char* Undo = "undo";
inline constexpr const char* Refused = "refused";
inline constexpr const char* NotApplied = "not-applied";
}  // namespace JournalKind

// True for the kinds an undo writes (undo and the two markers): those are never undone.
bool IsUndoKind(std::string_view Kind);

// One patch of one mission, or one undo marker.
struct JournalRecord {
  std::string Time;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
  std::string Kind;
  std::string SourceFile;
  int32_t DataOffset = 0;
  std::string FileName;
  PatchedBytes Before{};
  PatchedBytes After{};
  std::string Operation;  // shared by the records of one command, which an undo takes together
  std::string Id;         // unique per record
  std::string Reverses;   // for undo kinds: the Id of the record looked at; empty otherwise

  bool operator==(const JournalRecord&) const = default;
};

// The Ids of the records an undo has looked at (restored, refused or found never applied),
// which leave the undo stack. An undo whose write failed is marked not applied: it took nothing
// back, and its record stays on the stack.
std::unordered_set<std::string> LookedAtRecords(std::span<const JournalRecord> Records);

// The 11 bytes of a mission header (zeros where it is shorter), and putting them back.
PatchedBytes PatchedBytesOf(std::span<const uint8_t> Header);
// Whether a header holding Bytes is marked modified (its word at 124 is not zero).
bool ModifiedMark(const PatchedBytes& Bytes);
// Whether a header holding Bytes carries the enabled signature.
bool EnabledMark(const PatchedBytes& Bytes);
void PutPatchedBytes(std::span<uint8_t> Header, const PatchedBytes& Bytes);
// "424D53 00800100 00000000": the three groups in hexadecimal.
std::string PatchedBytesText(const PatchedBytes& Bytes);

// One line of the journal, ending with "\n": tab-separated fields, the last a checksum of the
// others so a line torn by a crash is told from a whole one. Control characters, tabs and "%"
// in texts are written as "%XX".
std::string FormatJournalLine(const JournalRecord& Record);
// The record of a line (without its "\n"); nothing when the line is torn or damaged.
std::optional<JournalRecord> ParseJournalLine(std::string_view Line);

// An Id or Operation: 16 hexadecimal digits.
std::string JournalId(uint64_t Value);
// The current time as a record's Time.
std::string JournalTimeNow();

// A line of a journal's text, without its line end, and its number in the text (from 1).
struct JournalTextLine {
  size_t Number = 0;
  std::string_view Text;
};
// The lines of a journal's text that hold anything: empty lines (and a lone "\r") are passed
// over, a last line without "\n" is among them. Every reader of the journal splits this way.
std::vector<JournalTextLine> SplitJournalText(std::string_view Text);
// True when the text's last line has no "\n": a program stopped while appending it.
inline bool EndsTorn(std::string_view Text) {
  return !Text.empty() && Text.back() != '\n';
}

}  // namespace brieflist
