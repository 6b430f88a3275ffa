// Input images for the encoder tool and the benchmarks: binary PPM (P6,
// maxval 255) and uncompressed 24-bit BMP, read into a 24-bit capture image.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/capture_image.h"

namespace tessory {

// Reads a P6 PPM or a 24-bit BMP file; throws Error with a clear message,
// naming the file, for anything else: a folder or device, a header that is
// not understood, or a file shorter than its header says.
CaptureImage ReadInputImage(const std::string& path);

// The same from a file's bytes in memory; `name` is the file's name in
// messages. Pixel memory is taken only once the bytes are known to hold
// the rows the header promises.
CaptureImage ReadInputImage(std::span<const std::uint8_t> bytes, const std::string& name);

}  // namespace tessory
