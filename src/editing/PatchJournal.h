#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "editing/JournalLine.h"
#include "platform/EngineHost.h"
#include "platform/FileSystem.h"
#include "platform/IoResult.h"

namespace brieflist {

// The journal keeps at most this many records; the oldest commands are dropped whole. The
// command being written, the newest before it and the newest an undo can still take back are
// kept even when they alone hold more; an undo drops nothing.
inline constexpr size_t kJournalLimit = 10000;
// The journal's file inside the program's data folder.
inline constexpr const char* kJournalFileName = "journal.tsv";
// Beside the journal: the file every writer of the journal locks (the journal itself is renamed
// over by a trim), and the file that damaged lines are moved to when the journal is rewritten.
inline constexpr const char* kJournalLockSuffix = ".lock";
inline constexpr const char* kJournalDamagedSuffix = ".damaged";
// How long a writer waits for another program's lock before it gives up, and after how long
// it says that it is waiting.
inline constexpr std::chrono::milliseconds kJournalLockWait{30000};
inline constexpr std::chrono::milliseconds kJournalWaitNotice{1000};

// The user's journal: kJournalFileName in the program's data folder, which is made when missing.
IoResult<std::string> UserJournalPath();

// What the journal holds.
struct JournalContents {
  std::vector<JournalRecord> Records;  // oldest first
  std::vector<std::string> Problems;   // one message per torn or damaged line, naming it
  std::vector<std::string> Damaged;    // those lines as they stand in the file
};

// The append-only record of every patch, in one text file. Every patch appends its records and
// has them flushed before it writes to a game file, so an undo can restore the bytes even after
// a crash.
class PatchJournal {
 public:
  PatchJournal(FileSystem& Files, std::string Path, size_t Limit = kJournalLimit);

  const std::string& Path() const { return Path_; }

  // Told when damaged lines are moved out of the journal to the file beside it; told once the
  // writer lock is given up, so that no notice keeps other programs waiting.
  std::function<void(const std::string&)> OnNotice;
  // How long LockWriters waits for another program before it fails, and what it calls once
  // per wait when the wait has lasted kJournalWaitNotice.
  std::chrono::milliseconds LockWait = kJournalLockWait;
  std::function<void()> OnWaiting;

  // Keeps every other writer of this journal (switch, trim, undo, in any program) waiting while
  // it lives, so that records reach the journal in the order their patches reach the disk. Locks
  // taken again while one is held share it. Waits at most LockWait for another program.
  class WriterLock {
   public:
    explicit WriterLock(PatchJournal* Journal) : Journal_(Journal) {}
    WriterLock(WriterLock&& Other) noexcept : Journal_(Other.Journal_) { Other.Journal_ = nullptr; }
    WriterLock& operator=(WriterLock&&) = delete;
    ~WriterLock();

   private:
    PatchJournal* Journal_;
  };
  IoResult<WriterLock> LockWriters();

  // Gives the writer lock up, though a command of this program holds it, until the command's
  // next write takes it again: for a question or a message, which may wait for a person while
  // other programs want to write. Never while a patch is being written.
  void LetOthersWrite();

  // Appends the records and flushes them to stable storage. Fills each record's empty Time, Id
  // and Operation, and an empty Kind from the open operation. When the journal would hold more
  // than its limit, the oldest commands are dropped whole by rewriting it through a temporary
  // file; damaged lines go to the file beside it, never away, and so does a torn last line (a
  // program stopped while appending). A failed append leaves nothing of itself and ends the
  // open operation's appending: every later append of it fails the same way, so the command
  // switches nothing more that the journal could not record first.
  IoResult<bool> Append(std::span<JournalRecord> Records);

  // Every whole record, oldest first; a missing journal holds none. A journal that is there but
  // cannot be read, a folder among them, is an error.
  IoResult<JournalContents> Read();
  // The damaged lines a trim moved to the file beside the journal; none when there is none.
  IoResult<std::vector<std::string>> KeptAside();

  // Groups the records appended while it lives under one operation of one kind, and holds the
  // writer lock meanwhile (but see LetOthersWrite), so one command's records are never
  // interleaved with another's. An operation opened while another is open joins the outer one.
  // Works on no journal too. When the lock cannot be had, every write of the operation fails
  // with the reason at once, without waiting again.
  class Operation {
   public:
    Operation(PatchJournal* Journal, const char* Kind);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

   private:
    PatchJournal* Journal_;
    bool Opened_ = false;
    std::optional<WriterLock> Lock_;
  };

 private:
  std::string NewId();
  IoResult<bool> Load();
  IoResult<bool> AppendLocked(std::span<JournalRecord> Records);
  // Writes the journal anew with Added, without what a trim drops (when Trim) and with its
  // damaged lines set aside; false when there was nothing to leave out.
  IoResult<bool> Rewrite(std::span<const JournalRecord> Added, bool Trim);
  IoResult<std::unique_ptr<FileLock>> WaitForLock();

  FileSystem& Files_;
  std::string Path_;
  size_t Limit_;
  std::unique_ptr<FileLock> Lock_;
  int LockDepth_ = 0;
  std::optional<IoError> LockError_;  // why the open operation could not have the lock
  std::vector<std::string> Notices_;  // for OnNotice once the lock is given up
  bool Loaded_ = false;
  size_t Count_ = 0;           // lines in the file, as far as this process knows
  size_t OperationCount_ = 0;  // of which the open operation's records
  bool NeedsNewline_ = false;  // the file ends with a torn line: start on a fresh one
  std::string OperationId_;
  std::string OperationKind_;
  std::optional<IoError> OperationFailed_;  // the append that failed in the open operation
  std::mt19937_64 Random_;
};

// Passes the question on, giving the journal's writer lock up while it is asked
// (PatchJournal::LetOthersWrite): no other program waits for a person to answer.
class LockFreeDialogsHost : public EngineHost {
 public:
  explicit LockFreeDialogsHost(EngineHost& Inner) : Inner_(Inner) {}
  PatchJournal* Journal = nullptr;

  bool AskYesNo(const std::string& Text) override {
    if (Journal) Journal->LetOthersWrite();
    return Inner_.AskYesNo(Text);
  }
  void Progress(size_t Done, size_t Total) override { Inner_.Progress(Done, Total); }

 private:
  EngineHost& Inner_;
};

}  // namespace brieflist
