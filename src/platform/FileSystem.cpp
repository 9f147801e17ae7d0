#include "platform/FileSystem.h"

#include <algorithm>

namespace brieflist {

IoResult<bool> FileSystem::PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                                       const std::function<bool(std::vector<FileBlock>&)>& Edit) {
  for (FileBlock& block : Blocks) {
    auto read = PatchBlock(Path, block.Offset, block.Bytes.size(), [&](std::span<uint8_t> bytes) {
      std::copy(bytes.begin(), bytes.end(), block.Bytes.begin());
      return false;
    });
    if (!read) return read.Error();
    // PatchBlock does not say how much the file held; it writes back no more than that anyway.
    block.Have = block.Bytes.size();
  }
  if (!Edit(Blocks)) return false;
  for (FileBlock& block : Blocks) {
    if (!block.Write) continue;
    auto written =
        PatchBlock(Path, block.Offset, block.Bytes.size(), [&](std::span<uint8_t> bytes) {
          std::copy(block.Bytes.begin(), block.Bytes.end(), bytes.begin());
          return true;
        });
    if (!written) return written.Error();
    block.Written = true;
  }
  return true;
}

}  // namespace brieflist
