// Storage for whole images. A picture of a few megabytes is first touched a
// page at a time; where the system offers large pages for the asking, a
// buffer of 1 MB or more is placed on a 2 MB boundary and asked for them,
// so a 1080p capture costs a handful of page faults instead of ~1,500.
// Blocks of 1 MB or more that are given back are kept for the next
// pictures (a few, up to 48 MB in all): pages used before cost nothing.
// Memory held past one picture (a compressor's tables) takes blocks apart
// from those, so that it keeps none of them from the next pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace tessory {

namespace large_block {
// Where large pages are offered (Linux), blocks from kThreshold bytes up
// are whole multiples of kSize, on kSize boundaries.
inline constexpr std::size_t kSize = std::size_t{2} << 20;
inline constexpr std::size_t kThreshold = std::size_t{1} << 20;
void* Allocate(std::size_t bytes);
void Free(void* block, std::size_t bytes) noexcept;
// A block of its own, large pages and all, for memory held past one
// picture: never a kept block, never kept when it is given back, and
// never holding one of the records of the blocks lent out.
void* AllocateApart(std::size_t bytes);
void FreeApart(void* block, std::size_t bytes) noexcept;
}  // namespace large_block

template <class T>
class LargeBlockAllocator {
 public:
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(large_block::Allocate(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { large_block::Free(p, n * sizeof(T)); }

  friend bool operator==(const LargeBlockAllocator&, const LargeBlockAllocator&) { return true; }
};

// Bytes of a whole picture: rows of pixels, indices, samples.
using PixelBuffer = std::vector<std::uint8_t, LargeBlockAllocator<std::uint8_t>>;

}  // namespace tessory
