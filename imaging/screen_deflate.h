// A deflate coder for pictures of windows and text: rows made of runs of
// one colour, rows that repeat the row above, and shapes (letters, icons,
// edges) that recur.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tessory {

// Looks at each position for a match at one pixel's distance (a run), at
// one row's distance (the row above) and along a short chain of earlier
// positions with the same four bytes. Positions inside a run of one
// colour stay off the chains, so the chains hold the places where
// something changes and a short search finds the shape that recurs there;
// a general coder's chains fill with the run's positions instead. Its
// tables are set up by the first call and kept for the next.
class ScreenDeflater {
 public:
  ScreenDeflater();
  ~ScreenDeflater();
  ScreenDeflater(const ScreenDeflater&) = delete;
  ScreenDeflater& operator=(const ScreenDeflater&) = delete;

  // `data`, rows of `rowBytes` bytes with `pixelBytes` to a pixel, as a raw
  // deflate stream (32 KB window) appended to `out`: true. Where more than
  // one byte in a hundred has to be coded as a literal, the data is not
  // made of screen content and a general coder does better: false, as
  // soon as that is known, with `out` as it was.
  bool Compress(std::span<const std::uint8_t> data, std::size_t pixelBytes, std::size_t rowBytes,
                std::vector<std::uint8_t>& out);

 private:
  struct Tables;
  std::unique_ptr<Tables> tables_;
};

}  // namespace tessory
