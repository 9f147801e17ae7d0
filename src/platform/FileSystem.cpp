#include "platform/FileSystem.h"

#include <algorithm>

namespace brieflist {

bool SpanFile::Read(FileBlock& Block) {
  std::fill(Block.Bytes.begin(), Block.Bytes.end(), 0);
  Block.Have = 0;
  if (Block.Offset >= Bytes_.size()) return true;
  Block.Have = std::min<size_t>(Block.Bytes.size(), Bytes_.size() - Block.Offset);
  std::copy_n(Bytes_.begin() + static_cast<std::ptrdiff_t>(Block.Offset), Block.Have,
              Block.Bytes.begin());
  return true;
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
