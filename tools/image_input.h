// Input images for the encoder tool and the benchmarks: binary PPM (P6,
// maxval 255) and uncompressed 24-bit BMP, read into a 24-bit capture image.
#pragma once

#include <string>

#include "imaging/capture_image.h"

namespace tessory {

// Reads a P6 PPM or a 24-bit BMP file; throws Error with a clear message
// for anything else or for a truncated file.
CaptureImage ReadInputImage(const std::string& path);

}  // namespace tessory
