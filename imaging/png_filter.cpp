#include "imaging/png_filter.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "framework/error.h"
#include "imaging/packed_color.h"

namespace tessory {
namespace {

// Every kSampleRowStep-th row is counted. Screenshots of the corpus show
// 57 to 1 506 colours on those rows, the photograph 135 483; the line lies
// well clear of both.
constexpr int kSampleRowStep = 8;
constexpr std::size_t kPhotoColors = 8192;

// A set of packed colours that only counts: open addressing in a table
// four times the largest count it has to reach.
class ColorCounter {
 public:
  // Adds `color`; false once more than kPhotoColors distinct colours came.
  bool Add(std::uint32_t color) {
    std::uint32_t slot = (color * 0x9E3779B1u) >> (32 - kSlotBits);
    while (slots_[slot] != kEmpty) {
      if (slots_[slot] == color) return true;
      slot = (slot + 1) & (kSlots - 1);
    }
    slots_[slot] = color;
    return ++count_ <= kPhotoColors;
  }

 private:
  static constexpr int kSlotBits = 15;
  static constexpr std::uint32_t kSlots = 1u << kSlotBits;
  static_assert(kSlots >= 4 * kPhotoColors);
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;  // no 24-bit colour
  std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(kSlots, kEmpty);
  std::size_t count_ = 0;
};

// One PNG row from stored row `source` (blue, green, red): red, green,
// blue and, with kAlpha, the key's alpha; with kSub each sample less the
// sample of the pixel before it (0 before the first pixel), modulo 256.
template <bool kAlpha, bool kSub>
void FilterRow(const std::uint8_t* source, std::uint8_t* target, int width, std::uint32_t key) {
  std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  for (int x = 0; x < width; ++x, source += 3) {
    const std::uint8_t r = source[2], g = source[1], b = source[0];
    if constexpr (kSub) {
      target[0] = static_cast<std::uint8_t>(r - red);
      target[1] = static_cast<std::uint8_t>(g - green);
      target[2] = static_cast<std::uint8_t>(b - blue);
      red = r, green = g, blue = b;
    } else {
      target[0] = r, target[1] = g, target[2] = b;
    }
    if constexpr (kAlpha) {
      const std::uint8_t a = PackBgr(source) == key ? 0 : 255;
      target[3] = kSub ? static_cast<std::uint8_t>(a - alpha) : a;
      alpha = a;
      target += 4;
    } else {
      target += 3;
    }
  }
}

template <bool kAlpha, bool kSub>
void FilterAllRows(const PngSourceRows& rows, std::uint32_t key, std::uint8_t* out) {
  const int width = rows.width, height = rows.height;
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * (kAlpha ? 4 : 3);
  for (int y = 0; y < height; ++y, out += rowBytes) {
    // PNG rows run top down, the stored rows bottom up.
    const std::uint8_t* source = rows.data + static_cast<std::size_t>(height - 1 - y) * rows.stride;
    out[0] = static_cast<std::uint8_t>(kSub ? PngRowFilter::Sub : PngRowFilter::None);
    FilterRow<kAlpha, kSub>(source, out + 1, width, key);
  }
}

}  // namespace

PngSourceRows RowsFrom(const PngSourceRows& rows, int first, int count) {
  // Stored bottom up: the top row of the range lies highest in memory.
  const std::size_t lowest = static_cast<std::size_t>(rows.height - first - count);
  return {rows.data + lowest * rows.stride, rows.width, count, rows.stride};
}

PngRowFilter ChooseRowFilter(const PngSourceRows& rows) {
  ColorCounter colors;
  for (int y = 0; y < rows.height; y += kSampleRowStep) {
    const std::uint8_t* pixel = rows.data + static_cast<std::size_t>(y) * rows.stride;
    std::uint32_t previous = 0xFFFFFFFF;  // no 24-bit colour: the row's first pixel always counts
    for (int x = 0; x < rows.width; ++x, pixel += 3) {
      const std::uint32_t color = PackBgr(pixel);
      if (color == previous) continue;  // runs of one colour, most of a screenshot
      previous = color;
      if (!colors.Add(color)) return PngRowFilter::Sub;
    }
  }
  return PngRowFilter::None;
}

std::size_t FilteredRowsSize(int width, int height, int channels) {
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  if (height > 0 && rowBytes > std::numeric_limits<std::size_t>::max() / static_cast<std::size_t>(height)) {
    throw EOutOfResources(kOutOfResourcesText);
  }
  return rowBytes * static_cast<std::size_t>(std::max(height, 0));
}

void FilterRows(const PngSourceRows& rows, std::optional<std::uint32_t> colorKey, PngRowFilter filter,
                std::span<std::uint8_t> out) {
  const std::uint32_t key = colorKey.value_or(0);
  const bool sub = filter == PngRowFilter::Sub;
  if (colorKey) {
    sub ? FilterAllRows<true, true>(rows, key, out.data()) : FilterAllRows<true, false>(rows, key, out.data());
  } else {
    sub ? FilterAllRows<false, true>(rows, key, out.data()) : FilterAllRows<false, false>(rows, key, out.data());
  }
}

}  // namespace tessory
