// Small images made from a colour function, for the writers' tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/capture_image.h"
#include "support/bmp_reader.h"

namespace tessory::test {

using ColorAt = std::function<Rgb(int x, int y)>;  // y = 0 is the top row

inline CaptureImage MakeImage24(int width, int height, const ColorAt& color) {
  const std::size_t stride = RowStride(width, 24);
  PixelBuffer rows(stride * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = rows.data() + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const Rgb c = color(x, y);
      row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r;
    }
  }
  return CaptureImage(width, height, PixelFormat::Bits24, std::move(rows));
}

// A seeded pattern with no symmetry: every pixel differs from its neighbours.
inline Rgb Pattern(int x, int y) {
  std::uint32_t v = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
  v = v * 1103515245u + 12345u;
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8)};
}

// Device pixels backed by 24-bit rows, standing in for a screen bitmap.
class RowsDevice final : public DevicePixels {
 public:
  explicit RowsDevice(std::vector<std::uint8_t> rows) : rows_(std::move(rows)) {}
  void ReadRows24(std::span<std::uint8_t> rows) const override {
    std::copy(rows_.begin(), rows_.end(), rows.begin());
  }

 private:
  std::vector<std::uint8_t> rows_;
};

inline CaptureImage MakeDeviceImage(int width, int height, const ColorAt& color) {
  CaptureImage rows = MakeImage24(width, height, color);
  const auto bytes = rows.Rows();
  return CaptureImage(width, height, std::make_unique<RowsDevice>(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
}

}  // namespace tessory::test
