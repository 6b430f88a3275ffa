// Whole image files written in one call, as the writers' tests check them.
#pragma once

#include <string>

#include "gif/gif_image.h"
#include "imaging/capture_image.h"

namespace tessory::test {

// Writes `image` to a BMP file at `path` (OutputFile::Replace): "Cannot
// create file <path>" or "Stream write error", each with the path and the
// system's reason, and an existing file stays as it was.
void WriteBmpFile(const CaptureImage& image, const std::string& path);

// Writes the whole of `gif` to `path` through OutputFile::Replace: the file
// appears complete or not at all.
void WriteGifFile(TGIFImage& gif, const std::string& path);

}  // namespace tessory::test
