// Reads arbitrary bytes as a text resource of map names.
#include <cstddef>
#include <cstdint>

#include "catalogue/MapNames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  const ByteReader file(std::span<const uint8_t>(Data, Size));
  CatalogueState state;
  ArchiveDirectory directory;
  directory.BinEntries.push_back(PffEntry{0, 0, 0, 0, "F.BIN"});
  ReadMapNames(state, directory, file);
  // One pair per keyed record at most, and the records lie in the file.
  if (state.MapNames.size() > Size / 16 + 2) __builtin_trap();
  MapNameLookup lookup(state.MapNames);
  for (size_t i = 1; i < state.MapNames.size() && i < 8; ++i)
    if (lookup.LookUp(state.MapNames[i].Key) !=
        LookUpMapName(state.MapNames, state.MapNames[i].Key))
      __builtin_trap();
  return 0;
}
