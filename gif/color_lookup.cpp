#include "gif/color_lookup.h"

#include <algorithm>
#include <cstdlib>

#include "framework/error.h"

namespace tessory {

TFastColorLookup::TFastColorLookup(const std::vector<PaletteColor>& palette)
    : colors_(static_cast<int>(palette.size())) {
  if (palette.empty() || palette.size() > palette_.size()) throw EConvertError("Invalid palette size");
  std::copy(palette.begin(), palette.end(), palette_.begin());
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
std::uint32_t TFastColorLookup::Search(int key, int red, int green, int blue) {
  int best = 0;
  int bestDistance = 196608;
  for (int i = 0; i < colors_; ++i) {
    const PaletteColor& c = palette_[static_cast<std::size_t>(i)];
    const int distance = std::abs(c.red - red) + std::abs(c.green - green) + std::abs(c.blue - blue);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  const std::uint32_t entry = Entry(best, palette_[static_cast<std::size_t>(best)]);
  inverse_[static_cast<std::size_t>(key)] = entry;
  return entry;
}

}  // namespace tessory
