// Colour reduction: a true-colour capture becomes an indexed image.
#pragma once

#include <cstdint>

#include "gif/indexed_image.h"
#include "imaging/capture_image.h"

namespace tessory {

// `ReductionMethod` values built here.
inline constexpr std::uint8_t kReductionOctree = 7;
// `DitherStyle` values built here.
inline constexpr std::uint8_t kDitherNearest = 0;
inline constexpr std::uint8_t kDitherFloydSteinberg = 1;

// Follows a reduction as it makes its result, so that another thread can
// use the finished rows while the rest are still being made.
class ReductionObserver {
 public:
  virtual ~ReductionObserver() = default;
  // The palette is final and the pixels are allocated (all 0). From here
  // on the reduction only finishes rows; it no longer fails, and `result`
  // keeps its pixels where they are until it is returned.
  virtual void PaletteReady(const IndexedImage& result) = 0;
  // Rows 0 to rows - 1 are final. Called after every row, top row first.
  virtual void RowsFinal(int rows) noexcept = 0;
};

// Converts `source` in place to 24 bits per pixel, then reduces it with
// `method` (7: an octree palette of 2^`bits` colours) and `style` (0:
// nearest colour, 1: Floyd-Steinberg). Other methods and styles, and bits
// outside 1 to 8, raise EConvertError. Out of memory raises EOutOfMemory
// "Failed to allocate memory for GIF DIB". An image with pixels is
// reported to `observer` as it is made.
IndexedImage ReduceToPalette(CaptureImage& source, int method, int style, int bits,
                             ReductionObserver* observer = nullptr);

}  // namespace tessory
