// The real disk on POSIX systems: whole files read into a buffer, pread/pwrite for blocks.
#ifndef _WIN32

#include <fcntl.h>
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

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    const int fd = Open(Path, O_RDONLY);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    struct stat st {};
    if (fstat(fd, &st) != 0) return CloseWithError(fd, Path);
    if (!S_ISREG(st.st_mode)) {
      Close(fd);
      return IoError{Path, "not a regular file"};
    }
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
    const int fd = Open(Path, O_RDONLY);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    std::vector<uint8_t> buffer(Count, 0);
    if (ReadFully(fd, buffer.data(), Count, 0, Counters_.Reads) < 0)
      return CloseWithError(fd, Path);
    Close(fd);
    return buffer;
  }

  IoResult<bool> PatchBlock(const std::string& Path, uint64_t Offset, size_t Count,
                            const std::function<bool(std::span<uint8_t>)>& Edit) override {
    const int fd = Open(Path, O_RDWR);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    std::vector<uint8_t> block(Count, 0);
    const auto offset = static_cast<off_t>(Offset);
    const ssize_t have = ReadFully(fd, block.data(), Count, offset, Counters_.Reads);
    if (have < 0) return CloseWithError(fd, Path);
    if (!Edit(block)) {
      Close(fd);
      return false;
    }
    // Only the bytes the file already had are written back: a patch never extends a file.
    if (!WriteFully(fd, block.data(), static_cast<size_t>(have), offset, Counters_.Writes))
      return CloseWithError(fd, Path);
    ++Counters_.Flushes;
    if (fsync(fd) != 0) return CloseWithError(fd, Path);
    if (!Close(fd)) return IoError{Path, ErrnoText(errno)};
    return true;
  }

  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(std::vector<FileBlock>&)>& Edit) override {
    const int fd = Open(Path, O_RDWR);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
    for (FileBlock& block : Blocks) {
      std::fill(block.Bytes.begin(), block.Bytes.end(), 0);
      const ssize_t have = ReadFully(fd, block.Bytes.data(), block.Bytes.size(),
                                     static_cast<off_t>(block.Offset), Counters_.Reads);
      if (have < 0) return CloseWithError(fd, Path);
      block.Have = static_cast<size_t>(have);
    }
    if (!Edit(Blocks)) {
      Close(fd);
      return false;
    }
    bool any = false;
    for (FileBlock& block : Blocks) {
      if (!block.Write) continue;
      if (!WriteFully(fd, block.Bytes.data(), block.Have, static_cast<off_t>(block.Offset),
                      Counters_.Writes)) {
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
    const int fd = Open(Path, O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0) return IoError{Path, ErrnoText(errno)};
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

  const IoCounters& Counters() const override { return Counters_; }
  void ResetCounters() override { Counters_ = {}; }

 private:
  int Open(const std::string& Path, int flags, mode_t mode = 0) {
    ++Counters_.Opens;
    int fd;
    do {
      fd = open(Path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
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
