// PNG files: the capture written as an 8-bit RGB image through libpng, or
// as RGB with alpha when one colour is made transparent.
#pragma once

#include <cstdint>
#include <string>

#include "framework/error.h"
#include "imaging/capture_image.h"

namespace tessory {

// The "no colour" value of a transparent-colour argument.
inline constexpr std::uint32_t clNone = 0x1FFFFFFF;

// A PNG file could not be opened or written: "Error Opening File <path>!"
// or "Error Writing PNG File!".
class EPngError : public Error {
  using Error::Error;
};

// Writes `image` as a PNG file at `path`, creating or replacing it. With
// `transparentColor` clNone the file is colour type 2 (RGB); any other value
// is a colour key, red in bits 0-7, green 8-15, blue 16-23 (the top 8 bits
// are ignored), and gives colour type 6 with alpha 0 exactly on the pixels
// of that colour. `image` is read, never changed.
void WritePngFile(const std::string& path, const CaptureImage& image, std::uint32_t transparentColor);

}  // namespace tessory
