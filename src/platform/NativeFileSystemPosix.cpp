// The real disk on POSIX systems: whole files read into a buffer, pread/pwrite for blocks.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/FileSystem.h"
#include "platform/FolderListing.h"

namespace brieflist {
namespace {

// Whole files are read, never mapped: a mapped file that another program shrinks kills the
// reader with SIGBUS, while a read simply returns fewer bytes. Larger buffers are not kept for
// the next file: one huge archive would hold its memory for the rest of the run.
constexpr size_t kPooledLimit = 16u << 20;

std::string ErrnoText(int error) {
  return std::generic_category().message(error);
}

// Bytes read into a buffer that goes back to its file system for the next file, so reading
// archive after archive reuses one allocation.
class PooledBytes : public FileBytes {
 public:
  PooledBytes(std::vector<uint8_t> bytes, std::vector<uint8_t>& spare)
      : Bytes_(std::move(bytes)), Spare_(spare) {}
  ~PooledBytes() override {
    if (Bytes_.capacity() > Spare_.capacity()) Spare_ = std::move(Bytes_);
  }
  PooledBytes(const PooledBytes&) = delete;
  PooledBytes& operator=(const PooledBytes&) = delete;
  std::span<const uint8_t> Bytes() const override { return Bytes_; }

 private:
  std::vector<uint8_t> Bytes_;
  std::vector<uint8_t>& Spare_;
};

class OwnedBytes : public FileBytes {
 public:
  explicit OwnedBytes(std::vector<uint8_t> bytes) : Bytes_(std::move(bytes)) {}
  std::span<const uint8_t> Bytes() const override { return Bytes_; }

