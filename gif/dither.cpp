#include "gif/dither.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

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

inline bool SameEntries(const std::int32_t* entries, std::int32_t red, std::int32_t green, std::int32_t blue) {
  return entries[0] == red && entries[1] == green && entries[2] == blue;
}

// A steady run goes four pixels at a time once this many have gone one at
// a time: most runs are shorter, and setting up the fours costs more than
// it saves on them.
constexpr int kSteadyPixelsBeforeFours = 16;

// Sixteen bytes side by side, for four pixels of a steady run at once.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

Bytes16 Load16(const void* at) {
  Bytes16 bytes;
  std::memcpy(&bytes, at, sizeof bytes);
  return bytes;
}

void Store16(void* at, Bytes16 bytes) {
  std::memcpy(at, &bytes, sizeof bytes);
}

// Twelve bytes from `at`, then four zero bytes.
Bytes16 Load12(const std::uint8_t* at) {
  std::uint64_t low;
  std::uint32_t high;
  std::memcpy(&low, at, sizeof low);
  std::memcpy(&high, at + sizeof low, sizeof high);
  return std::bit_cast<Bytes16>(_mm_set_epi64x(high, static_cast<long long>(low)));
}

bool AllEqual(Bytes16 a, Bytes16 b) {
  return _mm_movemask_epi8(std::bit_cast<__m128i>(a == b)) == 0xFFFF;
}

// Four pixels of a steady run: the colour they must have (blue, green, red
// four times, then four zero bytes), the entries each must find (48 bytes)
// and the entries each then gets.
struct SteadyFour {
  Bytes16 color{};
  Bytes16 read[3];
  Bytes16 steady[3];

  // For pixels of `packed` (by PackBgr) that find `readEntries` and get
  // `steadyEntries`, each red, green and blue.
  SteadyFour(std::uint32_t packed, std::array<std::int32_t, 3> readEntries, std::array<std::int32_t, 3> steadyEntries) {
    const std::uint8_t bgr[3] = {BlueOf(packed), GreenOf(packed), RedOf(packed)};
    std::int32_t read4[12], steady4[12];
    for (int i = 0; i < 12; ++i) read4[i] = readEntries[i % 3], steady4[i] = steadyEntries[i % 3];
    for (int i = 0; i < 12; ++i) color[i] = bgr[i % 3];
    std::memcpy(read, read4, sizeof read);
    std::memcpy(steady, steady4, sizeof steady);
  }
};

// Pixels of a steady run from `column` on, in `direction`, four at a time:
// while all four have the run's colour and find the entries its first
// pixel read, they get its steady entries and `index`, as one at a time
// they would. The pixels done, a multiple of four.
std::size_t StoreSteadyFours(const SteadyFour& four, const std::uint8_t* bgr, std::size_t column, std::size_t width,
                             int direction, std::int32_t* entries, std::uint8_t index, std::uint8_t* indices) {
  std::size_t done = 0;
  for (;; done += 4) {
    // The four in the order memory holds them: from `first` up.
    std::size_t first;
    std::int32_t* blockEntries;
    if (direction > 0) {
      if (width - column - done < 4) break;
      first = column + done;
      blockEntries = entries + 3 * done;
    } else {
      if (column < done + 3) break;
      first = column - done - 3;
      blockEntries = entries - 3 * done - 9;
    }
    if (!AllEqual(Load12(bgr + 3 * first), four.color) || !AllEqual(Load16(blockEntries), four.read[0]) ||
        !AllEqual(Load16(blockEntries + 4), four.read[1]) || !AllEqual(Load16(blockEntries + 8), four.read[2])) {
      break;
    }
    for (int i = 0; i < 3; ++i) Store16(blockEntries + 4 * i, four.steady[i]);
    std::memset(indices + first, index, 4);
  }
  return done;
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
    const std::int32_t readRed = entries[0], readGreen = entries[1], readBlue = entries[2];
    const Mapped mapped = Step(acc, entries, color);
    indices[column] = mapped.index;
    column += static_cast<std::size_t>(direction), entries += entryStep;
    if (!mapped.exact && !mapped.settled) continue;
    // Once a spread leaves the row-below errors as it found them, every
    // later pixel of the run meets the same errors, entries and colour, and
    // so writes the same entries: those are stored without the spread.
    bool steady = false;
    int steadyPixels = 0;
    std::int32_t steadyRed = 0, steadyGreen = 0, steadyBlue = 0;
    for (; column < width; column += static_cast<std::size_t>(direction), entries += entryStep) {
      if (PackBgr(bgr + 3 * column) != color) break;
      if (mapped.settled && SameEntries(entries, readRed, readGreen, readBlue)) {
        if (steady) {
          // A long steady run (a flat area under a flat area) goes on
          // four pixels at a time, from this one, until a four fails.
          if (++steadyPixels == kSteadyPixelsBeforeFours) {
            // This pixel's entries are those the run's first pixel read.
            const SteadyFour four(color, {entries[0], entries[1], entries[2]}, {steadyRed, steadyGreen, steadyBlue});
            const std::size_t done =
                StoreSteadyFours(four, bgr, column, width, direction, entries, mapped.index, indices);
            if (done > 0) {
              // To the last pixel done: the loop steps past it.
              column += static_cast<std::size_t>(direction) * (done - 1);
              entries += entryStep * static_cast<std::ptrdiff_t>(done - 1);
              continue;
            }
          }
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
