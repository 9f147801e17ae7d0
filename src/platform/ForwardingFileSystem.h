#pragma once

#include "platform/FileSystem.h"

namespace brieflist {

// A file system that passes every call on to another: a base for one that looks at some calls
// on their way, overriding only those.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& Inner) : Inner_(Inner) {}

  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    return Inner_.ListFiles(Folder, Suffix);
  }
  IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) override {
    return Inner_.ListFolder(Folder, Suffix);
  }
  bool IsFolder(const std::string& Path) override { return Inner_.IsFolder(Path); }
  bool Exists(const std::string& Path) override { return Inner_.Exists(Path); }
  IoResult<PathKind> KindOf(const std::string& Path) override { return Inner_.KindOf(Path); }
  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    return Inner_.ReadWhole(Path);
  }
  IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                     uint64_t Limit) override {
    return Inner_.ReadWholeUpTo(Path, Limit);
  }
  std::optional<FileIdentity> IdentityOf(const std::string& Path) override {
    return Inner_.IdentityOf(Path);
  }
  std::optional<FileStamp> StampOf(const std::string& Path) override {
    return Inner_.StampOf(Path);
  }
  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    return Inner_.ReadPrefix(Path, Count);
  }
  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    return Inner_.InspectFile(Path, Look);
  }
  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    return Inner_.PatchBlocks(Path, Blocks, Edit);
  }
  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    return Inner_.AppendFile(Path, Bytes);
  }
  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    return Inner_.ReplaceFile(Path, Bytes);
  }
  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    return Inner_.LockFile(Path);
  }
  IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string& Path) override {
    return Inner_.TryLockFile(Path);
  }
  const IoCounters& Counters() const override { return Inner_.Counters(); }
  void ResetCounters() override { Inner_.ResetCounters(); }

 protected:
  FileSystem& Inner() { return Inner_; }

 private:
  FileSystem& Inner_;
};

}  // namespace brieflist
