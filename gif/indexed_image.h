// An image of one palette index per pixel with its red-green-blue palette:
// what colour reduction produces and a GIF frame stores.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/pixel_buffer.h"

namespace tessory {

struct PaletteColor {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const PaletteColor&, const PaletteColor&) = default;
};

struct IndexedImage {
  int width = 0;
  int height = 0;
  // width * height indices, rows top to bottom, no padding.
  PixelBuffer pixels;
  std::vector<PaletteColor> palette;

  std::uint8_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
  const std::uint8_t* Row(int y) const {
    return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
};

// A zeroed indexed image of the given size and palette length. Throws
// EOutOfMemory "Failed to allocate memory for GIF DIB" when the pixels
// cannot be had.
IndexedImage AllocateIndexedImage(int width, int height, std::size_t paletteSize);

}  // namespace tessory
