#include "imaging/png_deflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <utility>

#include "imaging/deflate_blocks.h"
#include "imaging/kept_threads.h"
#include "imaging/pixel_buffer.h"
#include "imaging/png_writer.h"
#include "imaging/screen_deflate.h"

namespace tessory {
namespace {

// libdeflate's own memory (about 0.5 to 1 MB of match-finder tables at
// the levels used here) comes from large blocks: where the system offers
// large pages, a fresh process touches one instead of about 150 small ones.
// They are blocks apart from the pictures' kept blocks, held as long as
// their compressor is kept. The block's size sits in front of it, since
// the library frees by address.
constexpr std::size_t kSizeField = alignof(std::max_align_t);

void* AllocateForLibrary(std::size_t bytes) noexcept {
  try {
    const std::size_t size = std::max(bytes + kSizeField, large_block::kThreshold);
    auto* block = static_cast<unsigned char*>(large_block::AllocateApart(size));
    *reinterpret_cast<std::size_t*>(block) = size;
    return block + kSizeField;
  } catch (const std::bad_alloc&) {
    return nullptr;  // the library reports it by failing the call
  }
}

void FreeForLibrary(void* memory) noexcept {
  if (!memory) return;
  auto* block = static_cast<unsigned char*>(memory) - kSizeField;
  large_block::FreeApart(block, *reinterpret_cast<std::size_t*>(block));
}

struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const noexcept { libdeflate_free_compressor(compressor); }
};
using UniqueCompressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

// A large block, left uninitialised, that only grows while a write lasts.
class Block {
 public:
  Block() = default;
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;
  ~Block() { Release(); }

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


// Rows compressed in parts: at most one part per core and eight in all,
// none smaller than a megabyte. Each part starts without the window of the
// one before and with fresh Huffman codes, which costs a few bytes in a
// thousand at this size; smaller parts cost more and gain little, since a
// megabyte takes a few milliseconds.
constexpr std::size_t kMaxParts = PngWorkspace::kMaxParts;
constexpr std::size_t kMinPartBytes = std::size_t{1} << 20;

// Bytes a part may grow by when its end is opened (an empty stored block).
constexpr std::size_t kOpenEndBytes = 5;

// The two bytes libdeflate puts in front of a zlib stream: deflate with a
// 32 KB window, and the level as zlib's four-step hint.
std::array<std::uint8_t, 2> ZlibHeader(int level) {
  const unsigned hint = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
  unsigned header = 0x7800 | hint << 6;
  header |= 31 - header % 31;
  return {static_cast<std::uint8_t>(header >> 8), static_cast<std::uint8_t>(header)};
}

// The Adler-32 of two pieces in a row from the Adler-32 of each, the
// second `secondBytes` long.
std::uint32_t CombineAdler32(std::uint32_t first, std::uint32_t second, std::size_t secondBytes) {
  constexpr std::uint64_t kBase = 65521;
  const std::uint64_t firstSum = first & 0xFFFF, length = secondBytes % kBase;
  const std::uint64_t sum = (firstSum + (second & 0xFFFF) + kBase - 1) % kBase;
  const std::uint64_t sumOfSums = ((first >> 16) + (second >> 16) + length * (firstSum + kBase - 1)) % kBase;
  return static_cast<std::uint32_t>(sumOfSums << 16 | sum);
}

// Makes the raw deflate stream in `room`'s first `size` bytes continuable:
// its final block becomes an ordinary one, followed by an empty stored
// block that ends on a byte. The new size, or 0 where the stream's blocks
// cannot be followed.
std::size_t OpenEnd(std::span<std::uint8_t> room, std::size_t size) {
  const std::optional<DeflateFinalBlock> final = FindFinalBlock(room.first(size));
  if (!final || (final->endBit + 7) / 8 != size || room.size() < size + kOpenEndBytes) return 0;
  room[final->headerBit / 8] &= static_cast<std::uint8_t>(~(1u << final->headerBit % 8));
  // The stored block's three header bits are zero, like the padding after.
  const std::size_t lengthAt = (final->endBit + 3 + 7) / 8;
  room[final->endBit / 8] &= static_cast<std::uint8_t>((1u << final->endBit % 8) - 1);
  std::fill(room.begin() + final->endBit / 8 + 1, room.begin() + lengthAt, 0);
  const std::uint8_t emptyLength[4] = {0x00, 0x00, 0xFF, 0xFF};  // LEN 0, and its complement
  std::memcpy(room.data() + lengthAt, emptyLength, 4);
  return lengthAt + 4;
}

// Compressors the process has set up, in all.
std::atomic<std::size_t> compressorsSetUp{0};

// A compressor kept between writes, set up afresh when the level changes.
class Compressor {
 public:
  // The compressor at `level`, or null if the library cannot set one up.
  libdeflate_compressor* At(int level) noexcept {
    if (!compressor_ || level_ != level) {
      compressor_.reset();
      compressor_.reset(libdeflate_alloc_compressor(level));
      level_ = level;
      if (compressor_) ++compressorsSetUp;
    }
    return compressor_.get();
  }

