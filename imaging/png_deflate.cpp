#include "imaging/png_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
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

// A large block, left uninitialised, that only grows.
class Block {
 public:
  Block() = default;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  ~Block() { Release(); }

  std::size_t Capacity() const { return capacity_; }

  std::span<std::uint8_t> Room(std::size_t bytes) {
    if (bytes > capacity_) {
      Release();
      try {
        data_ = static_cast<std::uint8_t*>(large_block::Allocate(bytes));
      } catch (const std::bad_alloc&) {
        throw EOutOfResources(kOutOfResourcesText);
      }
      capacity_ = bytes;
    }
    return {data_, bytes};
  }

  void Release() noexcept {
    if (data_) large_block::Free(data_, capacity_);
    data_ = nullptr;
    capacity_ = 0;
  }

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t capacity_ = 0;
};

// What the workspace keeps between writes at most: its three blocks for a
// picture of about 2560 x 1440. A larger capture's blocks go back to the
// system once it is written, so a tool that lives in the corner of the
// screen does not hold a 4K picture's worth of memory for the rest of the
// day.
constexpr std::size_t kKeptBytes = std::size_t{40} << 20;

struct Workspace {
  std::mutex turn;
  Block rows24, filteredRows, stream;
  UniqueCompressor compressor;
  int level = 0;
};

Workspace& TheWorkspace() {
  static Workspace* const workspace = [] {
    libdeflate_set_memory_allocator(AllocateForLibrary, FreeForLibrary);
    return new Workspace;  // kept to the end of the process
  }();
  return *workspace;
}

}  // namespace

PngWorkspace::PngWorkspace() : turn_(TheWorkspace().turn) {}

PngWorkspace::~PngWorkspace() {
  Workspace& workspace = TheWorkspace();
  if (workspace.rows24.Capacity() + workspace.filteredRows.Capacity() + workspace.stream.Capacity() > kKeptBytes) {
    workspace.rows24.Release();
    workspace.filteredRows.Release();
    workspace.stream.Release();
  }
}

std::span<std::uint8_t> PngWorkspace::Rows24(std::size_t bytes) {
  return TheWorkspace().rows24.Room(bytes);
}

std::span<std::uint8_t> PngWorkspace::FilteredRows(std::size_t bytes) {
  return TheWorkspace().filteredRows.Room(bytes);
}

std::span<const std::uint8_t> PngWorkspace::CompressZlib(std::span<const std::uint8_t> data, int level) {
  Workspace& workspace = TheWorkspace();
  if (!workspace.compressor || workspace.level != level) {
    workspace.compressor.reset();
    workspace.compressor.reset(libdeflate_alloc_compressor(level));
    workspace.level = level;
  }
  if (!workspace.compressor) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  const std::span<std::uint8_t> room =
      workspace.stream.Room(libdeflate_zlib_compress_bound(workspace.compressor.get(), data.size()));
  // The bound is the worst case, so the stream always fits.
  const std::size_t size =
      libdeflate_zlib_compress(workspace.compressor.get(), data.data(), data.size(), room.data(), room.size());
  if (size == 0) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  return room.first(size);
}

}  // namespace tessory
