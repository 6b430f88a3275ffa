#include "imaging/png_deflate.h"

#include <libdeflate.h>

#include <new>

#include "imaging/pixel_buffer.h"
#include "imaging/png_writer.h"

namespace tessory {
namespace {

struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};
using UniqueCompressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

}  // namespace

void ZlibStream::BlockFree::operator()(std::uint8_t* block) const noexcept {
  large_block::Free(block, capacity);
}

ZlibStream CompressZlib(std::span<const std::uint8_t> data, int level) {
  const UniqueCompressor compressor(libdeflate_alloc_compressor(level));
  if (!compressor) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  const std::size_t capacity = libdeflate_zlib_compress_bound(compressor.get(), data.size());
  ZlibStream stream;
  try {
    stream.block_ = {static_cast<std::uint8_t*>(large_block::Allocate(capacity)), ZlibStream::BlockFree{capacity}};
  } catch (const std::bad_alloc&) {
    throw EOutOfResources("Out of system resources");
  }
  // The bound is the worst case, so the stream always fits.
  stream.size_ = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), stream.block_.get(), capacity);
  if (stream.size_ == 0) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  return stream;
}

}  // namespace tessory