  bool SetUpAt(int level) const { return compressor_ && level_ == level; }
  bool SetUp() const { return compressor_ != nullptr; }

 private:
  UniqueCompressor compressor_;
  int level_ = 0;
};

// The compressors kept between writes: one per part and one more, so that
// the small pictures' level and the parts' level are both kept. A write
// takes those set up at its level first; the others it takes are the ones
// longest untaken, set up afresh where they are used. Their memory is
// bounded by their number and the largest level's tables.
class KeptCompressors {
 public:
  // `count` (at most kMaxParts) compressors for a write at `level`.
  std::array<Compressor*, kMaxParts> Take(int level, std::size_t count) {
    std::array<Kept*, PngWorkspace::kKeptCompressors> order;
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = &kept_[i];
    std::ranges::stable_sort(
        order, {}, [level](const Kept* kept) { return std::pair(!kept->compressor.SetUpAt(level), kept->lastTaken); });
    ++writes_;
    std::array<Compressor*, kMaxParts> taken{};
    for (std::size_t i = 0; i < count; ++i) {
      order[i]->lastTaken = writes_;
      taken[i] = &order[i]->compressor;
    }
    return taken;
  }

  std::size_t SetUpCount() const {
    return static_cast<std::size_t>(
        std::ranges::count_if(kept_, [](const Kept& kept) { return kept.compressor.SetUp(); }));
  }

