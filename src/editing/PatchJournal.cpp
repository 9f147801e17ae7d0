#include "editing/PatchJournal.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "catalogue/MissionHeader.h"
#include "platform/Paths.h"
#include "platform/UserDataFolder.h"

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

// The text of the file at Path; empty when nothing is there. What cannot be looked at or read
// (no handles left, no leave) is an error with its cause, never taken for an empty file.
IoResult<std::string> ReadIfThere(FileSystem& Files, const std::string& Path) {
  auto kind = Files.KindOf(Path);
  if (!kind) return kind.Error();
  // A folder in the journal's place is no empty journal: its records may be anywhere.
  if (*kind == PathKind::Folder) return IoError{Path, "a folder stands where a file should be"};
  // Something that is no regular file (a pipe, a device, a link to nothing) is no journal either.
  if (*kind == PathKind::Other || (*kind == PathKind::Missing && Files.Exists(Path)))
    return IoError{Path, "not a regular file"};
  if (*kind == PathKind::Missing) return std::string();
  auto bytes = Files.ReadWhole(Path);
  if (!bytes) return bytes.Error();
  const auto data = (*bytes)->Bytes();
  return std::string(reinterpret_cast<const char*>(data.data()), data.size());
}

}  // namespace

bool IsUndoKind(std::string_view Kind) {
  return Kind == JournalKind::Undo || Kind == JournalKind::Refused ||
         Kind == JournalKind::NotApplied;
}

