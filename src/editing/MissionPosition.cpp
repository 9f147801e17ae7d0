#include "editing/MissionPosition.h"

#include <algorithm>

#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "catalogue/TextHelpers.h"
#include "platform/FolderListing.h"

namespace brieflist {

bool IsArchiveMissionOffset(const ByteReader& File, int64_t Offset) {
  const PffHeader header = ParsePffHeader(File);
  if (!IsValidPffHeader(header)) return false;
  const int64_t count = ComputeDirectoryCount(header, File.Size());
  if (count <= 0) return false;  // also covers an EntrySize of 0 or below
  // Records wholly outside the file read as zeros and have no name, so only those that touch
  // the file can name a mission.
  int64_t first = 0;
  if (header.DirectoryOffset + PffLayout::EntryBytes <= 0)
    first = (-header.DirectoryOffset - PffLayout::EntryBytes) / header.EntrySize + 1;
  int64_t last = 0;
  if (header.DirectoryOffset < File.Size())
    last = std::min(
        count, (File.Size() - header.DirectoryOffset + header.EntrySize - 1) / header.EntrySize);
  for (int64_t i = first; i < last; ++i) {
    const PffEntry entry = ParsePffEntry(File, header.DirectoryOffset + i * header.EntrySize);
    if (entry.DataOffset == Offset && EndsWithIgnoringCase(entry.Name, ".BMS")) return true;
  }
  return false;
}

IoResult<std::optional<bool>> ProbeImportPosition(FileSystem& Files, const std::string& File,
                                                  int32_t Offset) {
  const std::optional<bool> invalid;
  if (EndsWithIgnoringCase(File, ".pff")) {
    if (Offset <= 0) return invalid;
    auto bytes = Files.ReadWhole(File);
    if (!bytes) return bytes.Error();
    const ByteReader archive((*bytes)->Bytes());
    if (!IsArchiveMissionOffset(archive, Offset)) return invalid;
    const std::string signature = archive.Bytes(Offset, 3);
    if (!IsMissionSignature(signature)) return invalid;
    return std::optional<bool>(IsEnabledSignature(signature));
  }
  if (EndsWithIgnoringCase(File, ".bms")) {
    if (Offset != 0) return invalid;
    auto head = Files.ReadPrefix(File, 3);
    if (!head) return head.Error();
    const ByteReader mission(*head);
    const std::string signature = mission.Bytes(0, 3);
    if (!IsMissionSignature(signature)) return invalid;
    return std::optional<bool>(IsEnabledSignature(signature));
  }
  return invalid;
}

}  // namespace brieflist
