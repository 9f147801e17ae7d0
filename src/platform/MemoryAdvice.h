#pragma once

#include <cstddef>

namespace brieflist {

// Tells the system that a large buffer about to be filled is best backed by huge pages, where it
// offers them: filling tens of megabytes page by page costs more than the work done with them.
// A hint only; nothing changes where it is not supported.
void AdviseLargeBuffer(void* Start, size_t Bytes);

}  // namespace brieflist
