#include "support/bmp_reader.h"

#include <stdexcept>

namespace tessory::test {

std::uint16_t LeU16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(at)) | static_cast<unsigned char>(b.at(at + 1)) << 8);
}

std::uint32_t LeU32(const std::string& b, std::size_t at) { return LeU16(b, at) | std::uint32_t{LeU16(b, at + 2)} << 16; }

DecodedBmp DecodeBmp(const std::string& b) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a BMP");
  DecodedBmp d;
  d.fileSize = LeU32(b, 2);
  d.offBits = LeU32(b, 10);
  d.headerSize = LeU32(b, 14);
  d.width = static_cast<std::int32_t>(LeU32(b, 18));
  d.height = static_cast<std::int32_t>(LeU32(b, 22));
  d.bitCount = LeU16(b, 28);
  d.compression = LeU32(b, 30);
  d.sizeImage = LeU32(b, 34);
  d.clrUsed = LeU32(b, 46);
  if (d.fileSize != b.size()) throw std::runtime_error("bfSize is not the file size");
  if (d.compression == 3) {
    for (int i = 0; i < 3; ++i) d.masks[i] = LeU32(b, 54 + 4 * i);
  }
  const std::size_t stride = (static_cast<std::size_t>(d.width) * d.bitCount + 31) / 32 * 4;
  if (d.offBits + stride * d.height > b.size()) throw std::runtime_error("pixel data truncated");
  d.pixels.resize(static_cast<std::size_t>(d.width) * d.height);
  for (int y = 0; y < d.height; ++y) {
    const std::size_t row = d.offBits + stride * static_cast<std::size_t>(d.height - 1 - y);
    for (int x = 0; x < d.width; ++x) {
      Rgb& p = d.pixels[static_cast<std::size_t>(y) * d.width + x];
      auto byte = [&](std::size_t at) { return static_cast<std::uint8_t>(b[at]); };
      switch (d.bitCount) {
        case 8: {
          const std::size_t entry = 54 + 4 * std::size_t{byte(row + x)};
          p = {byte(entry + 2), byte(entry + 1), byte(entry)};
          break;
        }
        case 16: {
          const std::uint16_t w = LeU16(b, row + 2 * x);
          d.words.push_back(w);
          p = {static_cast<std::uint8_t>((w >> 11) << 3), static_cast<std::uint8_t>(((w >> 5) & 63) << 2),
               static_cast<std::uint8_t>((w & 31) << 3)};
          break;
        }
        case 24: p = {byte(row + 3 * x + 2), byte(row + 3 * x + 1), byte(row + 3 * x)}; break;
        case 32: p = {byte(row + 4 * x + 2), byte(row + 4 * x + 1), byte(row + 4 * x)}; break;
        default: throw std::runtime_error("unsupported bit count");
      }
    }
  }
  return d;
}

}  // namespace tessory::test
