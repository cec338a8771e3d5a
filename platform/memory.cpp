#include "platform/memory.h"

#include <ctime>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#include <cstdlib>

namespace platform {

#if defined(__linux__)

void* ReserveZeroed(std::size_t bytes, bool random) {
  if (bytes == 0) return nullptr;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  // Only advice: small pages work as well.
  constexpr std::size_t HugePage = std::size_t(2) << 20;
  const std::size_t skip = random ? 0 : HugePage;
  if (bytes > skip) ::madvise(static_cast<char*>(p) + skip, bytes - skip, MADV_HUGEPAGE);
  return p;
}

void ReleaseReserved(void* memory, std::size_t bytes) {
  if (memory != nullptr) ::munmap(memory, bytes);
}

#else

void* ReserveZeroed(std::size_t bytes, bool) {
  return bytes == 0 ? nullptr : std::calloc(bytes, 1);
}

void ReleaseReserved(void* memory, std::size_t) {
  std::free(memory);
}

#endif

double ThreadCpuSeconds() {
#if defined(CLOCK_THREAD_CPUTIME_ID)
  timespec now{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
#else
  return double(std::clock()) / CLOCKS_PER_SEC;
#endif
}

}  // namespace platform
