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

// Converts `source` in place to 24 bits per pixel, then reduces it with
// `method` (7: an octree palette of 2^`bits` colours) and `style` (0:
// nearest colour, 1: Floyd-Steinberg). Other methods and styles, and bits
// outside 1 to 8, raise EConvertError. Out of memory raises EOutOfMemory
// "Failed to allocate memory for GIF DIB".
IndexedImage ReduceToPalette(CaptureImage& source, int method, int style, int bits);

}  // namespace tessory