 private:
  struct Kept {
    Compressor compressor;
    std::uint64_t lastTaken = 0;  // the write that took it last, 0 for none
  };
  std::array<Kept, PngWorkspace::kKeptCompressors> kept_;
  std::uint64_t writes_ = 0;
};

struct DeflatePart {
  std::span<const std::uint8_t> input;
  // Where the part's rows are still to be written: by `fill`, before the
  // part is compressed.
  const PngWorkspace::RowFill* fill = nullptr;
  std::span<std::uint8_t> unfilled;
  std::size_t firstRow = 0, rowCount = 0;
  std::span<std::uint8_t> room;  // its compress bound and kOpenEndBytes
  // Set up on the part's own thread: in a fresh process its tables are
  // fresh pages too.
  Compressor* compressor = nullptr;
  int level = 0;
  bool last = false;
  std::size_t size = 0;  // 0 until compressed and joinable
  std::uint32_t adler = 1;
};

void CompressPart(DeflatePart& part) noexcept {
  // Filled whatever follows, so that a failed part leaves whole rows for
  // the one call that takes over.
  if (part.fill) (*part.fill)(static_cast<int>(part.firstRow), static_cast<int>(part.rowCount), part.unfilled);
  libdeflate_compressor* const compressor = part.compressor->At(part.level);
  if (!compressor) return;
  part.adler = libdeflate_adler32(1, part.input.data(), part.input.size());
  const std::size_t size = libdeflate_deflate_compress(compressor, part.input.data(), part.input.size(),
                                                       part.room.data(), part.room.size() - kOpenEndBytes);
  part.size = part.last || size == 0 ? size : OpenEnd(part.room, size);
}

// Compresses `parts`: the first on the caller's thread, each other on a
// kept thread, or on the caller's thread where no thread can be had.
// Returns once every part is done.
void CompressParts(std::span<DeflatePart> parts) noexcept {
  std::array<KeptThreadTask, kMaxParts> tasks;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    DeflatePart* const part = &parts[i];
    if (!tasks[i].Start([part] { CompressPart(*part); })) CompressPart(*part);
  }
  CompressPart(parts[0]);
  for (KeptThreadTask& task : tasks) task.Wait();
}

struct Workspace {
  std::mutex turn;
  Block filteredRows, stream;
  KeptCompressors compressors;
  ScreenDeflater screenDeflater;
  std::vector<std::uint8_t> screenStream;
};

Workspace& TheWorkspace() {
  static Workspace* const workspace = [] {
    libdeflate_set_memory_allocator(AllocateForLibrary, FreeForLibrary);
    return new Workspace;  // kept to the end of the process
  }();
  return *workspace;
}

std::span<const std::uint8_t> CompressInOneCall(Workspace& workspace, std::span<const std::uint8_t> data, int level) {
  libdeflate_compressor* const compressor = workspace.compressors.Take(level, 1)[0]->At(level);
  if (!compressor) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  const std::span<std::uint8_t> room = workspace.stream.Room(libdeflate_zlib_compress_bound(compressor, data.size()));
  // The bound is the worst case, so the stream always fits.
  const std::size_t size = libdeflate_zlib_compress(compressor, data.data(), data.size(), room.data(), room.size());
  if (size == 0) throw EPngError(std::string(kPngFileTexts.cannotWrite));
  return room.first(size);
}

// The rows a compression in parts reads, and how they are made.
struct PartRows {
  std::span<const std::uint8_t> data;
  std::size_t rowBytes = 1;
  // Where given, each part's rows are written by `fill` into `writable`
  // (the same bytes as `data`) before they are compressed.
  std::uint8_t* writable = nullptr;
  const PngWorkspace::RowFill* fill = nullptr;
};

// The rows in `parts` parts, split between rows, joined into one zlib
// stream; nothing where a part could not be compressed or joined, its rows
// filled all the same.
std::span<const std::uint8_t> CompressInParts(Workspace& workspace, const PartRows& rows, int level,
                                              std::size_t parts) {
  const std::size_t rowCount = rows.data.size() / rows.rowBytes;
  std::array<DeflatePart, kMaxParts> jobs;
  std::array<std::size_t, kMaxParts> partRoom{};
  std::size_t roomBytes = 2 + 4;  // the zlib header and trailer
  const std::array<Compressor*, kMaxParts> compressors = workspace.compressors.Take(level, parts);
  for (std::size_t i = 0; i < parts; ++i) {
    DeflatePart& job = jobs[i];
    job.compressor = compressors[i];
    job.level = level;
    job.firstRow = rowCount * i / parts;
    job.rowCount = rowCount * (i + 1) / parts - job.firstRow;
    const std::size_t at = rows.rowBytes * job.firstRow, bytes = rows.rowBytes * job.rowCount;
    job.input = rows.data.subspan(at, bytes);
    if (rows.fill) {
      job.fill = rows.fill;
      job.unfilled = {rows.writable + at, bytes};
    }
    job.last = i + 1 == parts;
    // The bound of any compressor: this one may not be set up yet.
    partRoom[i] = libdeflate_deflate_compress_bound(nullptr, job.input.size()) + kOpenEndBytes;
    roomBytes += partRoom[i];
  }
  const std::span<std::uint8_t> room = workspace.stream.Room(roomBytes);
  for (std::size_t i = 0, at = 2; i < parts; at += partRoom[i], ++i) jobs[i].room = room.subspan(at, partRoom[i]);
  CompressParts(std::span(jobs).first(parts));
  const std::array<std::uint8_t, 2> header = ZlibHeader(level);
  std::memcpy(room.data(), header.data(), 2);
  std::size_t size = 2;
  std::uint32_t adler = 1;
  for (std::size_t i = 0; i < parts; ++i) {
    if (jobs[i].size == 0) return {};
    std::memmove(room.data() + size, jobs[i].room.data(), jobs[i].size);
    size += jobs[i].size;
    adler = CombineAdler32(adler, jobs[i].adler, jobs[i].input.size());
  }
  for (int shift = 24; shift >= 0; shift -= 8) room[size++] = static_cast<std::uint8_t>(adler >> shift);
  return room.first(size);
}

}  // namespace

