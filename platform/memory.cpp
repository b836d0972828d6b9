#include "platform/memory.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace platform {

void tuneAllocatorForLargeBuffers() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest the library takes
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  // Fast bins keep freed small blocks unmerged until a large request sweeps
  // them all; after a query's hundreds of thousands of values that sweep
  // costs more than merging each block as it is freed.
  mallopt(M_MXFAST, 0);
#endif
}

void adviseLargePages(const void* begin, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kLargePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
  (void)begin;
  (void)bytes;
#endif
}

}  // namespace platform
