// The real disk on Windows: wide-character names, whole files read in one go, positioned
// reads and writes through OVERLAPPED offsets, and a replace that renames over the target.
#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// The system's macro would rename our own member of that name.
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <string>

#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/NativeNames.h"
#include "platform/Windows1252.h"

namespace brieflist {
namespace {

// Engine paths are Windows-1252 text; the system takes UTF-16.
std::wstring WidePath(const std::string& Path) {
  return NativePath(Path).native();
}

// The system's text for an error, as the engine's single-byte text. A file held open by
// another program gets a text that says so plainly: the system's own is often cryptic.
std::string ErrorText(DWORD Error) {
  if (Error == ERROR_SHARING_VIOLATION || Error == ERROR_LOCK_VIOLATION)
    return "used by another program; close that program and try again";
  if (Error == ERROR_BAD_FILE_TYPE) return "not a regular file";
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  for (DWORD i = 0; i < length; ++i) {
    const auto byte = CodePointToWindows1252(static_cast<char32_t>(buffer[i]));
    text += byte ? static_cast<char>(*byte) : '?';
  }
  if (buffer) LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(Error);
  return text;
}

IoError LastError(const std::string& Path) {
  return IoError{Path, ErrorText(GetLastError())};
}

class OwnedBytes : public FileBytes {
 public:
  explicit OwnedBytes(std::vector<uint8_t> Bytes) : Bytes_(std::move(Bytes)) {}
  std::span<const uint8_t> Bytes() const override { return Bytes_; }

