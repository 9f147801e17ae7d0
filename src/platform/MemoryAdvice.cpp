#include "platform/MemoryAdvice.h"

#ifdef __linux__
#include <sys/mman.h>

#include <cstdint>
#endif

namespace brieflist {

void AdviseLargeBuffer(void* Start, size_t Bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const auto begin = (reinterpret_cast<uintptr_t>(Start) + kHuge - 1) & ~(kHuge - 1);
  const auto end = (reinterpret_cast<uintptr_t>(Start) + Bytes) & ~(kHuge - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)Start;
  (void)Bytes;
#endif
}

}  // namespace brieflist
