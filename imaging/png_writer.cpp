#include "imaging/png_writer.h"

#include <limits>

#include "imaging/libpng_binding.h"
#include "imaging/packed_color.h"
#include "imaging/rows24_view.h"

namespace tessory {
namespace {

using pnglib::PngPicture;

// Sizes the picture block for `channels` samples per pixel; the row table
// points into it, row y at y * width * channels.
void AllocatePicture(PngPicture& picture, int width, int height, int channels) {
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  if (height > 0 && rowBytes > std::numeric_limits<std::size_t>::max() / static_cast<std::size_t>(height)) {
    throw EOutOfResources(kOutOfResourcesText);
  }
  picture.width = static_cast<std::uint32_t>(width);
  picture.height = static_cast<std::uint32_t>(height);
  picture.channels = channels;
  picture.pixels = AllocatePixels(rowBytes * static_cast<std::size_t>(height));
  picture.rows.resize(static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < picture.rows.size(); ++y) picture.rows[y] = picture.pixels.data() + y * rowBytes;
}

// One stored row (blue, green, red) as PNG samples: red, green, blue.
void ReorderRow(const std::uint8_t* source, std::uint8_t* target, std::uint32_t width) {
  for (std::uint32_t x = 0; x < width; ++x, source += 3, target += 3) {
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
  }
}

// The same with an alpha sample: 0 where the packed colour equals `key`,
// else 255.
void ReorderRowKeyed(const std::uint8_t* source, std::uint8_t* target, std::uint32_t width, std::uint32_t key) {
  for (std::uint32_t x = 0; x < width; ++x, source += 3, target += 4) {
    const std::uint32_t packed = PackBgr(source);
    target[0] = source[2];
    target[1] = source[1];
    target[2] = source[0];
    target[3] = packed == key ? 0 : 255;
  }
}

// The 24-bit rows lie bottom-up; PNG wants the top row first.
PngPicture BuildPicture(const CaptureImage& image, std::uint32_t transparentColor) {
  const bool keyed = transparentColor != clNone;
  const Rows24View view(image);
  const CaptureImage& rows24 = view.Image();
  PngPicture picture;
  picture.colorType = keyed ? pnglib::kColorTypeRgbAlpha : pnglib::kColorTypeRgb;
  AllocatePicture(picture, rows24.Width(), rows24.Height(), keyed ? 4 : 3);
  const std::size_t stride = rows24.Stride();
  const std::uint32_t key = transparentColor & 0xFFFFFF;
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    const std::uint8_t* source = rows24.Rows().data() + static_cast<std::size_t>(y) * stride;
    std::uint8_t* target = picture.rows[picture.height - 1 - y];
    if (keyed) {
      ReorderRowKeyed(source, target, picture.width, key);
    } else {
      ReorderRow(source, target, picture.width);
    }
  }
  return picture;
}

}  // namespace

void WritePng(ByteSink& sink, const CaptureImage& image, std::uint32_t transparentColor) {
  const PngPicture picture = BuildPicture(image, transparentColor);
  // A missing write context counts as a failure too: an empty file must
  // not pass for a written picture.
  if (pnglib::WritePicture(sink, picture) != pnglib::WriteResult::Written) {
    throw EPngError(std::string(kPngFileTexts.cannotWrite));
  }
}

}  // namespace tessory