PngWorkspace::PngWorkspace() : turn_(TheWorkspace().turn) {}

PngWorkspace::~PngWorkspace() {
  // Given back after every write: the blocks the system keeps for the next
  // pictures (imaging/pixel_buffer.h) serve the next write, within one
  // bound for every writer.
  Workspace& workspace = TheWorkspace();
  workspace.filteredRows.Release();
  workspace.stream.Release();
  std::vector<std::uint8_t>().swap(workspace.screenStream);
}

std::span<std::uint8_t> PngWorkspace::FilteredRows(std::size_t bytes) {
  return TheWorkspace().filteredRows.Room(bytes);
}

PngWorkspace::CompressorCount PngWorkspace::Compressors() const {
  return {TheWorkspace().compressors.SetUpCount(), compressorsSetUp.load()};
}

std::span<const std::uint8_t> PngWorkspace::FillAndCompressScreen(std::span<std::uint8_t> rows, int rowCount,
                                                                  int pixelBytes, int level, const RowFill& fill) {
  Workspace& workspace = TheWorkspace();
  fill(0, rowCount, rows);
  parts_ = 1;
  if (rowCount > 0) {
    std::vector<std::uint8_t>& stream = workspace.screenStream;
    try {
      const std::array<std::uint8_t, 2> header = ZlibHeader(level);
      stream.assign(header.begin(), header.end());
      stream.reserve(rows.size() / 16);
      const std::size_t rowBytes = rows.size() / static_cast<std::size_t>(rowCount);
      if (workspace.screenDeflater.Compress(rows, static_cast<std::size_t>(pixelBytes), rowBytes, stream)) {
        const std::uint32_t adler = libdeflate_adler32(1, rows.data(), rows.size());
        for (int shift = 24; shift >= 0; shift -= 8) stream.push_back(static_cast<std::uint8_t>(adler >> shift));
        return stream;
      }
    } catch (const std::bad_alloc&) {
      // The general coder below needs less.
    }
  }
  return CompressInOneCall(workspace, rows, level);
}

std::span<const std::uint8_t> PngWorkspace::CompressZlibInParts(std::span<const std::uint8_t> data, int level,
                                                                std::size_t parts) {
  Workspace& workspace = TheWorkspace();
  parts = std::min({parts, kMaxParts, data.size()});
  if (parts > 1) {
    const std::span<const std::uint8_t> stream = CompressInParts(workspace, {data}, level, parts);
    if (!stream.empty()) {
      parts_ = parts;
      return stream;
    }
  }
  parts_ = 1;
  return CompressInOneCall(workspace, data, level);
}

std::span<const std::uint8_t> PngWorkspace::FillAndCompress(std::span<std::uint8_t> rows, int rowCount, int level,
                                                            const RowFill& fill) {
  Workspace& workspace = TheWorkspace();
  const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, kMaxParts);
  const std::size_t parts =
      rowCount > 1 ? std::min({cores, rows.size() / kMinPartBytes, static_cast<std::size_t>(rowCount)}) : 1;
  if (parts > 1) {
    const PartRows parted{rows, rows.size() / static_cast<std::size_t>(rowCount), rows.data(), &fill};
    const std::span<const std::uint8_t> stream = CompressInParts(workspace, parted, level, parts);
    if (!stream.empty()) {
      parts_ = parts;
      return stream;
    }
  } else {
    fill(0, rowCount, rows);
  }
  parts_ = 1;
  return CompressInOneCall(workspace, rows, level);
}

}  // namespace tessory
