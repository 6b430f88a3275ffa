// The PNG writer's rows: each row filtered as an estimate of its deflated
// size chooses, in the order the IDAT stream holds them.
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

// Bytes of the filtered rows of a `width` x `height` picture with
// `channels` samples per pixel: a filter byte and the samples per row; a
// size past the address space throws EOutOfResources.
std::size_t FilteredRowsSize(int width, int height, int channels);

// Writes rows [first, first + count) of the picture, counted from the top,
// as PNG rows into `out` (FilteredRowsSize bytes for `count` rows): the
// filter byte, then red, green, blue and, with `colorKey`, an alpha sample
// (0 on pixels of that packed colour, else 255), filtered. In bands of
// rows, counted from the picture's top, whether a band is filtered (each
// row by the filter whose samples come out smallest) or left unfiltered
// is chosen by an estimate of both as deflate would code them. Rows of
// different ranges may be written at once, on different threads.
void FilterRows(const PngSourceRows& rows, int first, int count, std::optional<std::uint32_t> colorKey,
                std::span<std::uint8_t> out);

}  // namespace tessory