 private:
  std::vector<uint8_t> Bytes_;
};

OVERLAPPED At(uint64_t Offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(Offset & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(Offset >> 32);
  return at;
}

// A single call moves at most this much; larger counts take several.
constexpr size_t kMaxTransfer = 1u << 30;

// Reads until Count bytes or the end of the file; false on an error (GetLastError tells).
bool ReadFully(HANDLE File, uint8_t* Buffer, size_t Count, uint64_t Offset, size_t& Done,
               uint64_t& Calls) {
  Done = 0;
  while (Done < Count) {
    ++Calls;
    OVERLAPPED at = At(Offset + Done);
    DWORD got = 0;
    const auto want = static_cast<DWORD>(std::min(Count - Done, kMaxTransfer));
    if (!ReadFile(File, Buffer + Done, want, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return false;
    }
    if (got == 0) break;
    Done += got;
  }
  return true;
}

bool WriteFully(HANDLE File, const uint8_t* Buffer, size_t Count, uint64_t Offset,
                uint64_t& Calls) {
  size_t done = 0;
  while (done < Count) {
    ++Calls;
    OVERLAPPED at = At(Offset + done);
    DWORD put = 0;
    const auto want = static_cast<DWORD>(std::min(Count - done, kMaxTransfer));
    if (!WriteFile(File, Buffer + done, want, &put, &at)) return false;
    if (put == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += put;
  }
  return true;
}

// The lock of one byte of its file, held through its own handle.
class WindowsLock : public FileLock {
 public:
  explicit WindowsLock(HANDLE File) : File_(File) {}
  ~WindowsLock() override {
    OVERLAPPED at{};
    UnlockFileEx(File_, 0, 1, 0, &at);
    CloseHandle(File_);
  }
  WindowsLock(const WindowsLock&) = delete;
  WindowsLock& operator=(const WindowsLock&) = delete;

 private:
  HANDLE File_;
};

// A file held open by InspectFile or PatchBlocks; remembers the first failed read.
class Handle : public OpenFile {
 public:
  Handle(HANDLE File, uint64_t Size, uint64_t& Reads) : File_(File), Size_(Size), Reads_(Reads) {}
  uint64_t Size() const override { return Size_; }
  bool Read(FileBlock& Block) override {
    std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
    Block.Have = 0;
    if (Error) return false;
    if (!ReadFully(File_, Block.Bytes.data(), Block.Bytes.size(), Block.Offset, Block.Have,
                   Reads_)) {
      Error = GetLastError();
      Block.Have = 0;
      return false;
    }
    return true;
  }

  DWORD Error = 0;

 private:
  HANDLE File_;
  uint64_t Size_;
  uint64_t& Reads_;
};

class WindowsFileSystem : public FileSystem {
 public:
  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    return ListMatchingFiles(Folder, Suffix);
  }

  IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) override {
    return ListMatchingFolder(Folder, Suffix);
  }

  bool IsFolder(const std::string& Path) override {
    const DWORD attributes = GetFileAttributesW(WidePath(Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool Exists(const std::string& Path) override {
    return GetFileAttributesW(WidePath(Path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  IoResult<PathKind> KindOf(const std::string& Path) override {
    const DWORD attributes = GetFileAttributesW(WidePath(Path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return PathKind::Missing;
      return IoError{Path, ErrorText(error)};  // a name too long, a drive not ready, no access
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) ? PathKind::Other : PathKind::File;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    const HANDLE file = OpenForReading(Path);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return CloseWithError(file, Path);
    const auto length = static_cast<size_t>(size.QuadPart);
    // Read, never mapped: a view of a file that goes away under us (a network share, a
    // removable drive) faults on access, while a read reports an error or fewer bytes.
    std::vector<uint8_t> buffer(length);
    size_t got = 0;
    if (!ReadFully(file, buffer.data(), length, 0, got, Counters_.Reads))
      return CloseWithError(file, Path);
    buffer.resize(got);
    std::unique_ptr<FileBytes> bytes = std::make_unique<OwnedBytes>(std::move(buffer));
    Close(file);
    return bytes;
  }

  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    const HANDLE file = OpenForReading(Path);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    std::vector<uint8_t> buffer(Count, 0);
    size_t got = 0;
    if (!ReadFully(file, buffer.data(), Count, 0, got, Counters_.Reads))
      return CloseWithError(file, Path);
    Close(file);
    return buffer;
  }

  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    const HANDLE file = OpenForReading(Path);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return CloseWithError(file, Path);
    Handle open(file, static_cast<uint64_t>(size.QuadPart), Counters_.Reads);
    Look(open);
    if (open.Error) {
      SetLastError(open.Error);
      return CloseWithError(file, Path);
    }
    Close(file);
    return true;
  }

  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    const HANDLE file = OpenForWriting(Path, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return CloseWithError(file, Path);
    Handle open(file, static_cast<uint64_t>(size.QuadPart), Counters_.Reads);
    const bool write = Edit(open);
    if (open.Error) {
      SetLastError(open.Error);
      return CloseWithError(file, Path);
    }
    if (!write) {
      Close(file);
      return false;
    }
    bool any = false;
    for (FileBlock& block : Blocks) {
      if (!block.Write) continue;
      if (!WriteFully(file, block.Bytes.data(), std::min(block.Have, block.Bytes.size()),
                      block.Offset, Counters_.Writes)) {
        // What was written is still pushed to the disk before the error is reported.
        const DWORD error = GetLastError();
        if (any) {
          ++Counters_.Flushes;
          FlushFileBuffers(file);
        }
        Close(file);
        return IoError{Path, ErrorText(error)};
      }
      block.Written = any = true;
    }
    if (any) {
      ++Counters_.Flushes;
      if (!FlushFileBuffers(file)) return CloseWithError(file, Path);
    }
    if (!Close(file)) return LastError(Path);
    return true;
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    const HANDLE file = OpenForWriting(Path, FILE_APPEND_DATA, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    size_t done = 0;
    while (done < Bytes.size()) {
      ++Counters_.Writes;
      DWORD put = 0;
      const auto want = static_cast<DWORD>(std::min(Bytes.size() - done, kMaxTransfer));
      if (!WriteFile(file, Bytes.data() + done, want, &put, nullptr))
        return CloseWithError(file, Path);
      if (put == 0) {
        SetLastError(ERROR_WRITE_FAULT);
        return CloseWithError(file, Path);
      }
      done += put;
    }
    ++Counters_.Flushes;
    if (!FlushFileBuffers(file)) return CloseWithError(file, Path);
    if (!Close(file)) return LastError(Path);
    return true;
  }

  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    // Renaming over a folder would replace it rather than write a file.
    const DWORD target = GetFileAttributesW(WidePath(Path).c_str());
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY))
      return IoError{Path, "not a regular file"};
    if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_READONLY))
      return IoError{Path, ErrorText(ERROR_ACCESS_DENIED)};
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    // A fresh name beside the target, so the final rename stays on one volume.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
      temp = WidePath(Path) + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(counter++) + L".tmp";
      file = OpenWide(temp, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
      if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    const auto fail = [&](DWORD Error, bool Open) -> IoResult<bool> {
      if (Open) Close(file);
      DeleteFileW(temp.c_str());
      return IoError{Path, ErrorText(Error)};
    };
    if (!WriteFully(file, Bytes.data(), Bytes.size(), 0, Counters_.Writes))
      return fail(GetLastError(), true);
    ++Counters_.Flushes;
    if (!FlushFileBuffers(file)) return fail(GetLastError(), true);
    if (!Close(file)) return fail(GetLastError(), false);
    if (!MoveFileExW(temp.c_str(), WidePath(Path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return fail(GetLastError(), false);
    return true;
  }

  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    // Every program opens it, so no one may hold it exclusively.
    const HANDLE file = Open(Path, GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    if (GetFileType(file) != FILE_TYPE_DISK) {
      Close(file);
      return IoError{Path, "not a regular file"};
    }
    OVERLAPPED at{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at)) return CloseWithError(file, Path);
    return std::unique_ptr<FileLock>(std::make_unique<WindowsLock>(file));
  }

  const IoCounters& Counters() const override { return Counters_; }
  void ResetCounters() override { Counters_ = {}; }

 private:
  HANDLE OpenWide(const std::wstring& Path, DWORD Access, DWORD Share, DWORD Disposition,
                  DWORD Flags) {
    ++Counters_.Opens;
    return CreateFileW(Path.c_str(), Access, Share, nullptr, Disposition, Flags, nullptr);
  }

  // Opens files on a disk and nothing else: a pipe or a device named like a game file would
  // otherwise hold up every read.
  HANDLE Open(const std::string& Path, DWORD Access, DWORD Share, DWORD Disposition, DWORD Flags) {
    const HANDLE file = OpenWide(WidePath(Path), Access, Share, Disposition, Flags);
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) == FILE_TYPE_DISK) return file;
    Close(file);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return INVALID_HANDLE_VALUE;
  }

  // Windows refuses to write a file marked read-only, or to rename over it; asked first, so
  // the answer is the same where the mark is not enforced by the file system itself (Wine run
  // by root, some network shares).
  static bool IsReadOnly(const std::string& Path) {
    const DWORD attributes = GetFileAttributesW(WidePath(Path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  }

  // Others may go on reading while we write, but no one else may write meanwhile.
  HANDLE OpenForWriting(const std::string& Path, DWORD Access, DWORD Disposition) {
    if (IsReadOnly(Path)) {
      ++Counters_.Opens;
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    return Open(Path, Access, FILE_SHARE_READ, Disposition, FILE_ATTRIBUTE_NORMAL);
  }

  // Reading never stands in another program's way: the game may hold its archives open.
  HANDLE OpenForReading(const std::string& Path) {
    return Open(Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  }

  bool Close(HANDLE File) {
    ++Counters_.Closes;
    return CloseHandle(File) != 0;
  }

  IoError CloseWithError(HANDLE File, const std::string& Path) {
    const DWORD error = GetLastError();
    Close(File);
    return IoError{Path, ErrorText(error)};
  }

  IoCounters Counters_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<WindowsFileSystem>();
}

}  // namespace brieflist

#endif
