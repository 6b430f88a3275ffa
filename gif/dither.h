// Mapping pixels to palette indices row by row in serpentine order: row 0
// left to right, row 1 right to left, and so on.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/color_lookup.h"

namespace tessory {

// Where a ditherer is in its serpentine walk: the column it maps next and
// the direction it steps in. Both ditherers hold one.
struct SerpentineWalk {
  int width;
  int direction = 1;
  int column = 0;

  // At a row's end: the next row runs the other way, from its own end.
  void TurnAround() {
    direction = -direction;
    column = direction > 0 ? 0 : width - 1;
  }
};

// Nearest colour without diffusion (dither style 0).
class TDitherEngine final {
 public:
  TDitherEngine(int width, TFastColorLookup& lookup) : walk_{width}, lookup_(lookup) {}

  int Direction() const { return walk_.direction; }
  int Column() const { return walk_.column; }

  // Maps one pixel and steps the column in the current direction.
  std::uint8_t Dither(int red, int green, int blue);
  void EndOfRow();
  // Maps one row of blue-green-red pixels from the current column in the
  // current direction into `indices` (one per column), then ends the row.
  void DitherRow(const std::uint8_t* bgr, std::uint8_t* indices);

 private:
  SerpentineWalk walk_;
  TFastColorLookup& lookup_;
};

// Floyd-Steinberg error diffusion (dither style 1) in integer sixteenths of
// a colour step.
class TFloydSteinbergDitherer final {
 public:
  TFloydSteinbergDitherer(int width, TFastColorLookup& lookup);

  int Direction() const { return walk_.direction; }
  int Column() const { return walk_.column; }

  // As TDitherEngine's, with the error diffused.
  std::uint8_t Dither(int red, int green, int blue);
  void EndOfRow();
  void DitherRow(const std::uint8_t* bgr, std::uint8_t* indices);

 private:
  // Three channels side by side: red, green, blue and an unused lane.
  using Lanes = std::int32_t __attribute__((vector_size(16)));

  // The running errors within a row: what the next pixel of the row gets
  // per channel (7/16 of the last error, in sixteenths), and the row-below
  // errors of the two positions behind that are not final yet.
  struct Accumulators {
    int red = 0, green = 0, blue = 0;
    Lanes below{}, belowPrev{};
  };

  // What a looked-up pixel got: its index, its error per channel (the
  // corrected value minus the chosen colour), and which shortcuts its run
  // may take.
  struct Mapped {
    std::uint8_t index = 0;
    Lanes error{};
    bool exact = false;    // mapped to exactly its own colour, no error reached it
    bool settled = false;  // left the running errors as it found them
  };

  // The error entries of all three channels at one position.
  std::int32_t* Entries(int pos) { return errors_.data() + 3 * static_cast<std::size_t>(pos); }
  // Dithers one pixel of `color` (packed by PackRgb) at these entries.
  Mapped Step(Accumulators& acc, std::int32_t* entries, std::uint32_t color);

  SerpentineWalk walk_;
  TFastColorLookup& lookup_;
  // (width + 2) positions of red, green and blue errors, interleaved.
  std::vector<std::int32_t> errors_;
  int pos_ = 0;
  Accumulators acc_{};
};

}  // namespace tessory
