// A colour packed into one 32-bit word the way the platform's colour values
// hold it: red in bits 0-7, green in 8-15, blue in 16-23, the top byte 0.
// Stored pixels are blue, green, red in memory.
#pragma once

#include <cstdint>

namespace tessory {

constexpr std::uint32_t PackRgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | (green << 8) | (blue << 16);
}

// The colour of the stored pixel at `bgr`: PackRgb(bgr[2], bgr[1], bgr[0]),
// written out in the form that g++ turns into the tightest code in the
// ditherer's inner loop.
constexpr std::uint32_t PackBgr(const std::uint8_t* bgr) {
  return bgr[2] | (bgr[1] << 8) | (std::uint32_t{bgr[0]} << 16);
}

constexpr std::uint8_t RedOf(std::uint32_t color) { return static_cast<std::uint8_t>(color); }
constexpr std::uint8_t GreenOf(std::uint32_t color) { return static_cast<std::uint8_t>(color >> 8); }
constexpr std::uint8_t BlueOf(std::uint32_t color) { return static_cast<std::uint8_t>(color >> 16); }

}  // namespace tessory
