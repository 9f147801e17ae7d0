#include "platform/FileSystem.h"

#include <algorithm>
#include <optional>

namespace brieflist {
namespace {

NativeFault& FaultSlot() {
  static NativeFault fault;
  return fault;
}

// Passes reads on, keeping a copy of each block of Blocks as it was read: the bytes to put back
// when its write fails part way.
class KeepingOld : public OpenFile {
 public:
  KeepingOld(OpenFile& Inner, std::vector<FileBlock>& Blocks)
      : Old(Blocks.size()), Inner_(Inner), Blocks_(Blocks) {}
  uint64_t Size() const override { return Inner_.Size(); }
  uint64_t NextData(uint64_t Offset) override { return Inner_.NextData(Offset); }
  bool Read(FileBlock& Block) override {
    const bool read = Inner_.Read(Block);
    const std::less<const FileBlock*> before;
    if (!before(&Block, Blocks_.data()) && before(&Block, Blocks_.data() + Blocks_.size()))
      Old[static_cast<size_t>(&Block - Blocks_.data())] = Block.Bytes;
    return read;
  }

  std::vector<std::vector<uint8_t>> Old;

 private:
  OpenFile& Inner_;
  std::vector<FileBlock>& Blocks_;
};

// Writes all of Bytes at Offset, taking up a call cut short where it stopped; Done counts the
// bytes written.
std::optional<IoError> WriteAll(BlockWriter& Writer, uint64_t Offset,
                                std::span<const uint8_t> Bytes, size_t& Done) {
  for (Done = 0; Done < Bytes.size();) {
    auto wrote = Writer.WriteAt(Offset + Done, Bytes.subspan(Done));
    if (!wrote) return wrote.Error();
    Done += std::min(*wrote, Bytes.size() - Done);
  }
  return std::nullopt;
}

}  // namespace

std::optional<IoError> FolderProblem(FileSystem& Files, const std::string& Path,
                                     const char* NotFolder) {
  auto kind = Files.KindOf(Path);
  if (!kind) return kind.Error();
  if (*kind == PathKind::Folder) return std::nullopt;
  return IoError{Path, NotFolder, 0, IoFault::Missing};
}

bool SpanFile::Read(FileBlock& Block) {
  std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
  Block.Have = 0;
  if (Block.Offset >= Bytes_.size()) return true;
  Block.Have = std::min<size_t>(Block.Bytes.size(), Bytes_.size() - Block.Offset);
  std::copy_n(Bytes_.begin() + static_cast<std::ptrdiff_t>(Block.Offset), Block.Have,
              Block.Bytes.begin());
  return true;
}

IoResult<bool> PatchOpenFile(OpenFile& File, BlockWriter& Writer, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) {
  KeepingOld reading(File, Blocks);
  if (!Edit(reading)) return false;
  std::vector<size_t> wrote(Blocks.size(), 0);  // bytes of each block that reached the file
  const auto putBack = [&](size_t K) {
    const std::vector<uint8_t>& old = reading.Old[K];
    size_t done = 0;
    return !WriteAll(Writer, Blocks[K].Offset, std::span(old).first(std::min(wrote[K], old.size())),
                     done);
  };
  std::optional<IoError> failed;
  for (size_t k = 0; k < Blocks.size() && !failed; ++k) {
    FileBlock& block = Blocks[k];
    if (!block.Write) continue;
    failed =
        WriteAll(Writer, block.Offset,
                 std::span(block.Bytes).first(std::min(block.Have, block.Bytes.size())), wrote[k]);
    // A header cut short is neither state: the part written goes back to what it was.
    if (failed && wrote[k] > 0) block.Unsure = !putBack(k);
    block.Written = !failed;
  }
  if (std::all_of(wrote.begin(), wrote.end(), [](size_t n) { return n == 0; }))
    return failed ? IoResult<bool>(*failed) : IoResult<bool>(true);
  auto flushed = Writer.Flush();
  if (!flushed) {
    // What the flush did not push may reach the disk or not: the old bytes go back, so that
    // what the caller records (nothing written) is what the disk ends up with.
    bool back = true;
    for (size_t k = 0; k < Blocks.size(); ++k) {
      if (wrote[k] == 0) continue;
      Blocks[k].Written = false;
      back = putBack(k) && back;
    }
    back = back && Writer.Flush();
    for (size_t k = 0; k < Blocks.size(); ++k)
      Blocks[k].Unsure = Blocks[k].Unsure || (wrote[k] && !back);
    return failed ? *failed : flushed.Error();
  }
  if (failed) return *failed;
  return true;
}

void SetNativeFault(NativeFault Fault) {
  FaultSlot() = std::move(Fault);
}

int64_t NativeFaultAllows(const std::string& Path, size_t Count) {
  const NativeFault& fault = FaultSlot();
  return fault ? fault(Path, Count) : static_cast<int64_t>(Count);
}

bool ReadFilePart(OpenFile& File, int64_t Offset, int64_t Count, FileBlock& Block) {
  const int64_t size = static_cast<int64_t>(File.Size());
  const int64_t begin = std::clamp<int64_t>(Offset, 0, size);
  const int64_t end = std::clamp<int64_t>(Offset + Count, begin, size);
  Block.Offset = static_cast<uint64_t>(begin);
  Block.Bytes.resize(static_cast<size_t>(end - begin));
  Block.Have = 0;
  return Block.Bytes.empty() || File.Read(Block);
}

}  // namespace brieflist
