#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "catalogue/RefreshCatalogue.h"
#include "editing/PatchJournal.h"
#include "platform/FileSystem.h"
#include "platform/FolderListing.h"
#include "support/TestSupport.h"

namespace brieflist::test {

// Files held in memory, failing where a test wants; counts calls as the real disk does.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, Bytes> Files;  // full path -> content
  std::set<std::string> Folders;
  // Path -> the kind of failure: every open of that path fails.
  std::map<std::string, IoFault> FailOpen;
  // Path -> failure: the file opens and reads, but writing to it fails; nothing changes.
  std::map<std::string, IoFault> FailWrite;
  // Path -> failure: the file opens for reading only, as a read-only file does.
  std::map<std::string, IoFault> ReadOnly;

  // The error a system gives for such a failure: a code and words of its own.
  static IoError Failure(const std::string& Path, IoFault Fault) {
    const int code = 100 + static_cast<int>(Fault);
    return IoError{Path, "system error " + std::to_string(code), code, Fault};
  }
  // Run before each patch and each read of a file, e.g. to change it under the engine.
  std::function<void(const std::string&Path)> BeforePatch, BeforeRead;
  // Opens that asked for write access: a read-only file would refuse each of them.
  uint64_t WriteOpens = 0;
  // Files larger than this are not read whole, whatever the caller's limit: small files then
  // take the way of huge ones.
  uint64_t WholeLimit = UINT64_MAX;

  void AddFolder(const std::string& Folder) { Folders.insert(WithoutTrailingSeparators(Folder)); }
  void Put(const std::string& Folder, const std::string& Name, Bytes Data) {
    AddFolder(Folder);
    Files[JoinPath(Folder, Name)] = std::move(Data);
  }

  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    if (!IsFolder(Folder)) return Failure(Folder, IoFault::Missing);
    const std::string prefix = JoinPath(Folder, "");
    std::vector<std::string> names;
    for (const auto& [path, data] : Files) {
      const std::string name = path.substr(std::min(prefix.size(), path.size()));
      if (path.rfind(prefix, 0) == 0 && name.find(kSeparator) == std::string::npos &&
          EndsWithIgnoringCase(name, Suffix))
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](auto& a, auto& b) { return NameOrderLess(a, b); });
    return names;
  }
  bool IsFolder(const std::string& Path) override {
    return Folders.count(WithoutTrailingSeparators(Path)) > 0;
  }
  IoResult<PathKind> KindOf(const std::string& Path) override {
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return Failure(Path, fail->second);
    if (IsFolder(Path)) return PathKind::Folder;
    return Files.count(Path) ? PathKind::File : PathKind::Missing;
  }

  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    auto file = Read(Path);
    if (!file) return file.Error();
    return std::unique_ptr<FileBytes>(std::make_unique<Copy>(**file));
  }
  IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                     uint64_t Limit) override {
    const auto it = Files.find(Path);
    if (it != Files.end() && it->second.size() > std::min(Limit, WholeLimit)) {
      ++Counters_.Opens, ++Counters_.Closes;
      return std::unique_ptr<FileBytes>();
    }
    return ReadWhole(Path);
  }
  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    auto file = Read(Path);
    if (!file) return file.Error();
    std::vector<uint8_t> out(Count, 0);
    std::copy_n((*file)->begin(), std::min(Count, (*file)->size()), out.begin());
    return out;
  }

  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    if (BeforeRead) BeforeRead(Path);
    auto file = Open(Path);
    if (!file) return file.Error();
    Held held(**file, Counters_);
    Look(held);
    ++Counters_.Closes;
    return true;
  }

  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    if (BeforePatch) BeforePatch(Path);
    ++WriteOpens;
    if (const auto only = ReadOnly.find(Path); only != ReadOnly.end()) {
      ++Counters_.Opens;
      return Failure(Path, only->second);
    }
    auto file = Open(Path);
    if (!file) return file.Error();
    const auto fail = FailWrite.find(Path);
    Held held(**file, Counters_, fail == FailWrite.end() ? nullptr : &*fail);
    ++Counters_.Closes;
    return PatchOpenFile(held, held, Blocks, Edit);
  }

  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Data) override {
    if (auto error = WholeFileWrite(Path)) return *error;
    Files[Path].insert(Files[Path].end(), Data.begin(), Data.end());
    return true;
  }
  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Data) override {
    if (auto error = WholeFileWrite(Path)) return *error;
    Files[Path] = Bytes(Data.begin(), Data.end());
    return true;
  }

  // No other program sees these files: the lock holds nothing, but an open can fail.
  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return Failure(Path, fail->second);
    return std::make_unique<FileLock>();
  }

  const IoCounters& Counters() const override { return Counters_; }
  void ResetCounters() override {
    Counters_ = {};
    WriteOpens = 0;
  }

 private:
  // The open file of InspectFile and PatchBlocks: each read and write counted; writes fail with
  // the reason of Fail when it is set.
  class Held : public OpenFile, public BlockWriter {
   public:
    Held(test::Bytes& Data, IoCounters& Counters,
         const std::pair<const std::string, IoFault>* Fail = nullptr)
        : Data_(Data), Counters_(Counters), Fail_(Fail) {}
    uint64_t Size() const override { return Data_.size(); }
    bool Read(FileBlock& Block) override {
      ++Counters_.Reads;
      return SpanFile(Data_).Read(Block);
    }
    IoResult<size_t> WriteAt(uint64_t Offset, std::span<const uint8_t> Part) override {
      ++Counters_.Writes;
      if (Fail_) return Failure(Fail_->first, Fail_->second);
      std::copy(Part.begin(), Part.end(), Data_.begin() + static_cast<std::ptrdiff_t>(Offset));
      return Part.size();
    }
    IoResult<bool> Flush() override { return ++Counters_.Flushes > 0; }

   private:
    test::Bytes& Data_;
    IoCounters& Counters_;
    const std::pair<const std::string, IoFault>* Fail_;
  };
  class Copy : public FileBytes {
   public:
    explicit Copy(test::Bytes Data) : Data_(std::move(Data)) {}
    std::span<const uint8_t> Bytes() const override { return Data_; }

   private:
    test::Bytes Data_;
  };

  // "C:\" and "C:" name the same folder here, as "/g/" and "/g" do.
  static std::string WithoutTrailingSeparators(std::string Folder) {
    while (Folder.size() > 1 && EndsWithSeparator(Folder)) Folder.pop_back();
    return Folder;
  }
  IoResult<Bytes*> Open(const std::string& Path) {
    ++Counters_.Opens;
    if (const auto fail = FailOpen.find(Path); fail != FailOpen.end())
      return Failure(Path, fail->second);
    const auto it = Files.find(Path);
    if (it == Files.end()) return Failure(Path, IoFault::Missing);
    return &it->second;
  }
  // One open, one read and one close of a whole file or its start.
  IoResult<Bytes*> Read(const std::string& Path) {
    if (BeforeRead) BeforeRead(Path);
    auto file = Open(Path);
    if (file) ++Counters_.Reads, ++Counters_.Closes;
    return file;
  }
  // Counts one open, write, flush and close of a whole-file write, or gives its injected failure.
  std::optional<IoError> WholeFileWrite(const std::string& Path) {
    ++Counters_.Opens;
    ++WriteOpens;
    for (const auto* fail : {&FailOpen, &FailWrite})
      if (fail->count(Path)) return Failure(Path, fail->at(Path));
    ++Counters_.Writes, ++Counters_.Flushes, ++Counters_.Closes;
    return std::nullopt;
  }

  IoCounters Counters_;
};

