// An independent BMP reader for the tests: parses the headers field by
// field and expands every format to top-down RGB pixels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessory::test {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct DecodedBmp {
  std::uint32_t fileSize = 0, offBits = 0, headerSize = 0, sizeImage = 0, clrUsed = 0, compression = 0;
  std::int32_t width = 0, height = 0;
  int bitCount = 0;
  std::array<std::uint32_t, 3> masks{};
  std::vector<Rgb> pixels;  // top row first
  std::vector<std::uint16_t> words;  // 16-bit files: the raw words, top row first
  Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// Throws std::runtime_error on a malformed file.
DecodedBmp DecodeBmp(const std::string& bytes);

std::uint32_t LeU32(const std::string& bytes, std::size_t at);
std::uint16_t LeU16(const std::string& bytes, std::size_t at);

}  // namespace tessory::test
