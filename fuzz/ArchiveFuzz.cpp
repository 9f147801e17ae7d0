// Feeds arbitrary bytes to the archive reader as if they were a whole .pff file.
#include <cstddef>
#include <cstdint>

#include "catalogue/MapNames.h"
#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  const ByteReader file(std::span<const uint8_t>(Data, Size));
  CatalogueState state;
  state.LastMission = 0;
  state.FirstArchive = true;
  state.ArchiveHeader = ParsePffHeader(file);
  state.DirectoryCount = ComputeDirectoryCount(state.ArchiveHeader, file.Size());
  const int32_t k = WalkPffDirectory(state, file);
  if (k >= 1) {
    DecodeArchiveMissions(state, file, 0, "fuzz.pff");
    ReadMapNames(state, file);
  }
  return 0;
}
