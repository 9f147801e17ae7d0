#include "platform/FileSystem.h"

#include <algorithm>

namespace brieflist {

std::optional<IoError> FolderProblem(FileSystem& Files, const std::string& Path,
                                     const char* NotFolder) {
  auto kind = Files.KindOf(Path);
  if (!kind) return kind.Error();
  if (*kind == PathKind::Folder) return std::nullopt;
  return IoError{Path, NotFolder};
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

}  // namespace brieflist
