#include "imaging/pixel_buffer.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessory::large_block {

#if defined(__linux__)

void* Allocate(std::size_t bytes) {
  if (bytes < kThreshold) return ::operator new(bytes);
  if (bytes > static_cast<std::size_t>(-1) - kSize) throw std::bad_alloc();
  const std::size_t rounded = (bytes + kSize - 1) / kSize * kSize;
  void* block = ::operator new(rounded, std::align_val_t{kSize});
  // Advice only: where large pages are off, the block is ordinary memory.
  madvise(block, rounded, MADV_HUGEPAGE);
  return block;
}

void Free(void* block, std::size_t bytes) noexcept {
  if (bytes < kThreshold) {
    ::operator delete(block);
    return;
  }
  ::operator delete(block, std::align_val_t{kSize});
}

#else  // no large pages for the asking: ordinary memory

void* Allocate(std::size_t bytes) { return ::operator new(bytes); }
void Free(void* block, std::size_t) noexcept { ::operator delete(block); }

#endif

}  // namespace tessory::large_block
