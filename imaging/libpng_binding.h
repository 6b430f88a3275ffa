// The PNG writer's binding to libpng: a picture whose rows are already
// filtered and compressed, written by libpng chunk by chunk into a byte
// sink. libpng reports its errors by a jump, so everything that can fail
// inside it runs in one frame of this binding and comes back as a result
// code.
#pragma once

#include <cstdint>
#include <span>

#include "imaging/byte_sink.h"

namespace tessory::pnglib {

// PNG colour types the writer produces.
inline constexpr int kColorTypeRgb = 2;
inline constexpr int kColorTypeRgbAlpha = 6;

// The picture as the file holds it: its header fields and the zlib stream
// of its filtered rows (8 bits per sample), which goes into IDAT as it is.
struct PngPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int colorType = kColorTypeRgb;
  int bitDepth = 8;
  std::span<const std::uint8_t> imageData;
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
