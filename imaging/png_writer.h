// PNG files: the capture written as an 8-bit RGB image through libpng, or
// as RGB with alpha when one colour is made transparent.
#pragma once

#include <cstdint>
#include <string>

#include "framework/error.h"
#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"
#include "imaging/output_file.h"

namespace tessory {

// The "no colour" value of a transparent-colour argument.
inline constexpr std::uint32_t clNone = 0x1FFFFFFF;

// The library failed while writing: "Error Writing PNG File!".
class EPngError : public Error {
  using Error::Error;
};

// How a PNG file's own failures read: "Error Opening File <path>!" when it
// cannot be created, "Error Writing PNG File!" when it cannot be written.
inline constexpr FileErrorTexts kPngFileTexts{"Error Opening File %s!", "Error Writing PNG File!"};

// Writes `image` as a PNG stream to `sink`. With
// `transparentColor` clNone the file is colour type 2 (RGB); any other value
// is a colour key, red in bits 0-7, green 8-15, blue 16-23 (the top 8 bits
// are ignored), and gives colour type 6 with alpha 0 exactly on the pixels
// of that colour. `image` is read, never changed. A library failure throws
// EPngError; the sink's own errors pass through.
void WritePng(ByteSink& sink, const CaptureImage& image, std::uint32_t transparentColor);

}  // namespace tessory
