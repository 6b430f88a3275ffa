// The JPEG writer's binding to libjpeg: one call that encodes 24-bit rows
// into memory. libjpeg leaves a fatal error by a jump, which this binding
// catches in its own frame and raises as EJPEG from C++.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/pixel_buffer.h"

namespace tessory::jpegcodec {

struct Settings {
  std::uint8_t quality = 90;
  bool grayscale = false;
  bool progressive = false;
};

// 24-bit rows as the capture image stores them: blue, green, red per
// pixel, bottom row first, `stride` bytes apart.
struct BgrRows {
  const std::uint8_t* bottomRow = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;
};

// Encodes `rows` as a JFIF file into `out`, replacing its contents. A
// library error (an empty or oversized picture, memory exhausted) raises
// EJPEG "JPEG error #<message code>" and leaves `out` empty.
void CompressRows(const BgrRows& rows, const Settings& settings, PixelBuffer& out);

}  // namespace tessory::jpegcodec
