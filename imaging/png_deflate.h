// The PNG writer's compression: the filtered rows as one zlib stream,
// compressed by libdeflate in a single call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace tessory {

// A compressed stream in a block sized for the worst case; only the bytes
// the compressor wrote are ever touched.
class ZlibStream {
 public:
  std::span<const std::uint8_t> Bytes() const { return {block_.get(), size_}; }

 private:
  friend ZlibStream CompressZlib(std::span<const std::uint8_t> data, int level);
  struct BlockFree {
    std::size_t capacity;
    void operator()(std::uint8_t* block) const noexcept;
  };
  std::unique_ptr<std::uint8_t, BlockFree> block_{nullptr, BlockFree{0}};
  std::size_t size_ = 0;
};

// Compresses `data` as a zlib stream (window 32 KB, Adler-32 trailer) at
// `level` (libdeflate's scale: 1 fastest, 6 zlib's default, 12 smallest).
// Memory for the output that cannot be had throws EOutOfResources; a
// compressor the library cannot set up throws EPngError.
ZlibStream CompressZlib(std::span<const std::uint8_t> data, int level);

}  // namespace tessory
