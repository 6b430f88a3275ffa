// Inputs and sinks shared by the GIF tests.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "framework/error.h"
#include "gif/gif_image.h"
#include "gif/reference_reduction.h"
#include "imaging/byte_sink.h"
#include "support/test_images.h"

namespace tessory::test {

// A seeded generator, so every run sees the same "random" input.
class Lcg {
 public:
  explicit Lcg(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }

 private:
  std::uint32_t state_;
};

// The file the capture route writes for `capture` (octree palette,
// Floyd-Steinberg), with the palette size and threading given.
inline std::vector<std::uint8_t> GifBytes(CaptureImage& capture, int paletteBits = 8,
                                          GifThreading threading = GifThreading::Automatic) {
  TGIFImage gif;
  gif.ReductionMethod = kReductionOctree;
  gif.DitherStyle = kDitherFloydSteinberg;
  gif.PaletteBits = paletteBits;
  gif.Threading = threading;
  gif.AssignBitmap(capture);
  VectorSink sink;
  gif.SaveToStream(sink);
  return sink.Bytes();
}

inline ReferenceImage MakeReference(int width, int height, const ColorAt& color) {
  ReferenceImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.pixels.push_back(color(x, y));
  return image;
}

inline CaptureImage ToCapture(const ReferenceImage& image) {
  return MakeImage24(image.width, image.height, [&](int x, int y) { return image.At(x, y); });
}

// Stores `limit` bytes, then fails every write as a full disk would.
class FailingSink final : public ByteSink {
 public:
  explicit FailingSink(std::size_t limit) : limit_(limit) {}
  void Write(std::span<const std::uint8_t> bytes) override {
    if (bytes_.size() + bytes.size() > limit_) throw EWriteError("Stream write error");
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::size_t limit_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tessory::test
