// A PNG file written in one call, for the benchmarks and the tests.
#pragma once

#include <cstdint>
#include <string>

#include "imaging/capture_image.h"

namespace tessory {

// Writes the PNG stream of `image` to a file at `path` (OutputFile::Replace
// with kPngFileTexts); `transparentColor` as WritePng takes it.
void WritePngFile(const std::string& path, const CaptureImage& image, std::uint32_t transparentColor);

}  // namespace tessory
