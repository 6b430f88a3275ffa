// Deflate's codes for a match's length and distance, how many extra bits
// follow each, and the limits of a dynamic block's codes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace tessory {

// The longest Huffman code; the precode's symbols (0 to 18), and the order
// in which a dynamic block's header gives their code lengths.
inline constexpr int kMaxCodeBits = 15;
inline constexpr int kPrecodeSymbols = 19;
inline constexpr std::uint8_t kPrecodeOrder[kPrecodeSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                11, 4,  12, 3, 13, 2, 14, 1, 15};

// A code and its extra bits; the extra bits' value is the low `extraBits`
// bits of length - 3 (of distance - 1 for a distance).
struct DeflateCode {
  int code = 0, extraBits = 0;
};

// The length code (0 for 257 to 28 for 285) of a match of 3 to 258 bytes.
constexpr DeflateCode LengthCode(std::size_t length) {
  if (length == 258) return {28, 0};
  const unsigned n = static_cast<unsigned>(length - 3);
  if (n < 8) return {static_cast<int>(n), 0};
  const int extra = std::bit_width(n) - 3;
  return {4 * (extra + 1) + static_cast<int>((n >> extra) & 3), extra};
}

// The distance code (0 to 29) of a distance of 1 to 32768.
constexpr DeflateCode DistanceCode(std::size_t distance) {
  const unsigned n = static_cast<unsigned>(distance - 1);
  if (n < 4) return {static_cast<int>(n), 0};
  const int extra = std::bit_width(n) - 2;
  return {2 * (extra + 1) + static_cast<int>((n >> extra) & 1), extra};
}

}  // namespace tessory
