// libjpeg alone with the JPEG writer's settings: what the writer's output
// is compared with, byte for byte in the tests and in time in the
// benchmarks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tessory {

// The writer's settings that change the stream: quality 0 to 100, one
// grey component instead of three, a progressive instead of a baseline
// frame.
struct JpegReferenceSettings {
  int quality = 90;
  bool grayscale = false;
  bool progressive = false;
};

// The JPEG stream libjpeg writes for `rgb`, `height` rows of `width`
// red-green-blue pixels each, packed, top row first. Throws
// std::invalid_argument when `rgb` is shorter than that and
// std::runtime_error with the library's message when it refuses the
// picture.
std::vector<std::uint8_t> ReferenceJpeg(std::span<const std::uint8_t> rgb, int width, int height,
                                        const JpegReferenceSettings& settings);

}  // namespace tessory
