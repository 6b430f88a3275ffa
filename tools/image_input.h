// Input images for the encoder tool and the benchmarks: binary PPM (P6,
// maxval 255) and uncompressed 24-bit BMP, read into a 24-bit capture image.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "imaging/capture_image.h"

namespace tessory {

// Reads a P6 PPM or a 24-bit BMP file; throws Error with a clear message,
// naming the file, for anything else: a folder or device, a header that is
// not understood, or a file shorter than its header says.
CaptureImage ReadInputImage(const std::string& path);

// The same from an open stream of `size` bytes, positioned at its start;
// `name` is the file's name in messages. The pixels are read once,
// straight into the image's rows, and only after the header's size has
// been checked against `size`.
CaptureImage ReadInputImage(std::FILE* file, std::uint64_t size, const std::string& name);

}  // namespace tessory
