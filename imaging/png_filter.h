// The PNG writer's rows: the one row filter a picture gets, chosen from its
// content, and the filtered rows in the order the IDAT stream holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tessory {

// 24-bit rows as a capture stores them: blue, green, red, bottom row first,
// `stride` bytes from the start of one row to the next.
struct PngSourceRows {
  const std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
};

// Rows [first, first + count) of `rows`, counted from the top, as rows of
// their own.
PngSourceRows RowsFrom(const PngSourceRows& rows, int first, int count);

// PNG filter type 0 (samples as they are) and 1 (each sample less the one a
// pixel to its left).
enum class PngRowFilter : std::uint8_t { None = 0, Sub = 1 };

// Screen content (flat areas, text, a few thousand colours) deflates best
// unfiltered; a photograph's neighbouring pixels differ by a little, which
// Sub turns into small numbers. The distinct colours on every eighth row
// tell the two apart: a screenshot shows a few hundred to a few thousand,
// a photograph far more.
PngRowFilter ChooseRowFilter(const PngSourceRows& rows);

// Bytes of the filtered rows of a `width` x `height` picture with
// `channels` samples per pixel: a filter byte and the samples per row; a
// size past the address space throws EOutOfResources.
std::size_t FilteredRowsSize(int width, int height, int channels);

// Writes the picture as PNG rows into `out` (FilteredRowsSize bytes), top
// row first: the filter byte, then red, green, blue, with `colorKey` an
// alpha sample too (0 on pixels of that packed colour, else 255), each
// sample filtered by `filter`.
void FilterRows(const PngSourceRows& rows, std::optional<std::uint32_t> colorKey, PngRowFilter filter,
                std::span<std::uint8_t> out);

}  // namespace tessory