PatchedBytes PatchedBytesOf(std::span<const uint8_t> Header) {
  PatchedBytes out{};
  for (size_t i = 0; i < kJournalByteCount; ++i)
    if (kPositions[i] < Header.size()) out[i] = Header[kPositions[i]];
  return out;
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

IoResult<std::string> UserJournalPath() {
  auto folder = ProgramDataFolder();
  if (!folder) return folder.Error();
  return JoinPath(*folder, kJournalFileName);
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

PatchJournal::PatchJournal(FileSystem& Files, std::string Path, size_t Limit)
    : Files_(Files), Path_(std::move(Path)), Limit_(std::max<size_t>(Limit, 1)) {
  std::random_device device;
  Random_.seed((static_cast<uint64_t>(device()) << 32) ^ device() ^
               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

std::string PatchJournal::NewId() {
  return Hex(Random_(), 16);
}

IoResult<JournalContents> PatchJournal::Read() {
  return ReadContents();
}

IoResult<std::vector<std::string>> PatchJournal::KeptAside() {
  auto read = ReadIfThere(Files_, Path_ + kJournalDamagedSuffix);
  if (!read) return read.Error();
  std::vector<std::string> lines;
  const std::string_view text = *read;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

IoResult<std::unique_ptr<FileLock>> PatchJournal::WaitForLock() {
  using namespace std::chrono;
  const std::string path = Path_ + kJournalLockSuffix;
  const auto start = steady_clock::now();
  bool told = false;
  milliseconds pause{1};
  for (;;) {
    auto lock = Files_.TryLockFile(path);
    if (!lock || *lock) return lock;
    const auto waited = steady_clock::now() - start;
    if (!told && waited >= kJournalWaitNotice) {
      told = true;
      if (OnWaiting) OnWaiting();
    }
    if (waited >= LockWait) {
      const auto seconds = duration_cast<duration<double>>(LockWait).count();
      char text[32];
      std::snprintf(text, sizeof text, "%g", seconds);
      return IoError{path, std::string("another program has held the lock for ") + text +
                               (seconds == 1 ? " second" : " seconds") +
                               "; try again once it has finished"};
    }
    // Short pauses first: most writers hold the lock for a few milliseconds.
    std::this_thread::sleep_for(std::min<nanoseconds>(pause, LockWait - waited));
    pause = std::min(pause * 2, milliseconds(20));
  }
}

IoResult<PatchJournal::WriterLock> PatchJournal::LockWriters() {
  if (!Lock_) {
    if (LockError_) return *LockError_;
    auto lock = WaitForLock();
    if (!lock) {
      // The rest of the command would only wait as long again.
      if (!OperationId_.empty()) LockError_ = lock.Error();
      return lock.Error();
    }
    Lock_ = std::move(*lock);
    Loaded_ = false;  // other programs may have written meanwhile
  }
  ++LockDepth_;
  return WriterLock(this);
}

void PatchJournal::LetOthersWrite() {
  Lock_.reset();
}

PatchJournal::WriterLock::~WriterLock() {
  if (!Journal_ || --Journal_->LockDepth_ > 0) return;
  Journal_->Lock_.reset();
  for (const std::string& notice : std::exchange(Journal_->Notices_, {}))
    if (Journal_->OnNotice) Journal_->OnNotice(notice);
}

IoResult<std::string> PatchJournal::ReadText() {
  // A journal that was never written holds nothing; only a journal that exists must be read.
  return ReadIfThere(Files_, Path_);
}

IoResult<JournalContents> PatchJournal::ReadContents() {
  auto read = ReadText();
  if (!read) return read.Error();
  const std::string_view text = *read;
  JournalContents contents;
  size_t start = 0;
  size_t number = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    ++number;
    if (!line.empty() && line != "\r") {
      auto record = ParseJournalLine(line);
      if (record) {
        contents.Records.push_back(std::move(*record));
      } else {
        contents.Problems.push_back(Path_ + ": line " + std::to_string(number) +
                                    " is incomplete or damaged (written when the program was "
                                    "stopped?) and was skipped");
        contents.Damaged.emplace_back(line);
      }
    }
    start = end + 1;
  }
  return contents;
}

IoResult<bool> PatchJournal::Load() {
  if (Loaded_) return true;
  // Counting lines is enough to know when to trim, and cheap enough for every command.
  auto text = ReadText();
  if (!text) return text.Error();
  Count_ = 0;
  for (size_t start = 0; start < text->size();) {
    size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    if (end > start && !(end == start + 1 && (*text)[start] == '\r')) ++Count_;
    start = end + 1;
  }
  NeedsNewline_ = !text->empty() && text->back() != '\n';
  Loaded_ = true;
  return true;
}

IoResult<bool> PatchJournal::Trim(std::span<const JournalRecord> Added, bool DropOld) {
  // Read again under the writer lock: every record another program appended is in it.
  auto contents = ReadContents();
  if (!contents) return contents.Error();
  std::vector<JournalRecord>& all = contents->Records;
  // The command being written and the newest before it stay, however large, and so does the
  // newest that an undo can still take back (an undo stopped half way leaves the rest of it).
  std::unordered_set<std::string> kept;
  for (const JournalRecord& r : Added) kept.insert(r.Operation);
  if (!OperationId_.empty()) kept.insert(OperationId_);
  if (!all.empty()) kept.insert(all.back().Operation);
  std::unordered_set<std::string> lookedAt;
  for (const JournalRecord& r : all)
    if (IsUndoKind(r.Kind)) lookedAt.insert(r.Reverses);
  for (auto r = all.rbegin(); r != all.rend(); ++r) {
    if (IsUndoKind(r->Kind) || lookedAt.count(r->Id)) continue;
    kept.insert(r->Operation);
    break;
  }
  all.insert(all.end(), Added.begin(), Added.end());

  std::vector<std::string> order;  // operations, oldest first
  std::unordered_map<std::string, size_t> sizeOf;
  std::unordered_map<std::string, std::string> operationOf;  // record Id -> its operation
  std::unordered_map<std::string, std::vector<std::string>> reverses;
  for (const JournalRecord& r : all) {
    if (sizeOf[r.Operation]++ == 0) order.push_back(r.Operation);
    operationOf[r.Id] = r.Operation;
    if (!r.Reverses.empty()) reverses[r.Operation].push_back(r.Reverses);
  }
  // Dropping a tenth at once keeps a full journal from being rewritten on every patch.
  const size_t target = std::max<size_t>(Limit_ - Limit_ / 10, 1);
  size_t total = all.size();
  std::unordered_set<std::string> dropped;
  for (const std::string& operation : order) {
    if (!DropOld || total <= target) break;
    if (kept.count(operation)) continue;
    // An undo goes only after what it took back, or that would count as never undone.
    const auto& taken = reverses[operation];
    if (std::any_of(taken.begin(), taken.end(), [&](const std::string& id) {
          const auto of = operationOf.find(id);
          return of != operationOf.end() && of->second != operation && !dropped.count(of->second);
        }))
      continue;
    dropped.insert(operation);
    total -= sizeOf[operation];
  }
  if (dropped.empty() && contents->Damaged.empty()) return false;

  // Damaged lines may be all that is left of a patch: they are kept aside, never deleted.
  const std::string aside = Path_ + kJournalDamagedSuffix;
  if (!contents->Damaged.empty()) {
    std::string text;
    for (const std::string& line : contents->Damaged) text += line + "\n";
    auto saved = Files_.AppendFile(
        aside, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    if (!saved) return saved.Error();
  }
  std::string text;
  for (const JournalRecord& r : all)
    if (!dropped.count(r.Operation)) text += FormatJournalLine(r);
  auto replaced = Files_.ReplaceFile(
      Path_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (!replaced) return replaced.Error();
  Count_ = total;
  NeedsNewline_ = false;
  const size_t moved = contents->Damaged.size();
  if (moved > 0)
    Notices_.push_back(std::to_string(moved) + (moved == 1 ? " damaged line" : " damaged lines") +
                       " of the undo journal " + Path_ + (moved == 1 ? " was" : " were") +
                       " moved to " + aside + ".");
  return true;
}

IoResult<bool> PatchJournal::Append(std::span<JournalRecord> Records) {
  if (Records.empty()) return true;
  const std::string time = JournalTimeNow();
  const std::string operation = OperationId_.empty() ? NewId() : OperationId_;
  for (JournalRecord& r : Records) {
    if (r.Time.empty()) r.Time = time;
    if (r.Id.empty()) r.Id = NewId();
    if (r.Operation.empty()) r.Operation = operation;
    if (r.Kind.empty()) r.Kind = OperationKind_.empty() ? JournalKind::Set : OperationKind_;
  }
  if (OperationFailed_) return *OperationFailed_;
  auto lock = LockWriters();
  if (!lock) return lock.Error();
  if (OperationId_.empty()) OperationCount_ = 0;  // an append of its own is a command of its own
  auto appended = AppendLocked(Records);
  if (!appended) {
    Loaded_ = false;  // read again before the next append: it must start on a fresh line
    if (!OperationId_.empty()) OperationFailed_ = appended.Error();
  }
  return appended;
}

IoResult<bool> PatchJournal::AppendLocked(std::span<JournalRecord> Records) {
  auto loaded = Load();
  if (!loaded) return loaded.Error();
  // Only when other commands' records are there to drop: a command larger than the limit alone
  // would otherwise rewrite the journal on each append. An undo never trims: what it takes back
  // must stay until it is done, for it may be stopped half way.
  const bool full = Count_ + Records.size() > Limit_ && Count_ > OperationCount_ &&
                    OperationKind_ != JournalKind::Undo;
  // A torn last line is set aside with the damaged ones; should that fail, the records still go
  // on a fresh line below it.
  if (full || NeedsNewline_) {
    auto trimmed = Trim(Records, full);
    if (!trimmed && full) return trimmed.Error();
    if (trimmed && *trimmed) {
      OperationCount_ += Records.size();
      return true;
    }
  }
  std::string text = NeedsNewline_ ? "\n" : "";
  for (const JournalRecord& r : Records) text += FormatJournalLine(r);
  auto appended = Files_.AppendFile(
      Path_, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (!appended) return appended.Error();
  Count_ += Records.size();
  OperationCount_ += Records.size();
  NeedsNewline_ = false;
  return true;
}

PatchJournal::Operation::Operation(PatchJournal* Journal, const char* Kind) : Journal_(Journal) {
  if (!Journal_ || !Journal_->OperationId_.empty()) return;
  if (auto lock = Journal_->LockWriters())
    Lock_.emplace(std::move(*lock));
  else
    Journal_->LockError_ = lock.Error();
  Journal_->OperationCount_ = 0;
  Journal_->OperationId_ = Journal_->NewId();
  Journal_->OperationKind_ = Kind;
  Opened_ = true;
}

PatchJournal::Operation::~Operation() {
  if (!Opened_) return;
  Journal_->OperationFailed_.reset();
  Journal_->OperationId_.clear();
  Journal_->OperationKind_.clear();
  Journal_->LockError_.reset();
}

}  // namespace brieflist
