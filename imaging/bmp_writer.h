// Windows bitmap files (BITMAPFILEHEADER + BITMAPINFOHEADER, rows bottom-up).
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/byte_sink.h"
#include "imaging/capture_image.h"

namespace tessory {

// The bitmap info header of `image`'s stored rows (8, 16, 24 or 32 bits,
// rows bottom-up), followed by its 256-entry colour table at 8 bits or the
// three 5-6-5 masks at 16 bits: what a BMP file holds after its file header,
// and what a device-independent bitmap is made from. Fails with "Out of
// system resources" when the rows' size does not fit the header.
std::vector<std::uint8_t> DibHeader(const CaptureImage& image);

// Writes `image` as a BMP stream: 8 bits with its 256-entry colour table,
// 16 bits as BI_BITFIELDS 5-6-5 with the three masks, 24 and 32 bits as
// BI_RGB. A device-format image is written at 24 bits.
void WriteBmp(const CaptureImage& image, ByteSink& sink);

}  // namespace tessory
