#include "gif/dither.h"

#include <algorithm>
#include <cstddef>

namespace tessory {
namespace {

// The source value corrected by the diffused error, in whole steps: the
// division truncates towards zero, so -25 + 8 gives -1, not -2.
inline int Corrected(int source, int error, int running) {
  const int value = source + (error + running + 8) / 16;
  return value < 0 ? 0 : value > 255 ? 255 : value;
}

// What the chosen colour misses by, e, goes on: 7/16 to the next pixel of
// the row (set by the caller), and 3/16, 5/16 and 1/16 into the entries
// that the row below reads. A channel that was hit exactly (e = 0) leaves
// its entry and its row-below errors as they are. All three channels go at
// once and without a branch: which of them were hit changes from pixel to
// pixel, so a branch per channel would often be mispredicted.
template <class Lanes>
inline void SpreadError(Lanes& below, Lanes& belowPrev, std::int32_t* entries, Lanes e) {
  const Lanes hit = e == 0;
  const Lanes entry = {entries[0], entries[1], entries[2], 0};
  const Lanes spread = (entry & hit) | ((belowPrev + 3 * e) & ~hit);
  entries[0] = spread[0], entries[1] = spread[1], entries[2] = spread[2];
  belowPrev = (belowPrev & hit) | ((below + 5 * e) & ~hit);
  below = (below & hit) | (e & ~hit);
}

// True when no error reaches a pixel at these entries while the running
// error of the row is 0:
// every entry lies in -23 .. 7, so (entry + 8) / 16 truncates to 0.
inline bool Quiet(const std::int32_t* entries) {
  return static_cast<std::uint32_t>(entries[0] + 23) <= 30 && static_cast<std::uint32_t>(entries[1] + 23) <= 30 &&
         static_cast<std::uint32_t>(entries[2] + 23) <= 30;
}

template <class Lanes>
inline bool SameLanes(Lanes a, Lanes b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
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
  const int red = Corrected(RedOf(color), entries[0], acc.red);
  const int green = Corrected(GreenOf(color), entries[1], acc.green);
  const int blue = Corrected(BlueOf(color), entries[2], acc.blue);
  const std::uint32_t entry = lookup_.EntryFor(red, green, blue);
  const std::uint32_t chosen = entry >> 8;
  const int errorRed = red - RedOf(chosen), errorGreen = green - GreenOf(chosen), errorBlue = blue - BlueOf(chosen);
  Mapped mapped;
  mapped.index = static_cast<std::uint8_t>(entry);
  mapped.error = Lanes{errorRed, errorGreen, errorBlue, 0};
  SpreadError(acc.below, acc.belowPrev, entries, mapped.error);
  // Chosen colour = source colour and no error: the value was the source itself.
  mapped.exact = chosen == color && (errorRed | errorGreen | errorBlue) == 0;
  mapped.settled = 7 * errorRed == acc.red && 7 * errorGreen == acc.green && 7 * errorBlue == acc.blue;
  acc.red = 7 * errorRed;
  acc.green = 7 * errorGreen;
  acc.blue = 7 * errorBlue;
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
//   is as it was and the running error is 0; over quiet entries the next
//   pixel of that colour gets the same index and changes nothing either;
// - settled: the lookup left the running error as it found it; a pixel
//   whose entries equal those the looked-up pixel read then starts from
//   exactly the same state and gets the same index and errors again,
//   leaving the running error settled. Flat areas settle so wherever a
//   channel is clamped or the row above has settled too.
// Neither shortcut changes the running error, so each stays valid after
// the other.
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
    // Once a spread leaves the row-below errors as it found them, every
    // later pixel of the run meets the same errors, entries and colour, and
    // so writes the same entries: those are stored without the spread.
    bool steady = false;
    std::int32_t steadyRed = 0, steadyGreen = 0, steadyBlue = 0;
    for (; column < width; column += static_cast<std::size_t>(direction), entries += entryStep) {
      if (PackBgr(bgr + 3 * column) != color) break;
      if (mapped.settled && SameEntries(entries, read)) {
        if (steady) {
          entries[0] = steadyRed, entries[1] = steadyGreen, entries[2] = steadyBlue;
        } else {
          const Lanes below = acc.below, belowPrev = acc.belowPrev;
          SpreadError(acc.below, acc.belowPrev, entries, mapped.error);
          steady = SameLanes(below, acc.below) && SameLanes(belowPrev, acc.belowPrev);
          steadyRed = entries[0], steadyGreen = entries[1], steadyBlue = entries[2];
        }
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
  entries[0] = acc_.belowPrev[0];
  entries[1] = acc_.belowPrev[1];
  entries[2] = acc_.belowPrev[2];
  acc_ = {};
  walk_.TurnAround();
  pos_ = walk_.direction > 0 ? 0 : walk_.width + 1;
}

}  // namespace tessory
