// The PNG writer's working memory and compression: room for the filtered
// rows, and those rows as one zlib stream compressed by libdeflate, in one
// call or in parts across the cores, or by the screen coder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>

namespace tessory {

// One write's rows and stream, in large blocks that the next write gets
// back where they are kept (imaging/pixel_buffer.h), and the compressors
// and their threads, kept for the life of the process. Writes take turns:
// an object holds the workspace while it lives.
class PngWorkspace {
 public:
  // The most parts a stream is compressed in.
  static constexpr std::size_t kMaxParts = 8;
  // The compressors kept between writes, each at the level it was set up
  // at: one per part and one more, so that a switch between the small
  // pictures' level and the parts' level sets up none afresh. A write at
  // a level none is kept at sets up afresh those longest unused. Their
  // memory is their own, apart from the blocks kept for the next pictures.
  static constexpr std::size_t kKeptCompressors = kMaxParts + 1;

  PngWorkspace();
  ~PngWorkspace();
  PngWorkspace(const PngWorkspace&) = delete;
  PngWorkspace& operator=(const PngWorkspace&) = delete;

  // Room for `bytes` bytes of filtered rows; what it held before is
  // undefined. Memory that cannot be had throws EOutOfResources.
  std::span<std::uint8_t> FilteredRows(std::size_t bytes);

  // Writes rows [first, first + count) of the picture into `out`.
  using RowFill = std::function<void(int first, int count, std::span<std::uint8_t> out)>;

  // `rows` (`rowCount` rows of equal length, written by `fill`) as a zlib
  // stream (window 32 KB, Adler-32 trailer) at `level` (libdeflate's
  // scale: 1 fastest, 6 zlib's default, 12 smallest), valid until the next
  // call. Rows of 2 MB or more are compressed in parts between rows, one
  // per core (at most 8, none under 1 MB), that join into one stream; each
  // part's rows are written on the thread that compresses them, so `fill`
  // runs on several threads at once, for rows that do not overlap. Less is
  // written and compressed in one call. A compressor the library cannot
  // set up throws EPngError.
  std::span<const std::uint8_t> FillAndCompress(std::span<std::uint8_t> rows, int rowCount, int level,
                                                const RowFill& fill);

  // `rows` (`rowCount` rows of equal length, `pixelBytes` samples to a
  // pixel, written by `fill` on the caller's thread) as a zlib stream,
  // valid until the next call: by the screen coder (imaging/screen_deflate.h)
  // where they are made of screen content, which it codes smaller than
  // libdeflate's level 7 and in less time; else in one call at `level`.
  std::span<const std::uint8_t> FillAndCompressScreen(std::span<std::uint8_t> rows, int rowCount, int pixelBytes,
                                                      int level, const RowFill& fill);

  // `data`, written already, as a zlib stream in `parts` parts (1 to 8, at
  // most one per byte): the first on the caller's thread, each other on a
  // thread the process keeps. Where a part cannot be joined or a
  // compressor cannot be had, the whole of `data` is compressed in one
  // call instead.
  std::span<const std::uint8_t> CompressZlibInParts(std::span<const std::uint8_t> data, int level, std::size_t parts);

  // The parts the last stream of this object was compressed in: 1 where
  // it was compressed in one call, 0 before the first.
  std::size_t Parts() const { return parts_; }

  // The compressors kept now, and those the process has set up in all:
  // for tests and benchmarks.
  struct CompressorCount {
    std::size_t kept = 0;
    std::size_t setUp = 0;
  };
  CompressorCount Compressors() const;

 private:
  std::unique_lock<std::mutex> turn_;
  std::size_t parts_ = 0;
};

}  // namespace tessory
