#pragma once

#include <cstddef>

namespace brieflist {

// Tells the system that a large buffer about to be filled is best backed by huge pages, where it
// offers them: filling tens of megabytes page by page costs more than the work done with them.
// A hint only; nothing changes where it is not supported.
void AdviseLargeBuffer(void* Start, size_t Bytes);

// Grows the heap in large steps backed by huge pages where the system offers them: a catalogue
// of tens of thousands of missions is built from many small blocks, and first touching them page
// by page costs more than building it. Call once at start-up, before large work.
void PrepareHeapForLargeCatalogues();

}  // namespace brieflist