// A game folder "/g" in memory; its journal on a file system of its own, counted apart.
struct MemoryGame {
  MemoryFileSystem Files, JournalFiles;
  RecordingHost Host;
  CatalogueState State;
  PatchJournal Journal{JournalFiles, GamePath("journal.tsv")};
  Platform P{Files, Host, &Journal};

  MemoryGame() {
    Files.AddFolder("/g");
    JournalFiles.AddFolder("/g");
  }
  void Put(const std::string& Name, Bytes Data) { Files.Put("/g", Name, std::move(Data)); }
  Bytes& File(const std::string& Name) { return Files.Files.at(GamePath(Name)); }
  RefreshReport Refresh(const std::string& Folder = "/g") {
    State.GameDirectory = Folder;
    return RefreshCatalogue(State, P);
  }
  // The catalogue row of the first mission named FileName; -1 when none.
  int32_t Row(const std::string& FileName) const {
    for (size_t i = 0; i < State.Missions.size(); ++i)
      if (State.Missions[i].FileName == FileName) return static_cast<int32_t>(i);
    return -1;
  }
  const MissionEntry& Mission(const std::string& FileName) const {
    return State.Missions.at(static_cast<size_t>(Row(FileName)));
  }
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const MissionEntry& row : State.Missions) names.push_back(row.FileName);
    return names;
  }
  std::vector<JournalRecord> Records() {
    auto contents = Journal.Read();
    EXPECT_TRUE(contents && contents->Problems.empty());
    return contents ? contents->Records : std::vector<JournalRecord>{};
  }
};

}  // namespace brieflist::test
