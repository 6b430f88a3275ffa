// Conversions between the capture image's pixel formats.
#pragma once

#include "imaging/capture_image.h"

namespace tessory {

// Converts `image` in place to 8, 16, 24 or 32 bits per pixel. At 8 bits
// every pixel takes the index of the nearest `palette` entry (no dithering;
// ties go to the lower index) and the palette becomes the colour table; at
// 16 bits the pixels are 5-6-5 words; 24 and 32 keep red, green and blue.
// An image already in the requested format is left untouched. On failure
// the image keeps its old format. Other depths raise EConvertError.
void ConvertPixelDepth(CaptureImage& image, int bits, const ColorTable& palette);
// The same with the portable palette of StandardPalette() for 8 bits.
void ConvertPixelDepth(CaptureImage& image, int bits);

// A separate 24-bit image with the pixels of `image`, which is unchanged.
CaptureImage CopyAtDepth24(const CaptureImage& image);

// The fixed 256-entry palette used where the platform supplies none: the
// 6 x 6 x 6 colour cube (levels 0, 51, ..., 255) followed by 40 greys.
const ColorTable& StandardPalette();

}  // namespace tessory
