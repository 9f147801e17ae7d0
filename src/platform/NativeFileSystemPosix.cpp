// The real disk on POSIX systems: whole files read into a buffer, pread/pwrite for blocks.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
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

// The system's reason and code; the fault kind from the code.
IoError ErrnoError(const std::string& Path, int Error) {
  IoFault fault = IoFault::Other;
  switch (Error) {
    case EACCES:
    case EPERM:
    case EROFS:
      fault = IoFault::Denied;
      break;
    case ETXTBSY:
      fault = IoFault::Held;
      break;
    case ENOSPC:
    case EDQUOT:
      fault = IoFault::NoSpace;
      break;
    case ENOENT:
    case ENOTDIR:
      fault = IoFault::Missing;
      break;
    default:
      break;
  }
  return IoError{Path, std::generic_category().message(Error), Error, fault};
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

// pwrite, write and fsync as a test's fault (see SetNativeFault) lets them go.
ssize_t FaultyPwrite(const std::string& Path, int fd, const uint8_t* buffer, size_t count,
                     off_t offset) {
  const int64_t allowed = NativeFaultAllows(Path, count);
  if (allowed < 0) {
    errno = ENOSPC;
    return -1;
  }
  return pwrite(fd, buffer, std::min(count, static_cast<size_t>(allowed)), offset);
}

ssize_t FaultyWrite(const std::string& Path, int fd, const uint8_t* buffer, size_t count) {
  const int64_t allowed = NativeFaultAllows(Path, count);
  if (allowed < 0) {
    errno = ENOSPC;
    return -1;
  }
  return write(fd, buffer, std::min(count, static_cast<size_t>(allowed)));
}

int FaultyFsync(const std::string& Path, int fd) {
  const int64_t allowed = NativeFaultAllows(Path, 0);
  if (allowed < 0) errno = EIO;
  return allowed < 0 ? -1 : allowed > 0 ? 0 : fsync(fd);
}

// One pwrite call, again when interrupted; a call that wrote nothing is an error (errno set).
ssize_t WriteOnce(const std::string& Path, int fd, const uint8_t* buffer, size_t count,
                  off_t offset, uint64_t& calls) {
  for (;;) {
    ++calls;
    const ssize_t n = FaultyPwrite(Path, fd, buffer, count, offset);
    if (n > 0) return n;
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    return -1;
  }
}

bool WriteFully(const std::string& Path, int fd, const uint8_t* buffer, size_t count, off_t offset,
                uint64_t& calls) {
  for (size_t done = 0; done < count;) {
    const ssize_t n =
        WriteOnce(Path, fd, buffer + done, count - done, offset + static_cast<off_t>(done), calls);
    if (n < 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The file that Path names once every symbolic link on the way to it is followed; Path itself
// when nothing stands there yet (or a link points at nothing: the file is made where it points).
IoResult<std::string> FollowLinks(const std::string& Path) {
  std::string at = Path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(at.c_str(), &st) != 0) {
      if (errno == ENOENT) return at;
      return ErrnoError(Path, errno);
    }
    if (!S_ISLNK(st.st_mode)) return at;
    std::string link(std::max<size_t>(static_cast<size_t>(st.st_size), PATH_MAX) + 1, '\0');
    const ssize_t n = readlink(at.c_str(), link.data(), link.size());
    if (n < 0) return ErrnoError(Path, errno);
    if (static_cast<size_t>(n) == link.size()) continue;  // grew meanwhile: look again
    link.resize(static_cast<size_t>(n));
    if (link.empty()) return ErrnoError(Path, ENOENT);
    // A relative link is read from the folder that holds it.
    const size_t slash = at.rfind('/');
    at = link.front() == '/' || slash == std::string::npos ? link : at.substr(0, slash + 1) + link;
  }
  return ErrnoError(Path, ELOOP);
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
class Descriptor : public OpenFile, public BlockWriter {
 public:
  Descriptor(const std::string& Path, int Fd, uint64_t Size, IoCounters& Counters)
      : Path_(Path), Fd_(Fd), Size_(Size), Counters_(Counters) {}
  uint64_t Size() const override { return Size_; }
  IoResult<size_t> WriteAt(uint64_t Offset, std::span<const uint8_t> Bytes) override {
    const ssize_t n = WriteOnce(Path_, Fd_, Bytes.data(), Bytes.size(), static_cast<off_t>(Offset),
                                Counters_.Writes);
    if (n < 0) return ErrnoError(Path_, errno);
    return static_cast<size_t>(n);
  }
  IoResult<bool> Flush() override {
    ++Counters_.Flushes;
    if (FaultyFsync(Path_, Fd_) != 0) return ErrnoError(Path_, errno);
    return true;
  }
  bool Read(FileBlock& Block) override {
    std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
    Block.Have = 0;
    if (Error) return false;
    const ssize_t have = ReadFully(Fd_, Block.Bytes.data(), Block.Bytes.size(),
                                   static_cast<off_t>(Block.Offset), Counters_.Reads);
    if (have < 0) {
      Error = errno;
      return false;
    }
    Block.Have = static_cast<size_t>(have);
    return true;
  }
  uint64_t NextData(uint64_t Offset) override {
#ifdef SEEK_DATA
    if (Offset >= Size_) return Size_;
    const off_t data = lseek(Fd_, static_cast<off_t>(Offset), SEEK_DATA);
    if (data >= 0) return std::min(static_cast<uint64_t>(data), Size_);
    if (errno == ENXIO) return Size_;  // nothing but a hole up to the end
#endif
    return Offset;
  }

  int Error = 0;

 private:
  const std::string& Path_;
  int Fd_;
  uint64_t Size_;
  IoCounters& Counters_;
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
      return ErrnoError(Path, errno);
    }
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    return ReadWholeUpTo(Path, UINT64_MAX);
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                     uint64_t Limit) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDONLY, st);
    if (!opened) return opened.Error();
    const int fd = *opened;
    if (static_cast<uint64_t>(st.st_size) > Limit) {
      Close(fd);
      return std::unique_ptr<FileBytes>();
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

  std::optional<FileIdentity> IdentityOf(const std::string& Path) override {
    struct stat st {};
    // A file number of 0 is no file's: a file system that gives it tells nothing.
    if (stat(Path.c_str(), &st) != 0 || st.st_ino == 0) return std::nullopt;
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  }

  std::optional<FileStamp> StampOf(const std::string& Path) override {
    struct stat st {};
    if (stat(Path.c_str(), &st) != 0) return std::nullopt;
    const auto nanoseconds = [](const timespec& t) {
      return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
    };
    const PathKind kind = S_ISDIR(st.st_mode)   ? PathKind::Folder
                          : S_ISREG(st.st_mode) ? PathKind::File
                                                : PathKind::Other;
    return FileStamp{kind,
                     static_cast<uint64_t>(st.st_size),
                     nanoseconds(st.st_mtim),
                     nanoseconds(st.st_ctim),
                     {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)}};
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
    Descriptor file(Path, *opened, static_cast<uint64_t>(st.st_size), Counters_);
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
    Descriptor file(Path, fd, static_cast<uint64_t>(st.st_size), Counters_);
    const auto done = PatchOpenFile(file, file, Blocks,
                                    [&](OpenFile& Open) { return Edit(Open) && !file.Error; });
    if (file.Error) {
      errno = file.Error;
      return CloseWithError(fd, Path);
    }
    // Once flushed, the bytes are on the disk whatever the close says.
    Close(fd);
    return done;
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_WRONLY | O_APPEND | O_CREAT, st, 0644);
    if (!opened) return opened.Error();
    const int fd = *opened;
    // A failed append is cut back off, so that no fragment of a line stays to be glued to.
    const auto fail = [&] {
      const int error = errno;
      (void)!ftruncate(fd, st.st_size);
      Close(fd);
      return ErrnoError(Path, error);
    };
    for (size_t done = 0; done < Bytes.size();) {
      ++Counters_.Writes;
      const ssize_t n = FaultyWrite(Path, fd, Bytes.data() + done, Bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        return fail();
      }
      done += static_cast<size_t>(n);
    }
    ++Counters_.Flushes;
    if (FaultyFsync(Path, fd) != 0) return fail();
    // Once flushed, the bytes are on the disk whatever the close says.
    Close(fd);
    return true;
  }

  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    // A link (a published list pointing elsewhere) is written through: its target is replaced
    // and the link stays, so whoever reads the target sees the new list.
    const auto resolved = FollowLinks(Path);
    if (!resolved) return resolved.Error();
    const std::string& target = *resolved;
    // Renaming over a device or a folder would destroy it rather than write to it.
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return IoError{Path, "not a regular file"};
    // Made with mode 0666 less the umask, as any new file; an existing file's owner and mode
    // are given to it below, so replacing a private list keeps it private.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      temp =
          target + "." + std::to_string(getpid()) + "-" + std::to_string(TempCounter_++) + ".tmp";
      ++Counters_.Opens;
      do {
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      } while (fd < 0 && errno == EINTR);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return ErrnoError(Path, errno);
    const auto fail = [&](int error) -> IoResult<bool> {
      Close(fd);
      unlink(temp.c_str());
      return ErrnoError(Path, error);
    };
    if (exists) {
      // The owner can be given only by a privileged program; the group by a member of it.
      if (fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!fchown(fd, static_cast<uid_t>(-1), old.st_gid);
      if (fchmod(fd, old.st_mode & 07777) != 0) return fail(errno);
    }
    if (!WriteFully(Path, fd, Bytes.data(), Bytes.size(), 0, Counters_.Writes)) return fail(errno);
    ++Counters_.Flushes;
    if (FaultyFsync(Path, fd) != 0) return fail(errno);
    if (!Close(fd)) {
      const int error = errno;
      unlink(temp.c_str());
      return ErrnoError(Path, error);
    }
    if (rename(temp.c_str(), target.c_str()) != 0) {
      const int error = errno;
      unlink(temp.c_str());
      return ErrnoError(Path, error);
    }
    return true;
  }

  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    return Lock(Path, LOCK_EX);
  }

  IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string& Path) override {
    return Lock(Path, LOCK_EX | LOCK_NB);
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
    if (fd < 0) return ErrnoError(Path, errno);
    if (fstat(fd, &st) != 0) return CloseWithError(fd, Path);
    if (!S_ISREG(st.st_mode)) {
      Close(fd);
      return IoError{Path, "not a regular file"};
    }
    // Regular files never wait anyway; the flag goes so that nothing else is changed by it.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }

  IoResult<std::unique_ptr<FileLock>> Lock(const std::string& Path, int How) {
    struct stat st {};
    const auto opened = OpenRegular(Path, O_RDWR | O_CREAT, st, 0644);
    if (!opened) return opened.Error();
    const int fd = *opened;
    while (flock(fd, How) != 0) {
      if (errno == EWOULDBLOCK) {
        Close(fd);
        return std::unique_ptr<FileLock>();
      }
      if (errno != EINTR) return CloseWithError(fd, Path);
    }
    return std::unique_ptr<FileLock>(std::make_unique<PosixLock>(fd));
  }

  bool Close(int fd) {
    ++Counters_.Closes;
    return close(fd) == 0;
  }

  IoError CloseWithError(int fd, const std::string& Path) {
    const int error = errno;
    Close(fd);
    return ErrnoError(Path, error);
  }

  IoCounters Counters_;
  unsigned TempCounter_ = 0;
  std::vector<uint8_t> Spare_;  // must outlive every PooledBytes handed out
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() {
  return std::make_unique<PosixFileSystem>();
}

}  // namespace brieflist

#endif
