#include "imaging/pixel_formats.h"

#include <cstring>

#include "framework/error.h"

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
std::vector<std::uint8_t> Rows24(const CaptureImage& image) {
  const int width = image.Width(), height = image.Height();
  const std::size_t dstStride = RowStride(width, 24);
  std::vector<std::uint8_t> rows = AllocatePixels(dstStride * static_cast<std::size_t>(height));
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
// direct-mapped cache keeps screenshots (few distinct colours) fast.
class NearestColor {
 public:
  explicit NearestColor(const ColorTable& palette) : palette_(palette) {}

  std::uint8_t IndexOf(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const std::uint32_t key = (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
    Slot& slot = cache_[(key * 2654435761u) >> (32 - kCacheBits)];
    if (slot.key != key + 1) slot = {key + 1, Search(blue, green, red)};
    return slot.index;
  }

 private:
  static constexpr int kCacheBits = 12;
  struct Slot {
    std::uint32_t key = 0;  // colour + 1, 0 = empty
    std::uint8_t index = 0;
  };

  std::uint8_t Search(int blue, int green, int red) const {
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const int db = blue - palette_[i].blue, dg = green - palette_[i].green, dr = red - palette_[i].red;
      const int distance = db * db + dg * dg + dr * dr;
      if (distance < bestDistance) best = i, bestDistance = distance;
    }
    return static_cast<std::uint8_t>(best);
  }

  const ColorTable& palette_;
  std::array<Slot, 1 << kCacheBits> cache_{};
};

CaptureImage FromRows24(int width, int height, const std::vector<std::uint8_t>& rows24, int bits,
                        const ColorTable& palette) {
  const std::size_t srcStride = RowStride(width, 24), dstStride = RowStride(width, bits);
  std::vector<std::uint8_t> rows = AllocatePixels(ImageBytes(width, height, bits));
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
  image = FromRows24(image.Width(), image.Height(), Rows24(image), bits, palette);
}

void ConvertPixelDepth(CaptureImage& image, int bits) { ConvertPixelDepth(image, bits, StandardPalette()); }

CaptureImage CopyAtDepth24(const CaptureImage& image) {
  if (image.Format() == PixelFormat::Bits24) return image;
  return CaptureImage(image.Width(), image.Height(), PixelFormat::Bits24, Rows24(image));
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
