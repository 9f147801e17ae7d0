#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/IoResult.h"

namespace brieflist {

// What the engine did to the disk, for benchmarks and cost tests.
struct IoCounters {
  uint64_t Opens = 0;
  uint64_t Reads = 0;  // read calls and mappings: each fetches bytes from a file
  uint64_t Writes = 0;
  uint64_t Flushes = 0;
  uint64_t Closes = 0;
};

// What stands at a path.
enum class PathKind { Missing, Folder, File, Other };

// A whole file's bytes, read in one go. The file itself is already closed.
class FileBytes {
 public:
  virtual ~FileBytes() = default;
  virtual std::span<const uint8_t> Bytes() const = 0;
};

// The matching files of a folder.
struct FolderFiles {
  std::vector<std::string> Names;  // ordered by name ignoring ASCII case, ties by raw bytes
  // Files whose names the engine's single-byte text cannot hold (on Windows, characters outside
  // Windows-1252), each such character shown as '?'. The engine cannot open them by name, so
  // they are reported rather than passed over.
  std::vector<std::string> Unrepresentable;
  // Names of the suffix the system could not look at (a loop of links, no leave to follow one):
  // they may be game files, so they are reported with the system's reason.
  std::vector<IoError> Unreadable;
};

// One block of a file, read through an OpenFile and perhaps written back by PatchBlocks.
struct FileBlock {
  uint64_t Offset = 0;
  std::vector<uint8_t> Bytes;  // sized by the caller; read into, zeros past the file's end
  size_t Have = 0;             // how many of Bytes the file held
  bool Write = false;          // set by the edit: write this block back
  bool Written = false;        // set by PatchBlocks once the block is written and flushed
  // Set by PatchBlocks when a write failed part way and its old bytes could not be put back
  // either: the block may hold old bytes, new ones or a mix.
  bool Unsure = false;
};

// A regular file held open by InspectFile or PatchBlocks: whatever is read through it comes from
// the one file that is then written, even when another program replaces the path meanwhile.
class OpenFile {
 public:
  // The file's length when it was opened.
  virtual uint64_t Size() const = 0;
  // Fills Block.Bytes from Block.Offset in one read, zeros past the end, and sets Block.Have.
  // A failed read makes the whole InspectFile or PatchBlocks fail with its error.
  virtual bool Read(FileBlock& Block) = 0;
  // The first offset at or after Offset where the file may hold other bytes than zeros, Size()
  // when there is none: the holes of a sparse file read as zeros, and a reader may pass them
  // over unread. A file that cannot tell says Offset.
  virtual uint64_t NextData(uint64_t Offset) { return Offset; }

 protected:
  ~OpenFile() = default;
};

// Bytes in memory as an OpenFile.
class SpanFile : public OpenFile {
 public:
  explicit SpanFile(std::span<const uint8_t> Bytes) : Bytes_(Bytes) {}
  uint64_t Size() const override { return Bytes_.size(); }
  bool Read(FileBlock& Block) override;

 private:
  std::span<const uint8_t> Bytes_;
};

// An open file as PatchBlocks writes it.
class BlockWriter {
 public:
  // Writes Bytes at Offset in one call: how many it took (at least one), or why none.
  virtual IoResult<size_t> WriteAt(uint64_t Offset, std::span<const uint8_t> Bytes) = 0;
  // Pushes what was written to stable storage.
  virtual IoResult<bool> Flush() = 0;

 protected:
  ~BlockWriter() = default;
};

// PatchBlocks on a file already open, the same for every file system: lets Edit read through
// File and mark blocks, writes the marked blocks through Writer and flushes once. A write cut
// short is taken up where it stopped. A write that fails part way gets the old bytes it covered
// put back (they need no new space, so a full disk takes them), and a failed flush gets every
// written block put back and flushed again: each block ends wholly old or wholly new, as its
// Written says, or Unsure when putting back failed too. Stops at the first failed write.
// Returns false when Edit returns false (as it must when a read failed).
IoResult<bool> PatchOpenFile(OpenFile& File, BlockWriter& Writer, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit);

// For tests of failing disks. When set, the native file systems ask it before each write call,
// with the file's path and the bytes asked (0 for a flush): the call then writes at most the
// bytes it returns, or fails as on a full disk (a flush: as on a failing device) when it
// returns a negative number. A flush it answers with a positive number is passed over: a test's
// throwaway files need not wait for the disk.
using NativeFault = std::function<int64_t(const std::string& Path, size_t Count)>;
void SetNativeFault(NativeFault Fault);
// What the fault set allows a call of Count bytes: Count when none is set.
int64_t NativeFaultAllows(const std::string& Path, size_t Count);

// Reads the part of [Offset, Offset + Count) that lies in File into Block, from Block.Offset (0 or
// later) on: the file's byte x is Block.Bytes[x - Block.Offset], and the rest of the range lies
// outside the file, where it reads as zeros. False when the read failed.
bool ReadFilePart(OpenFile& File, int64_t Offset, int64_t Count, FileBlock& Block);

// Which file a name leads to: two names with the same identity are one file (a hard link, or a
// symbolic link followed to its target). The device and file number on POSIX systems, the volume
// serial number and file index on Windows.
struct FileIdentity {
  uint64_t Volume = 0;
  uint64_t Index = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// What stood at a path when looked at: enough to tell that something rewrote or replaced it.
// Zero where the system keeps no such figure.
struct FileStamp {
  PathKind Kind = PathKind::Missing;
  uint64_t Size = 0;
  int64_t Modified = 0;  // nanoseconds, as the system counts them
  int64_t Changed = 0;   // status change (POSIX), creation (Windows): moves when replaced
  FileIdentity Identity;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// An exclusive lock held while this object lives; see FileSystem::LockFile.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Everything the engine asks of the file system. One implementation works on the real
// disk; tests wrap it to inject failures.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Names (not paths) of the regular files in Folder whose names end with Suffix, letter case
  // ignored, ordered by name ignoring ASCII case, ties by raw bytes.
  virtual IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                                       const std::string& Suffix) = 0;
  // ListFiles, and the files it cannot name. A file system that knows of no such files need not
  // override it.
  virtual IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) {
    auto names = ListFiles(Folder, Suffix);
    if (!names) return names.Error();
    return FolderFiles{std::move(*names), {}, {}};
  }
  virtual bool IsFolder(const std::string& Path) = 0;
  // Whether anything at all (a file of any kind, a folder) stands at Path.
  virtual bool Exists(const std::string& Path) { return IsFolder(Path); }
  // What stands at Path, links followed; Missing when the system says nothing is there. A path
  // the system cannot look at (a name too long, no leave to pass a folder on the way, no
  // handles left) is an error with the system's reason, never taken for Missing.
  virtual IoResult<PathKind> KindOf(const std::string& Path) {
    if (IsFolder(Path)) return PathKind::Folder;
    return Exists(Path) ? PathKind::Other : PathKind::Missing;
  }

