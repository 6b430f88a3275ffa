// Palette lookup with a 15-bit colour cache: the first colour of each key
// is searched over the whole palette, later colours of that key reuse it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gif/indexed_image.h"
#include "imaging/packed_color.h"

namespace tessory {

// The cache key: the top five bits of red in bits 0-4, of green in bits
// 5-9, of blue in bits 10-14.
constexpr int ColorKey(int red, int green, int blue) {
  return (red >> 3) | ((green >> 3) << 5) | ((blue >> 3) << 10);
}

class TFastColorLookup {
 public:
  // Takes all of `palette` (1 to 256 entries).
  explicit TFastColorLookup(const std::vector<PaletteColor>& palette);

  int Colors() const { return colors_; }
  // The palette index for (red, green, blue); `chosen` receives the
  // palette colour at that index.
  std::uint8_t Lookup(int red, int green, int blue, PaletteColor& chosen) {
    const std::uint32_t entry = EntryFor(red, green, blue);
    const std::uint32_t color = entry >> 8;
    chosen = {RedOf(color), GreenOf(color), BlueOf(color)};
    return static_cast<std::uint8_t>(entry);
  }
  // The same answer as one cache entry: the index in the low byte and the
  // index's colour, packed, above it, so one read answers both.
  std::uint32_t EntryFor(int red, int green, int blue) {
    const int key = ColorKey(red, green, blue);
    const std::uint32_t entry = inverse_[static_cast<std::size_t>(key)];
    return entry != empty_ ? entry : Search(key, red, green, blue);
  }
  const PaletteColor& Color(std::uint8_t index) const { return palette_[index]; }

 private:
  static std::uint32_t Entry(int index, const PaletteColor& c) {
    return static_cast<std::uint32_t>(index) | (PackRgb(c.red, c.green, c.blue) << 8);
  }
  std::uint32_t Search(int key, int red, int green, int blue);

  int colors_;
  std::array<PaletteColor, 256> palette_{};
  // The palette by channel for the search, and 766 past its end.
  std::array<std::int16_t, 256> reds_{}, greens_{}, blues_{}, unused_{};
  // Index 0 with a colour other than entry 0's: no real entry looks so.
  std::uint32_t empty_ = 0;
  // The inverse table: one entry per 15-bit key, empty_ until known.
  std::vector<std::uint32_t> inverse_;
};

}  // namespace tessory
