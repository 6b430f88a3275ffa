// Windows bitmap files (BITMAPFILEHEADER + BITMAPINFOHEADER, rows bottom-up).
#pragma once

#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"

namespace tessory {

// Writes `image` as a BMP stream: 8 bits with its 256-entry colour table,
// 16 bits as BI_BITFIELDS 5-6-5 with the three masks, 24 and 32 bits as
// BI_RGB. A device-format image is written at 24 bits.
void WriteBmp(const CaptureImage& image, ByteSink& sink);

}  // namespace tessory
