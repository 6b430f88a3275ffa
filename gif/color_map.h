// GIF colour tables as the file stores them: red, green, blue per entry,
// padded with black entries to a power of two.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/indexed_image.h"

namespace tessory {

class TGIFColorMap {
 public:
  static constexpr int kMaxColors = 256;

  void Clear() { colors_.clear(); }
  // Replaces the entries; more than 256 raise GIFException.
  void Assign(const std::vector<PaletteColor>& colors);

  int Count() const { return static_cast<int>(colors_.size()); }
  bool Empty() const { return colors_.empty(); }
  const std::vector<PaletteColor>& Colors() const { return colors_; }
  // Bits per entry index: 0 for an empty map, else the smallest b >= 1
  // with 2^b >= Count().
  int BitsPerPixel() const;
  // Appends the table: Count() entries, then black ones up to 2^bits.
  void AppendTable(std::vector<std::uint8_t>& out) const;

  // Set when the entries are sorted by importance (never on this path).
  bool Optimized = false;

 private:
  std::vector<PaletteColor> colors_;
};

class TGIFGlobalColorMap final : public TGIFColorMap {};
class TGIFLocalColorMap final : public TGIFColorMap {};

}  // namespace tessory
