#include "imaging/bmp_writer.h"

#include "framework/error.h"
#include "imaging/pixel_formats.h"

namespace tessory {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::vector<std::uint8_t> Headers(const CaptureImage& image) {
  const int bits = BitsPerPixel(image.Format());
  const std::uint64_t imageSize = static_cast<std::uint64_t>(image.Stride()) * static_cast<std::uint64_t>(image.Height());
  const std::uint32_t colorCount = bits == 8 ? 256 : 0;
  const std::uint32_t headerSize = kInfoHeaderSize + (bits == 8 ? 4 * 256 : bits == 16 ? 12 : 0);
  // bfSize and biSizeImage are 32-bit fields: larger pictures do not fit the format.
  if (imageSize + kFileHeaderSize + headerSize > 0xFFFFFFFFu) throw EOutOfResources("Out of system resources");

  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + headerSize);
  out.push_back('B'), out.push_back('M');
  PutU32Le(out, static_cast<std::uint32_t>(kFileHeaderSize + headerSize + imageSize));  // bfSize
  PutU16Le(out, 0), PutU16Le(out, 0);                                                     // bfReserved1, 2
  PutU32Le(out, kFileHeaderSize + headerSize);                                            // bfOffBits

  PutU32Le(out, kInfoHeaderSize);                                // biSize
  PutU32Le(out, static_cast<std::uint32_t>(image.Width()));      // biWidth
  PutU32Le(out, static_cast<std::uint32_t>(image.Height()));     // biHeight: positive, rows bottom-up
  PutU16Le(out, 1);                                              // biPlanes
  PutU16Le(out, static_cast<std::uint16_t>(bits));               // biBitCount
  PutU32Le(out, bits == 16 ? kBiBitfields : kBiRgb);             // biCompression
  PutU32Le(out, static_cast<std::uint32_t>(imageSize));          // biSizeImage
  PutU32Le(out, 0), PutU32Le(out, 0);                            // biX/YPelsPerMeter
  PutU32Le(out, colorCount);                                     // biClrUsed
  PutU32Le(out, 0);                                              // biClrImportant

  if (bits == 16) {
    // 5-6-5: red in bits 15-11, green in bits 10-5, blue in bits 4-0.
    PutU32Le(out, 0xF800), PutU32Le(out, 0x07E0), PutU32Le(out, 0x001F);
  } else if (bits == 8) {
    for (const RgbQuad& c : image.Colors()) out.insert(out.end(), {c.blue, c.green, c.red, 0});
  }
  return out;
}

}  // namespace

void WriteBmp(const CaptureImage& image, ByteSink& sink) {
  if (image.Format() == PixelFormat::Device) {
    WriteBmp(CopyAtDepth24(image), sink);
    return;
  }
  sink.Write(Headers(image));
  sink.Write(image.Rows());
}

}  // namespace tessory
