#include "gif/dither.h"

namespace tessory {
namespace {

// The source value corrected by the diffused error, in whole steps: the
// division truncates towards zero, so -25 + 8 gives -1, not -2.
inline int Corrected(int source, int error, int cur) {
  const int value = source + (error + cur + 8) / 16;
  return value < 0 ? 0 : value > 255 ? 255 : value;
}

// What the chosen colour misses by goes on: 7/16 to the next pixel of the
// row through `cur`, and 3/16, 5/16 and 1/16 into the entries that the row
// below reads. A channel that was hit exactly leaves its entry and its
// row-below errors as they are.
inline void Spread(int& cur, int& below, int& belowPrev, std::int32_t& entry, int chosen) {
  const int e = cur - chosen;
  // Selects rather than branches: in dithered areas e is 0 at random.
  const bool hit = e == 0;
  entry = hit ? entry : belowPrev + 3 * e;
  belowPrev = hit ? belowPrev : below + 5 * e;
  below = hit ? below : e;
  cur = 7 * e;
}

// True when no error reaches a pixel at these entries while `cur` is 0:
// every entry lies in -23 .. 7, so (entry + 8) / 16 truncates to 0.
inline bool Quiet(const std::int32_t* entries) {
  return static_cast<std::uint32_t>(entries[0] + 23) <= 30 && static_cast<std::uint32_t>(entries[1] + 23) <= 30 &&
         static_cast<std::uint32_t>(entries[2] + 23) <= 30;
}

inline std::uint32_t PixelAt(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16);
}

}  // namespace

std::uint8_t TDitherEngine::Dither(int red, int green, int blue) {
  PaletteColor chosen;
  const std::uint8_t index = lookup_.Lookup(red, green, blue, chosen);
  column_ += direction_;
  return index;
}

void TDitherEngine::TurnAround() {
  direction_ = -direction_;
  column_ = direction_ > 0 ? 0 : width_ - 1;
}

void TDitherEngine::EndOfRow() {
  TurnAround();
}

void TDitherEngine::DitherRow(const std::uint8_t* bgr, std::uint8_t* indices) {
  while (column_ >= 0 && column_ < width_) {
    const std::uint8_t* p = bgr + 3 * static_cast<std::size_t>(column_);
    indices[column_] = Dither(p[2], p[1], p[0]);
  }
  EndOfRow();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TFastColorLookup& lookup)
    : TDitherEngine(width, lookup), errors_(3 * (static_cast<std::size_t>(width) + 2), 0) {}

[[gnu::always_inline]] inline bool TFloydSteinbergDitherer::Step(Accumulators& acc, std::int32_t* entries, int red,
                                                                 int green, int blue, std::uint8_t& index) {
  acc.red.cur = Corrected(red, entries[0], acc.red.cur);
  acc.green.cur = Corrected(green, entries[1], acc.green.cur);
  acc.blue.cur = Corrected(blue, entries[2], acc.blue.cur);
  const bool unchanged = acc.red.cur == red && acc.green.cur == green && acc.blue.cur == blue;
  PaletteColor chosen;
  index = lookup_.Lookup(acc.red.cur, acc.green.cur, acc.blue.cur, chosen);
  const bool exact = unchanged && chosen.red == red && chosen.green == green && chosen.blue == blue;
  Spread(acc.red.cur, acc.red.below, acc.red.belowPrev, entries[0], chosen.red);
  Spread(acc.green.cur, acc.green.below, acc.green.belowPrev, entries[1], chosen.green);
  Spread(acc.blue.cur, acc.blue.below, acc.blue.belowPrev, entries[2], chosen.blue);
  return exact;
}

std::uint8_t TFloydSteinbergDitherer::Dither(int red, int green, int blue) {
  std::uint8_t index;
  Step(acc_, Entries(pos_), red, green, blue, index);
  column_ += direction_;
  pos_ += direction_;
  return index;
}

// Runs of one colour are where screenshots spend their pixels. Once a pixel
// has been mapped to exactly its own colour, every error is as it was and
// `cur` is 0, so the next pixel of that colour over quiet entries gets the
// same index and changes nothing either: it is written without the lookup.
void TFloydSteinbergDitherer::DitherRow(const std::uint8_t* bgr, std::uint8_t* indices) {
  Accumulators acc = acc_;
  int column = column_, pos = pos_;
  const int direction = direction_;
  bool exact = false;
  std::uint32_t exactColor = 0;
  std::uint8_t exactIndex = 0;
  for (; column >= 0 && column < width_; column += direction, pos += direction) {
    const std::uint8_t* p = bgr + 3 * static_cast<std::size_t>(column);
    std::int32_t* entries = Entries(pos);
    const std::uint32_t color = PixelAt(p);
    if (exact && color == exactColor && Quiet(entries)) {
      indices[column] = exactIndex;
      continue;
    }
    exact = Step(acc, entries, p[2], p[1], p[0], indices[column]);
    exactColor = color;
    exactIndex = indices[column];
  }
  acc_ = acc;
  column_ = column;
  pos_ = pos;
  EndOfRow();
}

// The position after the row's last pixel takes the last below-behind
// errors; the next row starts from its own end with clear accumulators.
void TFloydSteinbergDitherer::EndOfRow() {
  std::int32_t* entries = Entries(pos_);
  entries[0] = acc_.red.belowPrev;
  entries[1] = acc_.green.belowPrev;
  entries[2] = acc_.blue.belowPrev;
  acc_ = {};
  TurnAround();
  pos_ = direction_ > 0 ? 0 : width_ + 1;
}

}  // namespace tessory
