#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
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
};

// One block of a file that PatchBlocks reads and may write back.
struct FileBlock {
  uint64_t Offset = 0;
  std::vector<uint8_t> Bytes;  // sized by the caller; read into, zeros past the file's end
  size_t Have = 0;             // how many of Bytes the file held
  bool Write = false;          // set by the edit: write this block back
  bool Written = false;        // set by PatchBlocks once the block is written
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
    return FolderFiles{std::move(*names), {}};
  }
  virtual bool IsFolder(const std::string& Path) = 0;

  // The whole file as one read found it; the file is closed on return.
  virtual IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) = 0;

  // The first Count bytes of the file in one read; bytes past its end are zero.
  virtual IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) = 0;

  // Reads Count bytes at Offset (zeros past the end), lets Edit change them, writes them back
  // in one positioned write when Edit returns true, flushes to stable storage and closes.
  // Edit returning false writes nothing. The file is never truncated or extended beyond what
  // the block already covered.
  virtual IoResult<bool> PatchBlock(const std::string& Path, uint64_t Offset, size_t Count,
                                    const std::function<bool(std::span<uint8_t>)>& Edit) = 0;

  // Opens Path once for reading and writing, reads each block (one read each), lets Edit look at
  // them all and mark those to write, writes each marked block back (one write each, only the
  // bytes the file held), flushes once and closes. Edit returning false writes nothing. On an
  // error the blocks written before it keep Written set. The default patches block by block,
  // for file systems that have nothing better.
  virtual IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                                     const std::function<bool(std::vector<FileBlock>&)>& Edit);

  // Appends Bytes to the end of Path, creating it when missing, and flushes it to stable
  // storage before returning.
  virtual IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) {
    (void)Bytes;
    return IoError{Path, "appending is not supported here"};
  }

  // Writes Bytes to a temporary file beside Path and renames it over Path when complete, so
  // an existing file is either wholly replaced or left as it was.
  virtual IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) = 0;

  virtual const IoCounters& Counters() const = 0;
  virtual void ResetCounters() = 0;
};

// The real disk.
std::unique_ptr<FileSystem> MakeNativeFileSystem();

}  // namespace brieflist
