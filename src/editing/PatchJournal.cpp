#include "editing/PatchJournal.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "editing/JournalTrim.h"
#include "platform/Paths.h"
#include "platform/UserDataFolder.h"

namespace brieflist {
namespace {

// The text of the file at Path; empty when nothing is there. What cannot be looked at or read
// (no handles left, no leave) is an error with its cause, never taken for an empty file.
IoResult<std::string> ReadIfThere(FileSystem& Files, const std::string& Path) {
  // Asked of the file system by this very name: a folder listing ignores letter case.
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

std::span<const uint8_t> AsBytes(std::string_view Text) {
  return {reinterpret_cast<const uint8_t*>(Text.data()), Text.size()};
}

}  // namespace

IoResult<std::string> UserJournalPath() {
  auto folder = ProgramDataFolder();
  if (!folder) return folder.Error();
  return JoinPath(*folder, kJournalFileName);
}

PatchJournal::PatchJournal(FileSystem& Files, std::string Path, size_t Limit)
    : Files_(Files), Path_(std::move(Path)), Limit_(std::max<size_t>(Limit, 1)) {
  std::random_device device;
  Random_.seed((static_cast<uint64_t>(device()) << 32) ^ device() ^
               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

std::string PatchJournal::NewId() {
  return JournalId(Random_());
}

IoResult<JournalContents> PatchJournal::Read() {
  // A journal that was never written holds nothing; only a journal that exists must be read.
  auto text = ReadIfThere(Files_, Path_);
  if (!text) return text.Error();
  JournalContents contents;
  for (const JournalTextLine& line : SplitJournalText(*text)) {
    if (auto record = ParseJournalLine(line.Text)) {
      contents.Records.push_back(std::move(*record));
      continue;
    }
    contents.Problems.push_back(Path_ + ": line " + std::to_string(line.Number) +
                                " is incomplete or damaged (written when the program was "
                                "stopped?) and was skipped");
    contents.Damaged.emplace_back(line.Text);
  }
  return contents;
}

IoResult<std::vector<std::string>> PatchJournal::KeptAside() {
  auto text = ReadIfThere(Files_, Path_ + kJournalDamagedSuffix);
  if (!text) return text.Error();
  std::vector<std::string> lines;
  for (const JournalTextLine& line : SplitJournalText(*text)) lines.emplace_back(line.Text);
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

IoResult<bool> PatchJournal::Load() {
  if (Loaded_) return true;
  // Counting lines is enough to know when to trim, and cheap enough for every command.
  auto text = ReadIfThere(Files_, Path_);
  if (!text) return text.Error();
  Count_ = SplitJournalText(*text).size();
  NeedsNewline_ = EndsTorn(*text);
  Loaded_ = true;
  return true;
}

IoResult<bool> PatchJournal::Rewrite(std::span<const JournalRecord> Added, bool Trim) {
  // Read again under the writer lock: every record another program appended is in it.
  auto contents = Read();
  if (!contents) return contents.Error();
  std::vector<JournalRecord>& all = contents->Records;
  all.insert(all.end(), Added.begin(), Added.end());
  JournalTrimPlan plan{{}, all.size()};
  if (Trim) plan = PlanJournalTrim(all, Added.size(), Limit_);
  if (plan.Dropped.empty() && contents->Damaged.empty()) return false;

  // Damaged lines may be all that is left of a patch: they are kept aside, never deleted.
  const std::string aside = Path_ + kJournalDamagedSuffix;
  if (!contents->Damaged.empty()) {
    std::string text;
    for (const std::string& line : contents->Damaged) text += line + "\n";
    auto saved = Files_.AppendFile(aside, AsBytes(text));
    if (!saved) return saved.Error();
  }
  std::string text;
  for (const JournalRecord& r : all)
    if (!plan.Dropped.count(r.Operation)) text += FormatJournalLine(r);
  auto replaced = Files_.ReplaceFile(Path_, AsBytes(text));
  if (!replaced) return replaced.Error();
  Count_ = plan.Kept;
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
  const bool full = JournalTrimDue(Count_, Records.size(), OperationCount_, Limit_,
                                   OperationKind_ == JournalKind::Undo);
  // A torn last line is set aside with the damaged ones; should that fail, the records still go
  // on a fresh line below it.
  if (full || NeedsNewline_) {
    auto rewritten = Rewrite(Records, full);
    if (!rewritten && full) return rewritten.Error();
    if (rewritten && *rewritten) {
      OperationCount_ += Records.size();
      return true;
    }
  }
  std::string text = NeedsNewline_ ? "\n" : "";
  for (const JournalRecord& r : Records) text += FormatJournalLine(r);
  auto appended = Files_.AppendFile(Path_, AsBytes(text));
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
