// The PNG writer's binding to libpng: one prepared picture written with
// libpng's write calls into a byte sink. libpng reports its errors by a
// jump, so everything that can fail inside it runs in one frame of this
// binding and comes back as a result code.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/byte_sink.h"
#include "imaging/pixel_buffer.h"

namespace tessory::pnglib {

// PNG colour types the writer produces.
inline constexpr int kColorTypeRgb = 2;
inline constexpr int kColorTypeRgbAlpha = 6;

// The whole picture in the layout libpng takes: top row first, rows packed
// without padding, 8 bits per sample, plus the start address of each row.
struct PngPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int colorType = kColorTypeRgb;
  int channels = 3;
  int bitDepth = 8;
  PixelBuffer pixels;
  std::vector<std::uint8_t*> rows;
};

enum class WriteResult {
  Written,    // signature, IHDR, tEXt, IDAT and IEND went to the sink
  NoContext,  // the library gave no write context; nothing was written
  Failed,     // the library reported an error; the sink holds what it had taken
};

// Writes `picture` to `sink` through a write context created for
// `libraryVersion` (the default is the libpng this program is built with).
// An exception of the sink ends the write and travels on from here, after
// the library has let go of the picture.
WriteResult WritePicture(ByteSink& sink, const PngPicture& picture);
WriteResult WritePicture(ByteSink& sink, const PngPicture& picture, const char* libraryVersion);

}  // namespace tessory::pnglib
