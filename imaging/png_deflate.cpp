#include "imaging/png_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <mutex>
#include <new>

#include "imaging/pixel_buffer.h"
#include "imaging/png_writer.h"

namespace tessory {
namespace {

// libdeflate's own memory (about 0.5 to 1 MB of match-finder tables at
// the levels used here) comes from large blocks: where the system offers
// large pages, a fresh process touches one instead of about 150 small ones.
// The block's size sits in front of it, since the library frees by address.
constexpr std::size_t kSizeField = alignof(std::max_align_t);

void* AllocateForLibrary(std::size_t bytes) noexcept {
  try {
    const std::size_t size = std::max(bytes + kSizeField, large_block::kThreshold);
    auto* block = static_cast<unsigned char*>(large_block::Allocate(size));
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + kSizeField;
  } catch (const std::bad_alloc&) {
    return nullptr;  // the library reports it by failing the call
  }
}

void FreeForLibrary(void* memory) noexcept {
  if (!memory) return;
  auto* block = static_cast<unsigned char*>(memory) - kSizeField;
  large_block::Free(block, *reinterpret_cast<std::size_t*>(block));
}

struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};
using UniqueCompressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// One compressor serves every write of the process: setting one up costs
// more than compressing a small picture. Writes take turns on it.
class SharedCompressor {
 public:
  // The compressor for `level`, or null when the library cannot set it up;
  // valid while `lock` is held.
  libdeflate_compressor* For(int level, const std::unique_lock<std::mutex>& /*lock*/) {
    if (!compressor_ || level_ != level) {
      compressor_.reset();
      compressor_.reset(libdeflate_alloc_compressor(level));
      level_ = level;
    }
    return compressor_.get();
  }
  std::mutex& Mutex() { return mutex_; }

  static SharedCompressor& Instance() {
    static SharedCompressor* const instance = [] {
      libdeflate_set_memory_allocator(AllocateForLibrary, FreeForLibrary);
      return new SharedCompressor;  // kept to the end of the process
    }();
    return *instance;
  }

 private:
  std::mutex mutex_;
  UniqueCompressor compressor_;
  int level_ = 0;
};

}  // namespace

void ZlibStream::BlockFree::operator()(std::uint8_t* block) const noexcept {
  large_block::Free(block, capacity);
}

ZlibStream CompressZlib(std::span<const std::uint8_t> data, int level) {
  SharedCompressor& shared = SharedCompressor::Instance();
  const std::unique_lock lock(shared.Mutex());
  libdeflate_compressor* const compressor = shared.For(level, lock);
  if (!compressor) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  const std::size_t capacity = libdeflate_zlib_compress_bound(compressor, data.size());
  ZlibStream stream;
  try {
    stream.block_ = {static_cast<std::uint8_t*>(large_block::Allocate(capacity)), ZlibStream::BlockFree{capacity}};
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of system resources");
  }
  // The bound is the worst case, so the stream always fits.
  stream.size_ = libdeflate_zlib_compress(compressor, data.data(), data.size(), stream.block_.get(), capacity);
  if (stream.size_ == 0) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  return stream;
}

}  // namespace tessory
