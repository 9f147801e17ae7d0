// Decodes arbitrary bytes as a mission header, at the start and at an offset the input picks.
#include <cstddef>
#include <cstdint>

#include "catalogue/MissionHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  const ByteReader file(std::span<const uint8_t>(Data, Size));
  const MissionEntry row = DecodeMission(file, 0, "F.BMS", "f.bms", 0);
  if (row.MissionTypeFlags.size() != 16) __builtin_trap();
  const int32_t offset = file.I32LE(0);
  DecodeMission(file, offset, "F.BMS", "f.pff", offset);
  return 0;
}