 private:
  std::vector<uint8_t> Bytes_;
};

// Reads until Count bytes or the end of the file; returns the number read or -1.
ssize_t ReadFully(int fd, uint8_t* buffer, size_t count, off_t offset, uint64_t& calls) {
  size_t done = 0;
  while (done < count) {
    ++calls;
    const ssize_t n = pread(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool WriteFully(int fd, const uint8_t* buffer, size_t count, off_t offset, uint64_t& calls) {
  size_t done = 0;
  while (done < count) {
    ++calls;
    const ssize_t n = pwrite(fd, buffer + done, count - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// flock, not fcntl: an fcntl lock belongs to the process and goes when any descriptor of the
// file is closed, while this one belongs to its own descriptor.
class PosixLock : public FileLock {
 public:
  explicit PosixLock(int Fd) : Fd_(Fd) {}
  ~PosixLock() override { close(Fd_); }  // closing releases the lock
  PosixLock(const PosixLock&) = delete;
  PosixLock& operator=(const PosixLock&) = delete;

 private:
  int Fd_;
};

// A file held open by InspectFile or PatchBlocks; remembers the first failed read.
class Descriptor : public OpenFile {
 public:
  Descriptor(int Fd, uint64_t Size, uint64_t& Reads) : Fd_(Fd), Size_(Size), Reads_(Reads) {}
  uint64_t Size() const override { return Size_; }
  bool Read(FileBlock& Block) override {
    std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
    Block.Have = 0;
    if (Error) return false;
    const ssize_t have = ReadFully(Fd_, Block.Bytes.data(), Block.Bytes.size(),
                                   static_cast<off_t>(Block.Offset), Reads_);
    if (have < 0) {
      Error = errno;
      return false;
    }
    Block.Have = static_cast<size_t>(have);
    return true;
  }

  int Error = 0;

 private:
  int Fd_;
  uint64_t Size_;
  uint64_t& Reads_;
};

class PosixFileSystem : public FileSystem {
 public:
  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    return ListMatchingFiles(Folder, Suffix);
  }

  IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) override {
    return ListMatchingFolder(Folder, Suffix);
  }

  bool IsFolder(const std::string& Path) override {
    struct stat st {};
    return stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool Exists(const std::string& Path) override {
    struct stat st {};
    return lstat(Path.c_str(), &st) == 0;
  }

  IoResult<PathKind> KindOf(const std::string& Path) override {
    struct stat st {};
    if (stat(Path.c_str(), &st) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return PathKind::Missing;
      return IoError{Path, ErrnoText(errno)};
    }
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDONLY, st);
    if (!opened) return opened.Error();
    const int fd = *opened;
    const auto size = static_cast<size_t>(st.st_size);
    std::vector<uint8_t> buffer;
    if (size <= kPooledLimit) {
      buffer = std::move(Spare_);
      if (buffer.capacity() < size) buffer.reserve(size + size / 4);  // archives vary a little
    }
    buffer.resize(size);
    // The file may have changed size since fstat: what one read finds is what the file holds.
    const ssize_t n = ReadFully(fd, buffer.data(), size, 0, Counters_.Reads);
    if (n < 0) return CloseWithError(fd, Path);
    buffer.resize(static_cast<size_t>(n));
    std::unique_ptr<FileBytes> bytes;
    if (size <= kPooledLimit)
      bytes = std::make_unique<PooledBytes>(std::move(buffer), Spare_);
    else
      bytes = std::make_unique<OwnedBytes>(std::move(buffer));
    Close(fd);
    return bytes;
  }

  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDONLY, st);
    if (!opened) return opened.Error();
    const int fd = *opened;
    std::vector<uint8_t> buffer(Count, 0);
    if (ReadFully(fd, buffer.data(), Count, 0, Counters_.Reads) < 0)
      return CloseWithError(fd, Path);
    Close(fd);
    return buffer;
  }

  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDONLY, st);
    if (!opened) return opened.Error();
    Descriptor file(*opened, static_cast<uint64_t>(st.st_size), Counters_.Reads);
    Look(file);
    if (file.Error) {
      errno = file.Error;
      return CloseWithError(*opened, Path);
    }
    Close(*opened);
    return true;
  }

  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDWR, st);
    if (!opened) return opened.Error();
    const int fd = *opened;
    Descriptor file(fd, static_cast<uint64_t>(st.st_size), Counters_.Reads);
    const bool write = Edit(file);
    if (file.Error) {
      errno = file.Error;
      return CloseWithError(fd, Path);
    }
    if (!write) {
      Close(fd);
      return false;
    }
    bool any = false;
    for (FileBlock& block : Blocks) {
      if (!block.Write) continue;
      if (!WriteFully(fd, block.Bytes.data(), std::min(block.Have, block.Bytes.size()),
                      static_cast<off_t>(block.Offset), Counters_.Writes)) {
        // What was written is still pushed to the disk before the error is reported.
        const int error = errno;
        if (any) {
          ++Counters_.Flushes;
          fsync(fd);
        }
        Close(fd);
        return IoError{Path, ErrnoText(error)};
      }
      block.Written = any = true;
    }
    if (any) {
      ++Counters_.Flushes;
      if (fsync(fd) != 0) return CloseWithError(fd, Path);
    }
    if (!Close(fd)) return IoError{Path, ErrnoText(errno)};
    return true;
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_WRONLY | O_APPEND | O_CREAT, st, 0644);
    if (!opened) return opened.Error();
    const int fd = *opened;
    size_t done = 0;
    while (done < Bytes.size()) {
      ++Counters_.Writes;
      const ssize_t n = write(fd, Bytes.data() + done, Bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return CloseWithError(fd, Path);
      }
      done += static_cast<size_t>(n);
    }
    ++Counters_.Flushes;
    if (fsync(fd) != 0) return CloseWithError(fd, Path);
    if (!Close(fd)) return IoError{Path, ErrnoText(errno)};
    return true;
  }

  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    // Renaming over a device or a folder would destroy it rather than write to it.
    struct stat target {};
    if (stat(Path.c_str(), &target) == 0 && !S_ISREG(target.st_mode))
      return IoError{Path, "not a regular file"};
    std::string temp = Path + ".XXXXXX";
    ++Counters_.Opens;
    const int fd = mkstemp(temp.data());
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    fchmod(fd, 0644);
    const auto fail = [&](int error) -> IoResult<bool> {
      Close(fd);
      unlink(temp.c_str());
      return IoError{Path, ErrnoText(error)};
    };
    if (!WriteFully(fd, Bytes.data(), Bytes.size(), 0, Counters_.Writes)) return fail(errno);
    ++Counters_.Flushes;
    if (fsync(fd) != 0) return fail(errno);
    if (!Close(fd)) {
      const int error = errno;
      unlink(temp.c_str());
      return IoError{Path, ErrnoText(error)};
    }
    if (rename(temp.c_str(), Path.c_str()) != 0) {
      const int error = errno;
      unlink(temp.c_str());
      return IoError{Path, ErrnoText(error)};
    }
    return true;
  }

  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDWR | O_CREAT, st, 0644);
    if (!opened) return opened.Error();
    const int fd = *opened;
    while (flock(fd, LOCK_EX) != 0) {
      if (errno != EINTR) return CloseWithError(fd, Path);
    }
    return std::unique_ptr<FileLock>(std::make_unique<PosixLock>(fd));
  }

  const IoCounters& Counters() const override { return Counters_; }
  void ResetCounters() override { Counters_ = {}; }

 private:
  // Opens a regular file and nothing else: a FIFO or a device named like a game file would
  // otherwise block the open or every read. Opened without waiting, then looked at.
  IoResult<int> OpenRegular(const std::string& Path, int flags, struct stat& st, mode_t mode = 0) {
    ++Counters_.Opens;
    int fd;
    do {
      fd = open(Path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    if (fstat(fd, &st) != 0) return CloseWithError(fd, Path);
    if (!S_ISREG(st.st_mode)) {
      Close(fd);
      return IoError{Path, "not a regular file"};
    }
    // Regular files never wait anyway; the flag goes so that nothing else is changed by it.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }

  bool Close(int fd) {
    ++Counters_.Closes;
    return close(fd) == 0;
  }

  IoError CloseWithError(int fd, const std::string& Path) {
    const int error = errno;
    Close(fd);
    return IoError{Path, ErrnoText(error)};
  }

  IoCounters Counters_;
  std::vector<uint8_t> Spare_;  // must outlive every PooledBytes handed out
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace brieflist

#endif
