#include "gif/color_map.h"

#include "gif/gif_error.h"

namespace tessory {

void TGIFColorMap::Assign(const std::vector<PaletteColor>& colors) {
  if (colors.size() > static_cast<std::size_t>(kMaxColors)) throw GIFException("Color table overflow");
  colors_ = colors;
}

int TGIFColorMap::BitsPerPixel() const {
  if (colors_.empty()) return 0;
  int bits = 1;
  while ((1 << bits) < Count()) ++bits;
  return bits;
}

void TGIFColorMap::AppendTable(std::vector<std::uint8_t>& out) const {
  if (colors_.empty()) return;
  for (const PaletteColor& c : colors_) out.insert(out.end(), {c.red, c.green, c.blue});
  // GIF89a: a colour table holds 2^(size + 1) entries of three bytes.
  const int padding = (1 << BitsPerPixel()) - Count();
  out.insert(out.end(), static_cast<std::size_t>(3 * padding), 0);
}

}  // namespace tessory