  // The whole file as one read found it; the file is closed on return.
  virtual IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) = 0;

  // ReadWhole for a file of at most Limit bytes. A larger one is not read: the result holds no
  // bytes (a null pointer), and the caller reads what it needs by parts through InspectFile. A
  // file system that cannot tell the size first reads the file whole.
  virtual IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                             uint64_t Limit) {
    (void)Limit;
    return ReadWhole(Path);
  }

  // The identity of the file at Path, links followed; none when it cannot be found out.
  virtual std::optional<FileIdentity> IdentityOf(const std::string& Path) {
    (void)Path;
    return std::nullopt;
  }

  // What stands at Path, links followed, without opening it; none when the system cannot say.
  virtual std::optional<FileStamp> StampOf(const std::string& Path) {
    const auto kind = KindOf(Path);
    if (!kind) return std::nullopt;
    return FileStamp{*kind, 0, 0, 0, IdentityOf(Path).value_or(FileIdentity{})};
  }

  // The first Count bytes of the file in one read; bytes past its end are zero.
  virtual IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) = 0;

  // Opens Path (a regular file only: anything else is refused without waiting on it) for
  // reading, lets Look read what it needs, and closes it.
  virtual IoResult<bool> InspectFile(const std::string& Path,
                                     const std::function<void(OpenFile&)>& Look) {
    (void)Look;
    return IoError{Path, "reading parts of files is not supported here"};
  }

  // Opens Path (a regular file only) once for reading and writing, lets Edit read what it needs
  // (Blocks among it) and mark blocks of Blocks to write, writes each marked block back (one
  // write each, only the bytes the file held when the block was read: a patch never extends a
  // file), flushes once and closes; see PatchOpenFile for writes that fail. Edit returning false
  // writes nothing. On an error the blocks written and flushed before it keep Written set.
  virtual IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                                     const std::function<bool(OpenFile&)>& Edit) {
    (void)Blocks;
    (void)Edit;
    return IoError{Path, "patching is not supported here"};
  }

  // Appends Bytes to the end of Path, creating it when missing, and flushes it to stable
  // storage before returning. All or nothing: when a write or the flush fails, the file is cut
  // back to its length before, so no fragment stays behind (the caller keeps other writers
  // away meanwhile).
  virtual IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) {
    (void)Bytes;
    return IoError{Path, "appending is not supported here"};
  }

  // Writes Bytes to a temporary file beside Path and renames it over Path when complete, so
  // an existing file is either wholly replaced or left as it was.
  virtual IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) = 0;

  // Waits until no other holder is left and takes the exclusive lock named by Path, a file that
  // is created when missing and never written. Every program on the machine that locks the same
  // path waits for the others; the lock goes when the returned object goes, or when the program
  // ends, however it ends. A second lock of the same path within one program waits too.
  virtual IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) {
    return IoError{Path, "locking is not supported here"};
  }
  // LockFile without the wait: an empty pointer when another holder has the lock. A file system
  // whose locks never wait need not override it.
  virtual IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string& Path) {
    return LockFile(Path);
  }

  virtual const IoCounters& Counters() const = 0;
  virtual void ResetCounters() = 0;
};

// Nothing when Path is a folder; otherwise why not: NotFolder when nothing or something else
// stands there, the system's reason when it cannot look.
std::optional<IoError> FolderProblem(FileSystem& Files, const std::string& Path,
                                     const char* NotFolder);

// The real disk.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace brieflist
