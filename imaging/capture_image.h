// The capture image: the one picture holder of the program. A fresh grab
// holds the display's own pixels (the device format, stored by the
// platform); converting it gives one of four stored formats whose rows lie
// bottom-up, each padded with zeros to a multiple of 4 bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "imaging/pixel_buffer.h"

namespace tessory {

enum class PixelFormat { Device, Bits8, Bits16, Bits24, Bits32 };

// One colour-table entry as a BMP file stores it (RGBQUAD).
struct RgbQuad {
  std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
using ColorTable = std::array<RgbQuad, 256>;

// Pixels in the display's own format, owned by the platform (a bitmap
// compatible with the screen on Windows).
class DevicePixels {
 public:
  virtual ~DevicePixels() = default;
  // Fills `rows` with the picture as 24-bit rows (blue, green, red),
  // bottom row first, each padded to RowStride(width, 24).
  virtual void ReadRows24(std::span<std::uint8_t> rows) const = 0;
};

// Bytes per stored row: ((width * bits + 31) / 32) * 4. Throws
// EOutOfResources when the size does not fit in memory.
std::size_t RowStride(int width, int bitsPerPixel);
int BitsPerPixel(PixelFormat format);

class CaptureImage {
 public:
  // The empty holder: no pixels, 0 x 0.
  CaptureImage() = default;
  // A fresh capture in the device format.
  CaptureImage(int width, int height, std::unique_ptr<DevicePixels> device);
  // An image in one of the four stored formats. `rows` must hold
  // RowStride(width, bits) * height bytes; `colors` is used at 8 bits.
  CaptureImage(int width, int height, PixelFormat format, PixelBuffer rows,
               const ColorTable& colors = {});

  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  std::size_t Stride() const;

  // The stored rows (empty in the device format).
  std::span<const std::uint8_t> Rows() const { return rows_; }
  std::span<std::uint8_t> Rows() { return rows_; }
  // The 8-bit format's colour table.
  const ColorTable& Colors() const { return colors_; }
  // The platform's pixels; null unless the format is Device.
  const DevicePixels* Device() const { return device_.get(); }

 private:
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Bits24;
  PixelBuffer rows_;
  ColorTable colors_{};
  std::shared_ptr<const DevicePixels> device_;
};

// Allocates `size` zeroed bytes, reporting exhaustion as EOutOfResources
// ("Out of system resources").
PixelBuffer AllocatePixels(std::size_t size);

}  // namespace tessory
