#include "gif/dither.h"

#include <algorithm>
#include <cstddef>

namespace tessory {
namespace {

// The source value corrected by the diffused error, in whole steps: the
// division truncates towards zero, so -25 + 8 gives -1, not -2.
inline int Corrected(int source, int error, int cur) {
  const int value = source + (error + cur + 8) / 16;
  return value < 0 ? 0 : value > 255 ? 255 : value;
}

// What the chosen colour misses by, e, goes on: 7/16 to the next pixel of
// the row through `cur` (set by the caller), and 3/16, 5/16 and 1/16 into
// the entries that the row below reads. A channel that was hit exactly
// (e = 0) leaves its entry and its row-below errors as they are.
inline void SpreadError(int& below, int& belowPrev, std::int32_t& entry, int e) {
  if (e == 0) return;
  entry = belowPrev + 3 * e;
  belowPrev = below + 5 * e;
  below = e;
}

// True when no error reaches a pixel at these entries while `cur` is 0:
// every entry lies in -23 .. 7, so (entry + 8) / 16 truncates to 0.
inline bool Quiet(const std::int32_t* entries) {
  return static_cast<std::uint32_t>(entries[0] + 23) <= 30 && static_cast<std::uint32_t>(entries[1] + 23) <= 30 &&
         static_cast<std::uint32_t>(entries[2] + 23) <= 30;
}

inline bool SameEntries(const std::int32_t* entries, const std::int32_t* seen) {
  return entries[0] == seen[0] && entries[1] == seen[1] && entries[2] == seen[2];
}

}  // namespace

std::uint8_t TDitherEngine::Dither(int red, int green, int blue) {
  PaletteColor chosen;
  const std::uint8_t index = lookup_.Lookup(red, green, blue, chosen);
  walk_.column += walk_.direction;
  return index;
}

void TDitherEngine::EndOfRow() {
  walk_.TurnAround();
}

void TDitherEngine::DitherRow(const std::uint8_t* bgr, std::uint8_t* indices) {
  while (walk_.column >= 0 && walk_.column < walk_.width) {
    // Dither() advances the column: take it first.
    const int column = walk_.column;
    const std::uint8_t* p = bgr + 3 * static_cast<std::size_t>(column);
    indices[column] = Dither(p[2], p[1], p[0]);
  }
  EndOfRow();
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TFastColorLookup& lookup)
    : walk_{width}, lookup_(lookup), errors_(3 * (static_cast<std::size_t>(width) + 2), 0) {}

[[gnu::always_inline]] inline TFloydSteinbergDitherer::Mapped TFloydSteinbergDitherer::Step(Accumulators& acc,
                                                                                            std::int32_t* entries,
                                                                                            std::uint32_t color) {
  const int red = RedOf(color), green = GreenOf(color), blue = BlueOf(color);
  const Accumulators before = acc;
  acc.red.cur = Corrected(red, entries[0], acc.red.cur);
  acc.green.cur = Corrected(green, entries[1], acc.green.cur);
  acc.blue.cur = Corrected(blue, entries[2], acc.blue.cur);
  const std::uint32_t entry = lookup_.EntryFor(acc.red.cur, acc.green.cur, acc.blue.cur);
  Mapped mapped;
  mapped.index = static_cast<std::uint8_t>(entry);
  const std::uint32_t chosen = entry >> 8;
  mapped.red = acc.red.cur - RedOf(chosen);
  mapped.green = acc.green.cur - GreenOf(chosen);
  mapped.blue = acc.blue.cur - BlueOf(chosen);
  SpreadError(acc.red.below, acc.red.belowPrev, entries[0], mapped.red);
  SpreadError(acc.green.below, acc.green.belowPrev, entries[1], mapped.green);
  SpreadError(acc.blue.below, acc.blue.belowPrev, entries[2], mapped.blue);
  acc.red.cur = 7 * mapped.red;
  acc.green.cur = 7 * mapped.green;
  acc.blue.cur = 7 * mapped.blue;
  // Chosen colour = source colour and no error: v was the source itself.
  mapped.exact = chosen == color && (mapped.red | mapped.green | mapped.blue) == 0;
  mapped.settled =
      acc.red.cur == before.red.cur && acc.green.cur == before.green.cur && acc.blue.cur == before.blue.cur;
  return mapped;
}

std::uint8_t TFloydSteinbergDitherer::Dither(int red, int green, int blue) {
  const std::uint32_t color = PackRgb(red, green, blue);
  const std::uint8_t index = Step(acc_, Entries(pos_), color).index;
  walk_.column += walk_.direction;
  pos_ += walk_.direction;
  return index;
}

// Runs of one colour are where screenshots spend their pixels. After a
// looked-up pixel, the following pixels of the same colour get its index
// without the lookup while one of two things holds:
// - exact: the pixel was mapped to exactly its own colour, so every error
//   is as it was and `cur` is 0; over quiet entries the next pixel of that
//   colour gets the same index and changes nothing either;
// - settled: the lookup left `cur` as it found it; a pixel whose entries
//   equal those the looked-up pixel read then starts from exactly the same
//   state and gets the same index and errors again, leaving `cur` settled.
//   Flat areas settle so wherever a channel is clamped or the row above
//   has settled too.
// Neither shortcut changes `cur`, so each stays valid after the other.
void TFloydSteinbergDitherer::DitherRow(const std::uint8_t* bgr, std::uint8_t* indices) {
  Accumulators acc = acc_;
  const int direction = walk_.direction;
  const std::size_t width = static_cast<std::size_t>(walk_.width);
  // Unsigned, so that stepping below column 0 ends the row too.
  std::size_t column = static_cast<std::size_t>(walk_.column);
  std::int32_t* entries = Entries(pos_);
  const std::ptrdiff_t entryStep = 3 * direction;
  while (column < width) {
    const std::uint32_t color = PackBgr(bgr + 3 * column);
    std::int32_t read[3];
    std::copy(entries, entries + 3, read);
    const Mapped mapped = Step(acc, entries, color);
    indices[column] = mapped.index;
    column += static_cast<std::size_t>(direction), entries += entryStep;
    if (!mapped.exact && !mapped.settled) continue;
    for (; column < width; column += static_cast<std::size_t>(direction), entries += entryStep) {
      if (PackBgr(bgr + 3 * column) != color) break;
      if (mapped.settled && SameEntries(entries, read)) {
        SpreadError(acc.red.below, acc.red.belowPrev, entries[0], mapped.red);
        SpreadError(acc.green.below, acc.green.belowPrev, entries[1], mapped.green);
        SpreadError(acc.blue.below, acc.blue.belowPrev, entries[2], mapped.blue);
      } else if (!mapped.exact || !Quiet(entries)) {
        break;
      }
      indices[column] = mapped.index;
    }
  }
  acc_ = acc;
  walk_.column = static_cast<int>(column);
  pos_ = static_cast<int>((entries - errors_.data()) / 3);
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
  walk_.TurnAround();
  pos_ = walk_.direction > 0 ? 0 : walk_.width + 1;
}

}  // namespace tessory
