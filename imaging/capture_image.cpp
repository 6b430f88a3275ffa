#include "imaging/capture_image.h"

#include <limits>
#include <new>

#include "framework/error.h"

namespace tessory {

std::size_t RowStride(int width, int bitsPerPixel) {
  if (width < 0) throw EOutOfResources(kOutOfResourcesText);
  const auto bits = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel);
  const std::uint64_t stride = (bits + 31) / 32 * 4;
  if (stride > std::numeric_limits<std::uint32_t>::max()) throw EOutOfResources(kOutOfResourcesText);
  return static_cast<std::size_t>(stride);
}

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Bits8: return 8;
    case PixelFormat::Bits16: return 16;
    case PixelFormat::Bits24:
    case PixelFormat::Device: return 24;
    case PixelFormat::Bits32: return 32;
  }
  return 24;
}

PixelBuffer AllocatePixels(std::size_t size) {
  try {
    return PixelBuffer(size);
  } catch (const std::bad_alloc&) {
    throw EOutOfResources(kOutOfResourcesText);
  } catch (const std::length_error&) {
    throw EOutOfResources(kOutOfResourcesText);
  }
}

CaptureImage::CaptureImage(int width, int height, std::unique_ptr<DevicePixels> device)
    : width_(width), height_(height), format_(PixelFormat::Device), device_(std::move(device)) {
  if (width < 0 || height < 0 || !device_) throw EConvertError("Invalid image size");
}

CaptureImage::CaptureImage(int width, int height, PixelFormat format, PixelBuffer rows,
                           const ColorTable& colors)
    : width_(width), height_(height), format_(format), rows_(std::move(rows)), colors_(colors) {
  if (format == PixelFormat::Device || width < 0 || height < 0 ||
      rows_.size() != RowStride(width, BitsPerPixel(format)) * static_cast<std::size_t>(height)) {
    throw EConvertError("Invalid image size");
  }
}

std::size_t CaptureImage::Stride() const { return RowStride(width_, BitsPerPixel(format_)); }

}  // namespace tessory
