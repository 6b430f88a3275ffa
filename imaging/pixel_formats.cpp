#include "imaging/pixel_formats.h"

#include <algorithm>
#include <cstring>

#include "framework/error.h"
#include "imaging/packed_color.h"

namespace tessory {
namespace {

PixelFormat FormatForBits(int bits) {
  switch (bits) {
    case 8: return PixelFormat::Bits8;
    case 16: return PixelFormat::Bits16;
    case 24: return PixelFormat::Bits24;
    case 32: return PixelFormat::Bits32;
  }
  throw EConvertError("Invalid pixel depth");
}

std::size_t ImageBytes(int width, int height, int bits) {
  return RowStride(width, bits) * static_cast<std::size_t>(height > 0 ? height : 0);
}

// The image's pixels as 24-bit rows (blue, green, red), bottom row first.
PixelBuffer CopyRows24(const CaptureImage& image) {
  const int width = image.Width(), height = image.Height();
  const std::size_t dstStride = RowStride(width, 24);
  PixelBuffer rows = AllocatePixels(dstStride * static_cast<std::size_t>(height));
  if (image.Empty()) return rows;
  if (image.Format() == PixelFormat::Device) {
    image.Device()->ReadRows24(rows);
    return rows;
  }
  const std::size_t srcStride = image.Stride();
  const auto src = image.Rows();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* s = src.data() + srcStride * static_cast<std::size_t>(y);
    std::uint8_t* d = rows.data() + dstStride * static_cast<std::size_t>(y);
    switch (image.Format()) {
      case PixelFormat::Bits24:
        std::memcpy(d, s, static_cast<std::size_t>(width) * 3);
        break;
      case PixelFormat::Bits32:
        for (int x = 0; x < width; ++x, s += 4, d += 3) d[0] = s[0], d[1] = s[1], d[2] = s[2];
        break;
      case PixelFormat::Bits16:
        for (int x = 0; x < width; ++x, s += 2, d += 3) {
          const unsigned word = s[0] | (s[1] << 8);
          const unsigned r = word >> 11, g = (word >> 5) & 0x3F, b = word & 0x1F;
          d[0] = static_cast<std::uint8_t>((b << 3) | (b >> 2));
          d[1] = static_cast<std::uint8_t>((g << 2) | (g >> 4));
          d[2] = static_cast<std::uint8_t>((r << 3) | (r >> 2));
        }
        break;
      case PixelFormat::Bits8:
        for (int x = 0; x < width; ++x, ++s, d += 3) {
          const RgbQuad& c = image.Colors()[*s];
          d[0] = c.blue, d[1] = c.green, d[2] = c.red;
        }
        break;
      case PixelFormat::Device:
        break;
    }
  }
  return rows;
}

// Nearest palette entry by squared distance, lowest index on ties. A small
// direct-mapped cache keeps screenshots (few distinct colours) fast; the
// search walks the entries in order of green outwards from the pixel's and
// stops where green alone is farther than the best match, which gives the
// same entry as trying all 256 at a fraction of the cost on photographs.
class NearestColor {
 public:
  explicit NearestColor(const ColorTable& palette) {
    std::array<std::uint8_t, 256> order;
    for (int i = 0; i < 256; ++i) order[i] = static_cast<std::uint8_t>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::uint8_t a, std::uint8_t b) { return palette[a].green < palette[b].green; });
    for (int i = 0; i < 256; ++i) {
      const RgbQuad& c = palette[order[i]];
      byGreen_[i] = {c.green, c.red, c.blue, order[i]};
    }
  }

  std::uint8_t IndexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const std::uint32_t key = PackRgb(red, green, blue);
    Slot& slot = cache_[(key * 2654435761u) >> (32 - kCacheBits)];
    if (slot.key != key + 1) slot = {key + 1, Search(blue, green, red)};
    return slot.index;
  }

 private:
  static constexpr int kCacheBits = 14;
  struct Slot {
    std::uint32_t key = 0;  // colour + 1, 0 = empty
    std::uint8_t index = 0;
  };
  struct Entry {
    std::uint8_t green, red, blue, index;
  };

  std::uint8_t Search(int blue, int green, int red) const {
    int bestIndex = 256, bestDistance = 1 << 30;
    auto consider = [&](const Entry& e) {
      const int db = blue - e.blue, dg = green - e.green, dr = red - e.red;
      const int distance = db * db + dg * dg + dr * dr;
      if (distance < bestDistance || (distance == bestDistance && e.index < bestIndex)) {
        bestIndex = e.index, bestDistance = distance;
      }
    };
    // Entries at or above the pixel's green, then below it; each walk ends
    // where green alone exceeds the best distance (equal may still tie).
    const int start = FirstWithGreenAtLeast(green);
    for (int i = start; i < 256; ++i) {
      const int dg = byGreen_[i].green - green;
      if (dg * dg > bestDistance) break;
      consider(byGreen_[i]);
    }
    for (int i = start - 1; i >= 0; --i) {
      const int dg = green - byGreen_[i].green;
      if (dg * dg > bestDistance) break;
      consider(byGreen_[i]);
    }
    return static_cast<std::uint8_t>(bestIndex);
  }

  int FirstWithGreenAtLeast(int green) const {
    const auto* it = std::lower_bound(byGreen_.begin(), byGreen_.end(), green,
                                      [](const Entry& e, int value) { return e.green < value; });
    return static_cast<int>(it - byGreen_.begin());
  }

  std::array<Entry, 256> byGreen_{};
  std::array<Slot, 1 << kCacheBits> cache_{};
};

