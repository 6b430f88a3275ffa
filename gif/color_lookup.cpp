#include "gif/color_lookup.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

namespace {

// Eight entries' values or distances side by side. Distances stay below
// 2^15, so signed lanes hold them.
using Lanes16 = std::int16_t __attribute__((vector_size(16)));
constexpr std::size_t kLanes = 8;
constexpr std::size_t kBlocks = 256 / kLanes;

Lanes16 Load(const std::array<std::int16_t, 256>& values, std::size_t block) {
  Lanes16 lanes;
  std::memcpy(&lanes, values.data() + block * kLanes, sizeof lanes);
  return lanes;
}

Lanes16 Distance(Lanes16 entries, std::int16_t value) {
  const Lanes16 d = entries - value;
  return d < 0 ? -d : d;
}

Lanes16 Smaller(Lanes16 a, Lanes16 b) {
  return a < b ? a : b;
}

// The smallest of one block's lanes.
std::int16_t SmallestLane(Lanes16 block) {
  std::int16_t smallest = block[0];
  for (std::size_t lane = 1; lane < kLanes; ++lane) smallest = std::min<std::int16_t>(smallest, block[lane]);
  return smallest;
}

}  // namespace

// Smallest sum of absolute differences over every entry; only a strictly
// smaller distance replaces the best, so the lowest index wins a tie. The
// result answers every later colour of the same key.
//
// Done over blocks of eight entries: all 256 distances (entries past the
// palette's end get one larger than any real distance) and their smallest
// lane by lane, then the first block holding the smallest, then its first
// lane that does. That index is the one the strict-less-than scan finds.
std::uint32_t TFastColorLookup::Search(int key, int red, int green, int blue) {
  std::array<Lanes16, kBlocks> distance;
  Lanes16 smallest = {};
  for (std::size_t block = 0; block < kBlocks; ++block) {
    const Lanes16 d = Distance(Load(reds_, block), static_cast<std::int16_t>(red)) +
                      Distance(Load(greens_, block), static_cast<std::int16_t>(green)) +
                      Distance(Load(blues_, block), static_cast<std::int16_t>(blue)) + Load(unused_, block);
    distance[block] = d;
    smallest = block == 0 ? d : Smaller(d, smallest);
  }
  const std::int16_t least = SmallestLane(smallest);
  std::size_t block = 0;
  while (SmallestLane(distance[block]) != least) ++block;
  std::size_t best = block * kLanes;
  while (distance[block][best % kLanes] != least) ++best;
  const std::uint32_t entry = Entry(static_cast<int>(best), palette_[best]);
  inverse_[static_cast<std::size_t>(key)] = entry;
  return entry;
}

}  // namespace tessory
