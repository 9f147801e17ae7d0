// Feeds arbitrary bytes to the archive reader as if they were a whole .pff file, and reads them
// again by parts, as an archive too large to read whole is read: both must give the same rows
// and map names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "catalogue/MapNames.h"
#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"

namespace {

// Reads every archive, valid header or not.
class ReadingHost : public brieflist::QuietHost {
 public:
  bool AskYesNo(const std::string&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  const ByteReader file(std::span<const uint8_t>(Data, Size));
  CatalogueState state;
  ArchiveDirectory directory;
  directory.ArchiveHeader = ParsePffHeader(file);
  const int32_t k = WalkPffDirectory(directory, file);
  if (k >= 1) {
    DecodeArchiveMissions(state, directory, file, 0, "fuzz.pff");
    ReadMapNames(state, directory, file);
  }

  CatalogueState parts;
  ReadingHost host;
  SpanFile open(std::span<const uint8_t>(Data, Size));
  if (!ReadPffArchiveByParts(parts, host, "fuzz.pff", open) || parts.Missions != state.Missions ||
      parts.MapNames != state.MapNames)
    std::abort();
  return 0;
}
