#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"
#include "sample/SampleWriter.h"

namespace brieflist::test {

// Files held in memory, with failures on demand: fast enough for thousands of patches, and able
// to fail exactly where a test wants. Counts calls as the real disk does.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, sample::Bytes> Files;  // full path -> content
  std::set<std::string> Folders;

  // Path -> the system's reason: every open of that path fails.
  std::map<std::string, std::string> FailOpen;
  // Path -> reason: the file opens and reads, but writing to it fails; nothing changes.
  std::map<std::string, std::string> FailWrite;
  // Runs before each PatchBlocks opens the file, e.g. to change the file under the engine.
  std::function<void(const std::string& Path)> BeforePatch;
  // Runs before each whole-file or prefix read.
  std::function<void(const std::string& Path)> BeforeRead;

  void AddFolder(const std::string& Folder) { Folders.insert(WithoutTrailingSeparators(Folder)); }
  void Put(const std::string& Folder, const std::string& Name, sample::Bytes Data) {
    AddFolder(Folder);
    Files[JoinPath(Folder, Name)] = std::move(Data);
  }

  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    if (!IsFolder(Folder)) return IoError{Folder, "No such file or directory"};
    const std::string prefix = JoinPath(Folder, "");
    std::vector<std::string> names;
    for (const auto& [path, data] : Files) {
      if (path.compare(0, prefix.size(), prefix) != 0) continue;
      const std::string name = path.substr(prefix.size());
      if (name.find(kSeparator) == std::string::npos && EndsWithIgnoringCase(name, Suffix))
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    return names;
  }

  bool IsFolder(const std::string& Path) override {
    return Folders.count(WithoutTrailingSeparators(Path)) > 0;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    if (BeforeRead) BeforeRead(Path);
    auto file = Open(Path);
    if (!file) return file.Error();
    ++Counters_.Reads;
    ++Counters_.Closes;
    return std::unique_ptr<FileBytes>(std::make_unique<Copy>(**file));
  }

  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    if (BeforeRead) BeforeRead(Path);
    auto file = Open(Path);
    if (!file) return file.Error();
    ++Counters_.Reads;
    ++Counters_.Closes;
    std::vector<uint8_t> out(Count, 0);
    std::copy_n((*file)->begin(), std::min(Count, (*file)->size()), out.begin());
    return out;
  }

  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    if (BeforeRead) BeforeRead(Path);
    auto file = Open(Path);
    if (!file) return file.Error();
    Held held(**file, Counters_.Reads);
    Look(held);
    ++Counters_.Closes;
    return true;
  }

  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    if (BeforePatch) BeforePatch(Path);
    auto file = Open(Path);
    if (!file) return file.Error();
    sample::Bytes& data = **file;
    Held held(data, Counters_.Reads);
    ++Counters_.Closes;
    if (!Edit(held)) return false;
    bool any = false;
    for (FileBlock& block : Blocks) {
      if (!block.Write) continue;
      ++Counters_.Writes;
      if (const auto fail = FailWrite.find(Path); fail != FailWrite.end()) {
        if (any) ++Counters_.Flushes;
        return IoError{Path, fail->second};
      }
      std::copy_n(block.Bytes.begin(), std::min(block.Have, block.Bytes.size()),
                  data.begin() + static_cast<std::ptrdiff_t>(block.Offset));
      block.Written = any = true;
    }
    if (any) ++Counters_.Flushes;
    return true;
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    if (auto error = WholeFileWrite(Path)) return *error;
    sample::Bytes& data = Files[Path];
    data.insert(data.end(), Bytes.begin(), Bytes.end());
    return true;
  }

  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    if (auto error = WholeFileWrite(Path)) return *error;
    Files[Path] = sample::Bytes(Bytes.begin(), Bytes.end());
    return true;
  }

  // No other program sees these files: the lock holds nothing, but an open can fail.
  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return IoError{Path, fail->second};
    return std::make_unique<FileLock>();
  }

  const IoCounters& Counters() const override { return Counters_; }
  void ResetCounters() override { Counters_ = {}; }

 private:
  // The open file of InspectFile and PatchBlocks: each read counted.
  class Held : public OpenFile {
   public:
    Held(const sample::Bytes& Data, uint64_t& Reads) : Data_(Data), Reads_(Reads) {}
    uint64_t Size() const override { return Data_.size(); }
    bool Read(FileBlock& Block) override {
      ++Reads_;
      return SpanFile(Data_).Read(Block);
    }

   private:
    const sample::Bytes& Data_;
    uint64_t& Reads_;
  };

  class Copy : public FileBytes {
   public:
    explicit Copy(sample::Bytes Data) : Data_(std::move(Data)) {}
    std::span<const uint8_t> Bytes() const override { return Data_; }

   private:
    sample::Bytes Data_;
  };

  // "C:\" and "C:" name the same folder here, as "/g/" and "/g" do.
  static std::string WithoutTrailingSeparators(std::string Folder) {
    while (Folder.size() > 1 && EndsWithSeparator(Folder)) Folder.pop_back();
    return Folder;
  }

  IoResult<sample::Bytes*> Open(const std::string& Path) {
    ++Counters_.Opens;
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return IoError{Path, fail->second};
    const auto it = Files.find(Path);
    if (it == Files.end()) return IoError{Path, "No such file or directory"};
    return &it->second;
  }

  // Counts one open, write, flush and close of a whole-file write, or gives its injected failure.
  std::optional<IoError> WholeFileWrite(const std::string& Path) {
    ++Counters_.Opens;
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return IoError{Path, fail->second};
    if (const auto fail = FailWrite.find(Path); fail != FailWrite.end())
      return IoError{Path, fail->second};
    ++Counters_.Writes;
    ++Counters_.Flushes;
    ++Counters_.Closes;
    return std::nullopt;
  }

  IoCounters Counters_;
};

}  // namespace brieflist::test
