#include "platform/MemoryAdvice.h"

#ifdef __linux__
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
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

void PrepareHeapForLargeCatalogues() {
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_HUGEPAGE)
  constexpr size_t kStep = size_t{64} << 20;
  // Large blocks come from the heap too, and the heap grows 64 MiB at a time: address space
  // only, as pages are still given out when first touched, now in huge pages.
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(kStep));
  mallopt(M_TOP_PAD, static_cast<int>(kStep));
  // A block larger than the heap's free top makes it grow now, by the new step.
  void* first = std::malloc(size_t{1} << 20);
  void* top = sbrk(0);
  if (first && top != reinterpret_cast<void*>(-1) && top > first)
    AdviseLargeBuffer(first,
                      static_cast<size_t>(static_cast<char*>(top) - static_cast<char*>(first)));
  std::free(first);
#endif
}

}  // namespace brieflist
