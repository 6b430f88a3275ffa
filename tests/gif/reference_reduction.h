// A literal model of the colour reduction for the tests: a pointer octree
// fed one pixel at a time, the 15-bit cache lookup and the serpentine
// Floyd-Steinberg diffusion, each step written as plainly as it reads,
// with no runs, caches or fast paths. The writer's output must equal it.
#pragma once

#include <vector>

#include "gif/indexed_image.h"
#include "support/bmp_reader.h"

namespace tessory::test {

struct ReferenceImage {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // rows top to bottom
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The octree palette of 256 entries (entries after the last leaf repeat
// entry 0); `leaves` receives the final leaf count.
std::vector<PaletteColor> ReferencePalette(const ReferenceImage& image, int* leaves = nullptr);

// The whole reduction: octree palette, cache lookup, Floyd-Steinberg.
IndexedImage ReferenceReduce(const ReferenceImage& image);

// Floyd-Steinberg over a given palette.
std::vector<std::uint8_t> ReferenceDither(const ReferenceImage& image, const std::vector<PaletteColor>& palette);

}  // namespace tessory::test
