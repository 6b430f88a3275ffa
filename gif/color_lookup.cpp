#include "gif/color_lookup.h"

#include <algorithm>
#include <cstdlib>

#include "framework/error.h"

namespace tessory {

TFastColorLookup::TFastColorLookup(const std::vector<PaletteColor>& palette)
    : colors_(static_cast<int>(palette.size())) {
  if (palette.empty() || palette.size() > palette_.size()) throw EConvertError("Invalid palette size");
  std::copy(palette.begin(), palette.end(), palette_.begin());
  for (std::size_t i = 0; i < 256; ++i) {
    reds_[i] = palette_[i].red, greens_[i] = palette_[i].green, blues_[i] = palette_[i].blue;
    // 3 * 255 + 1: never the smallest, while entry 0 is at most 3 * 255.
    unused_[i] = i < palette.size() ? 0 : 766;
  }
  empty_ = Entry(0, palette_[0]) ^ 0xFFFFFF00u;
  inverse_.assign(32768, empty_);
  for (int i = 0; i < colors_; ++i) {
    const PaletteColor& c = palette_[static_cast<std::size_t>(i)];
    // The lowest index wins a shared key.
    std::uint32_t& slot = inverse_[static_cast<std::size_t>(ColorKey(c.red, c.green, c.blue))];
    if (slot == empty_) slot = Entry(i, c);
  }
}

// Smallest sum of absolute differences over every entry; only a strictly
// smaller distance replaces the best, so the lowest index wins a tie. The
// result answers every later colour of the same key.
//
// Done in two passes over fixed-length arrays, which the compiler turns
// into vector code: all 256 distances (entries past the palette's end get
// one larger than any real distance), then the first index at the
// smallest. That index is the one the strict-less-than scan finds.
std::uint32_t TFastColorLookup::Search(int key, int red, int green, int blue) {
  std::array<std::uint16_t, 256> distance;
  for (std::size_t i = 0; i < 256; ++i) {
    distance[i] = static_cast<std::uint16_t>(std::abs(reds_[i] - red) + std::abs(greens_[i] - green) +
                                             std::abs(blues_[i] - blue) + unused_[i]);
  }
  std::uint16_t smallest = distance[0];
  for (std::size_t i = 1; i < 256; ++i) smallest = std::min(smallest, distance[i]);
  int best = 0;
  while (distance[static_cast<std::size_t>(best)] != smallest) ++best;
  const std::uint32_t entry = Entry(best, palette_[static_cast<std::size_t>(best)]);
  inverse_[static_cast<std::size_t>(key)] = entry;
  return entry;
}

}  // namespace tessory
