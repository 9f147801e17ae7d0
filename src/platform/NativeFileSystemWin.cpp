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
#include <winioctl.h>
// The system's macro would rename our own member of that name.
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <cstdint>
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

// The system's reason and code; the fault kind from the code.
IoError WinError(const std::string& Path, DWORD Error) {
  IoFault fault = IoFault::Other;
  switch (Error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      fault = IoFault::Denied;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      fault = IoFault::Held;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      fault = IoFault::NoSpace;
      break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      fault = IoFault::Missing;
      break;
    default:
      break;
  }
  return IoError{Path, ErrorText(Error), static_cast<int>(Error), fault};
}

IoError LastError(const std::string& Path) {
  return WinError(Path, GetLastError());
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

// WriteFile and FlushFileBuffers as a test's fault (see SetNativeFault) lets them go.
bool FaultyWrite(const std::string& Path, HANDLE File, const uint8_t* Buffer, DWORD Count,
                 DWORD& Put, OVERLAPPED* At) {
  const int64_t allowed = NativeFaultAllows(Path, Count);
  if (allowed < 0) {
    SetLastError(ERROR_DISK_FULL);
    return false;
  }
  const auto count = static_cast<DWORD>(std::min<int64_t>(Count, allowed));
  return WriteFile(File, Buffer, count, &Put, At) != 0;
}

bool FaultyFlush(const std::string& Path, HANDLE File) {
  const int64_t allowed = NativeFaultAllows(Path, 0);
  if (allowed < 0) SetLastError(ERROR_IO_DEVICE);
  return allowed < 0 ? false : allowed > 0 || FlushFileBuffers(File) != 0;
}

// One positioned write call; one that wrote nothing is an error (GetLastError tells).
bool WriteOnce(const std::string& Path, HANDLE File, const uint8_t* Buffer, size_t Count,
               uint64_t Offset, DWORD& Put, uint64_t& Calls) {
  ++Calls;
  OVERLAPPED at = At(Offset);
  Put = 0;
  const auto want = static_cast<DWORD>(std::min(Count, kMaxTransfer));
  if (!FaultyWrite(Path, File, Buffer, want, Put, &at)) return false;
  if (Put == 0) {
    SetLastError(ERROR_WRITE_FAULT);
    return false;
  }
  return true;
}

bool WriteFully(const std::string& Path, HANDLE File, const uint8_t* Buffer, size_t Count,
                uint64_t Offset, uint64_t& Calls) {
  for (size_t done = 0; done < Count;) {
    DWORD put = 0;
    if (!WriteOnce(Path, File, Buffer + done, Count - done, Offset + done, put, Calls))
      return false;
    done += put;
  }
  return true;
}

// What the system knows of the file or folder at Path, links followed. Opened for no access at
// all: that needs no rights to its contents and never stands in the way of another program. Like
// a stat, not counted as an open of the file.
bool Information(const std::string& Path, BY_HANDLE_FILE_INFORMATION& Info) {
  const HANDLE file =
      CreateFileW(WidePath(Path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &Info) != 0;
  CloseHandle(file);
  return known;
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
class Handle : public OpenFile, public BlockWriter {
 public:
  Handle(const std::string& Path, HANDLE File, uint64_t Size, IoCounters& Counters)
      : Path_(Path), File_(File), Size_(Size), Counters_(Counters) {}
  uint64_t Size() const override { return Size_; }
  IoResult<size_t> WriteAt(uint64_t Offset, std::span<const uint8_t> Bytes) override {
    DWORD put = 0;
    if (!WriteOnce(Path_, File_, Bytes.data(), Bytes.size(), Offset, put, Counters_.Writes))
      return LastError(Path_);
    return static_cast<size_t>(put);
  }
  IoResult<bool> Flush() override {
    ++Counters_.Flushes;
    if (!FaultyFlush(Path_, File_)) return LastError(Path_);
    return true;
  }
  bool Read(FileBlock& Block) override {
    std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
    Block.Have = 0;
    if (Error) return false;
    if (!ReadFully(File_, Block.Bytes.data(), Block.Bytes.size(), Block.Offset, Block.Have,
                   Counters_.Reads)) {
      Error = GetLastError();
      Block.Have = 0;
      return false;
    }
    return true;
  }
  uint64_t NextData(uint64_t Offset) override {
    if (Offset >= Size_) return Size_;
    // The first allocated range at or after Offset; a file that is not sparse is one range.
    FILE_ALLOCATED_RANGE_BUFFER asked{};
    asked.FileOffset.QuadPart = static_cast<LONGLONG>(Offset);
    asked.Length.QuadPart = static_cast<LONGLONG>(Size_ - Offset);
    FILE_ALLOCATED_RANGE_BUFFER found{};
    DWORD got = 0;
    if (!DeviceIoControl(File_, FSCTL_QUERY_ALLOCATED_RANGES, &asked, sizeof asked, &found,
                         sizeof found, &got, nullptr) &&
        GetLastError() != ERROR_MORE_DATA)
      return Offset;
    if (got < sizeof found) return Size_;  // no range: a hole up to the end
    const auto start = static_cast<uint64_t>(found.FileOffset.QuadPart);
    return std::min(std::max(start, Offset), Size_);
  }

  DWORD Error = 0;

 private:
  const std::string& Path_;
  HANDLE File_;
  uint64_t Size_;
  IoCounters& Counters_;
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
      return WinError(Path, error);  // a name too long, a drive not ready, no access
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
    return (attributes & FILE_ATTRIBUTE_DEVICE) ? PathKind::Other : PathKind::File;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    return ReadWholeUpTo(Path, UINT64_MAX);
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                     uint64_t Limit) override {
    const HANDLE file = OpenForReading(Path);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return CloseWithError(file, Path);
    if (static_cast<uint64_t>(size.QuadPart) > Limit) {
      Close(file);
      return std::unique_ptr<FileBytes>();
    }
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

  std::optional<FileIdentity> IdentityOf(const std::string& Path) override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Information(Path, info)) return std::nullopt;
    const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // Some network file systems give every file the index 0: that tells nothing.
    if (index == 0) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, index};
  }

  std::optional<FileStamp> StampOf(const std::string& Path) override {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Information(Path, info)) return std::nullopt;
    const auto join = [](DWORD High, DWORD Low) { return (uint64_t{High} << 32) | Low; };
    // FILETIME counts 100-nanosecond steps.
    const auto time = [&](const FILETIME& t) {
      return static_cast<int64_t>(join(t.dwHighDateTime, t.dwLowDateTime) * 100);
    };
    const PathKind kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder
                          : (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)  ? PathKind::Other
                                                                             : PathKind::File;
    return FileStamp{kind,
                     join(info.nFileSizeHigh, info.nFileSizeLow),
                     time(info.ftLastWriteTime),
                     time(info.ftCreationTime),
                     {info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow)}};
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
    Handle open(Path, file, static_cast<uint64_t>(size.QuadPart), Counters_);
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
    Handle open(Path, file, static_cast<uint64_t>(size.QuadPart), Counters_);
    const auto done = PatchOpenFile(open, open, Blocks,
                                    [&](OpenFile& Open) { return Edit(Open) && !open.Error; });
    if (open.Error) {
      SetLastError(open.Error);
      return CloseWithError(file, Path);
    }
    // Once flushed, the bytes are on the disk whatever the close says.
    Close(file);
    return done;
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    // Written at the length found, not in append mode, so that a failed append can be cut back
    // off: no fragment of a line stays to be glued to. No one else may write meanwhile.
    const HANDLE file = OpenForWriting(Path, GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return CloseWithError(file, Path);
    const auto fail = [&] {
      const DWORD error = GetLastError();
      if (SetFilePointerEx(file, size, nullptr, FILE_BEGIN)) SetEndOfFile(file);
      Close(file);
      return WinError(Path, error);
    };
    if (!WriteFully(Path, file, Bytes.data(), Bytes.size(), static_cast<uint64_t>(size.QuadPart),
                    Counters_.Writes))
      return fail();
    ++Counters_.Flushes;
    if (!FaultyFlush(Path, file)) return fail();
    // Once flushed, the bytes are on the disk whatever the close says.
    Close(file);
    return true;
  }

  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    // A symbolic link (a published list pointing elsewhere) is written through: its target is
    // replaced and the link stays.
    const std::wstring target = FinalPath(Path);
    // Renaming over a folder would replace it rather than write a file.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return IoError{Path, "not a regular file"};
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
      return WinError(Path, ERROR_ACCESS_DENIED);
    if (exists) {
      // A file that another program holds without leave to delete it cannot be replaced: said
      // before anything is written (the system's replace may leave a file of its own behind).
      const HANDLE held =
          OpenWide(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
      if (held == INVALID_HANDLE_VALUE) return LastError(Path);
      Close(held);
    }
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    // A fresh name beside the target, so the final rename stays on one volume.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
      temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(counter++) + L".tmp";
      file = OpenWide(temp, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
      if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return LastError(Path);
    const auto fail = [&](DWORD Error, bool Open) -> IoResult<bool> {
      if (Open) Close(file);
      DeleteFileW(temp.c_str());
      return WinError(Path, Error);
    };
    if (!WriteFully(Path, file, Bytes.data(), Bytes.size(), 0, Counters_.Writes))
      return fail(GetLastError(), true);
    ++Counters_.Flushes;
    if (!FaultyFlush(Path, file)) return fail(GetLastError(), true);
    if (!Close(file)) return fail(GetLastError(), false);
    // The system's replace keeps the old file's attributes, security and creation time. Where
    // it cannot (some file systems and shares), or it removed the old file and could not put
    // the new one in its place, the plain rename does the job.
    if (exists && ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                               REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
      return true;
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return fail(GetLastError(), false);
    return true;
  }

  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    return Lock(Path, LOCKFILE_EXCLUSIVE_LOCK);
  }

  IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string& Path) override {
    return Lock(Path, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY);
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

  // The file Path names once symbolic links and junctions on the way are followed, as the
  // system names it; Path itself when nothing is there to open.
  std::wstring FinalPath(const std::string& Path) {
    const std::wstring wide = WidePath(Path);
    const HANDLE file = OpenWide(wide, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return wide;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= final.size()) {
      final.resize(length + 1);
      length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    Close(file);
    if (length == 0 || length >= final.size()) return wide;
    final.resize(length);
    return final;
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

  IoResult<std::unique_ptr<FileLock>> Lock(const std::string& Path, DWORD How) {
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
    if (!LockFileEx(file, How, 0, 1, 0, &at)) {
      if (GetLastError() != ERROR_LOCK_VIOLATION) return CloseWithError(file, Path);
      Close(file);
      return std::unique_ptr<FileLock>();
    }
    return std::unique_ptr<FileLock>(std::make_unique<WindowsLock>(file));
  }

  bool Close(HANDLE File) {
    ++Counters_.Closes;
    return CloseHandle(File) != 0;
  }

  IoError CloseWithError(HANDLE File, const std::string& Path) {
    const DWORD error = GetLastError();
    Close(File);
    return WinError(Path, error);
  }

  IoCounters Counters_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<WindowsFileSystem>();
}

}  // namespace brieflist

#endif