CaptureImage FromRows24(int width, int height, const PixelBuffer& rows24, int bits,
                        const ColorTable& palette) {
  const std::size_t srcStride = RowStride(width, 24), dstStride = RowStride(width, bits);
  PixelBuffer rows = AllocatePixels(ImageBytes(width, height, bits));
  NearestColor nearest(palette);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* s = rows24.data() + srcStride * static_cast<std::size_t>(y);
    std::uint8_t* d = rows.data() + dstStride * static_cast<std::size_t>(y);
    switch (bits) {
      case 24:
        std::memcpy(d, s, static_cast<std::size_t>(width) * 3);
        break;
      case 32:
        for (int x = 0; x < width; ++x, s += 3, d += 4) d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 0;
        break;
      case 16:
        for (int x = 0; x < width; ++x, s += 3, d += 2) {
          const unsigned word = ((s[2] >> 3) << 11) | ((s[1] >> 2) << 5) | (s[0] >> 3);
          d[0] = static_cast<std::uint8_t>(word), d[1] = static_cast<std::uint8_t>(word >> 8);
        }
        break;
      case 8:
        for (int x = 0; x < width; ++x, s += 3) *d++ = nearest.IndexOf(s[0], s[1], s[2]);
        break;
    }
  }
  return CaptureImage(width, height, FormatForBits(bits), std::move(rows), bits == 8 ? palette : ColorTable{});
}

}  // namespace

void ConvertPixelDepth(CaptureImage& image, int bits, const ColorTable& palette) {
  const PixelFormat target = FormatForBits(bits);
  if (image.Format() == target) return;
  image = FromRows24(image.Width(), image.Height(), CopyRows24(image), bits, palette);
}

void ConvertPixelDepth(CaptureImage& image, int bits) { ConvertPixelDepth(image, bits, StandardPalette()); }

CaptureImage CopyAtDepth24(const CaptureImage& image) {
  if (image.Format() == PixelFormat::Bits24) return image;
  return CaptureImage(image.Width(), image.Height(), PixelFormat::Bits24, CopyRows24(image));
}

const ColorTable& StandardPalette() {
  static const ColorTable palette = [] {
    ColorTable table{};
    int i = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b, ++i) {
          table[i] = {static_cast<std::uint8_t>(b * 51), static_cast<std::uint8_t>(g * 51),
                      static_cast<std::uint8_t>(r * 51), 0};
        }
    // Greys between the cube's levels, none equal to one of them.
    for (int k = 1; i < 256; ++k, ++i) {
      const auto level = static_cast<std::uint8_t>((k * 255 + 20) / 41);
      table[i] = {level, level, level, 0};
    }
    return table;
  }();
  return palette;
}

}  // namespace tessory
