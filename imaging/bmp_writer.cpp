#include "imaging/bmp_writer.h"

#include "framework/error.h"
#include "imaging/pixel_formats.h"

namespace tessory {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

std::uint64_t ImageSize(const CaptureImage& image) {
  return static_cast<std::uint64_t>(image.Stride()) * static_cast<std::uint64_t>(image.Height());
}

std::vector<std::uint8_t> Headers(const CaptureImage& image) {
  const std::vector<std::uint8_t> info = DibHeader(image);
  const std::uint64_t fileSize = kFileHeaderSize + info.size() + ImageSize(image);
  // bfSize is a 32-bit field: larger pictures do not fit the format.
  if (fileSize > 0xFFFFFFFFu) throw EOutOfResources(kOutOfResourcesText);

  std::vector<std::uint8_t> out;
  out.reserve(kFileHeaderSize + info.size());
  out.push_back('B'), out.push_back('M');
  PutU32Le(out, static_cast<std::uint32_t>(fileSize));                           // bfSize
  PutU16Le(out, 0), PutU16Le(out, 0);                                            // bfReserved1, 2
  PutU32Le(out, static_cast<std::uint32_t>(kFileHeaderSize + info.size()));     // bfOffBits
  out.insert(out.end(), info.begin(), info.end());
  return out;
}

}  // namespace

std::vector<std::uint8_t> DibHeader(const CaptureImage& image) {
  const int bits = BitsPerPixel(image.Format());
  const std::uint64_t imageSize = ImageSize(image);
  const std::uint32_t colorCount = bits == 8 ? 256 : 0;
  // biSizeImage is a 32-bit field as well.
  if (imageSize > 0xFFFFFFFFu) throw EOutOfResources(kOutOfResourcesText);

  std::vector<std::uint8_t> out;
  out.reserve(kInfoHeaderSize + 4 * 256);
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

void WriteBmp(const CaptureImage& image, ByteSink& sink) {
  if (image.Format() == PixelFormat::Device) {
    WriteBmp(CopyAtDepth24(image), sink);
    return;
  }
  sink.Write(Headers(image));
  sink.Write(image.Rows());
}

}  // namespace tessory
