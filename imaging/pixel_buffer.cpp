#include "imaging/pixel_buffer.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace tessory::large_block {
namespace {

#if defined(__linux__)

std::size_t Capacity(std::size_t bytes) {
  if (bytes > static_cast<std::size_t>(-1) - kSize) throw std::bad_alloc();
  return (bytes + kSize - 1) / kSize * kSize;
}

void* AllocateFresh(std::size_t capacity) {
  void* block = ::operator new(capacity, std::align_val_t{kSize});
  // Advice only: where large pages are off, the block is ordinary memory.
  madvise(block, capacity, MADV_HUGEPAGE);
  return block;
}

void FreeFresh(void* block) noexcept { ::operator delete(block, std::align_val_t{kSize}); }

#else  // no large pages for the asking: ordinary memory

std::size_t Capacity(std::size_t bytes) { return bytes; }
void* AllocateFresh(std::size_t capacity) { return ::operator new(capacity); }
void FreeFresh(void* block) noexcept { ::operator delete(block); }

#endif

// Blocks given back, kept for the next picture. A capture's pictures come
// and go in the same few sizes (the 24-bit copy a writer reads, the
// converted rows), and the first touch of fresh pages can cost more than
// the writing itself: about 25 ms for 3.7 MB under Wine on a virtual
// machine, against nothing for pages used before. Bounded in count and in
// bytes, so that a 4K capture's blocks go back to the system.
class Reserve {
 public:
  struct Block {
    void* data = nullptr;
    std::size_t capacity = 0;
  };

  // A kept block of `capacity` to about twice that, lent out until it comes
  // back; none when no kept block fits.
  void* Lend(std::size_t capacity) {
    std::lock_guard lock(mutex_);
    auto* const keptEnd = kept_.begin() + keptCount_;
    auto* best = keptEnd;
    for (auto* block = kept_.begin(); block != keptEnd; ++block) {
      if (block->capacity >= capacity && block->capacity <= 2 * capacity + kSize &&
          (best == keptEnd || block->capacity < best->capacity)) {
        best = block;
      }
    }
    auto* const record = std::find_if(lent_.begin(), lent_.end(), [](const Block& lent) { return !lent.data; });
    if (best == keptEnd || record == lent_.end()) return nullptr;
    *record = *best;
    std::move(best + 1, keptEnd, best);
    --keptCount_;
    keptBytes_ -= record->capacity;
    return record->data;
  }

  // The capacity of `data` if it was lent from here, else `capacity`.
  std::size_t CapacityOf(void* data, std::size_t capacity) {
    std::lock_guard lock(mutex_);
    for (Block& lent : lent_) {
      if (lent.data == data) return std::exchange(lent, {}).capacity;
    }
    return capacity;
  }

  // Keeps `block`, giving the longest-kept ones back to the system while
  // the bounds would be exceeded; a block past the bound goes back at once.
  void Keep(Block block) noexcept {
    if (block.capacity > kKeptBytes) return FreeFresh(block.data);
    std::array<void*, kKeptBlocks> released{};
    std::size_t releasedCount = 0;
    {
      std::lock_guard lock(mutex_);
      while (keptCount_ == kKeptBlocks || keptBytes_ + block.capacity > kKeptBytes) {
        released[releasedCount++] = kept_.front().data;
        keptBytes_ -= kept_.front().capacity;
        std::move(kept_.begin() + 1, kept_.begin() + keptCount_, kept_.begin());
        --keptCount_;
      }
      kept_[keptCount_++] = block;
      keptBytes_ += block.capacity;
    }
    for (std::size_t i = 0; i < releasedCount; ++i) FreeFresh(released[i]);
  }

 private:
  // A PNG write's three blocks and a 24-bit copy of a 2560 x 1440 capture.
  static constexpr std::size_t kKeptBlocks = 6;
  static constexpr std::size_t kKeptBytes = std::size_t{48} << 20;
  std::mutex mutex_;
  std::array<Block, kKeptBlocks> kept_{};  // the first keptCount_, the longest-kept first
  std::size_t keptCount_ = 0;
  std::size_t keptBytes_ = 0;
  std::array<Block, kKeptBlocks> lent_{};
};

Reserve& TheReserve() {
  static Reserve* const reserve = new Reserve;  // kept to the end of the process
  return *reserve;
}

}  // namespace

void* Allocate(std::size_t bytes) {
  if (bytes < kThreshold) return ::operator new(bytes);
  const std::size_t capacity = Capacity(bytes);
  if (void* kept = TheReserve().Lend(capacity)) return kept;
  return AllocateFresh(capacity);
}

void Free(void* block, std::size_t bytes) noexcept {
  if (!block) return;
  if (bytes < kThreshold) {
    ::operator delete(block);
    return;
  }
  Reserve& reserve = TheReserve();
  reserve.Keep({block, reserve.CapacityOf(block, Capacity(bytes))});
}

void* AllocateApart(std::size_t bytes) {
  return bytes < kThreshold ? ::operator new(bytes) : AllocateFresh(Capacity(bytes));
}

void FreeApart(void* block, std::size_t bytes) noexcept {
  if (bytes < kThreshold) {
    ::operator delete(block);
  } else {
    FreeFresh(block);
  }
}

}  // namespace tessory::large_block
