// Feeds arbitrary bytes to the import probe and the checks before a patch: a list row's data
// offset (4 bytes, little-endian) and file name (a length byte, then the name), then the file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "editing/MissionPosition.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  if (Size < 5) return 0;
  const auto offset = static_cast<int32_t>(Data[0] | (Data[1] << 8) | (Data[2] << 16) |
                                           (static_cast<uint32_t>(Data[3]) << 24));
  const size_t length = std::min<size_t>(Data[4] % 17, Size - 5);
  const std::string name(reinterpret_cast<const char*>(Data + 5), length);
  SpanFile file(std::span<const uint8_t>(Data + 5 + length, Size - 5 - length));
  (void)ProbeMissionPosition(file, "fuzz.pff", offset, name);
  (void)ProbeMissionPosition(file, "FUZZ.BMS", offset, name);
  const MissionPlaces places = MissionPlaces::Read(file, "fuzz.pff", true);
  (void)places.Check(name, offset);
  return 0;
}
