// Captures in the display's own format: bitmaps compatible with the screen.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"

namespace tessory {

class ScreenBitmap final : public DevicePixels {
 public:
  ScreenBitmap(UniqueHbitmap bitmap, int width, int height)
      : bitmap_(std::move(bitmap)), width_(width), height_(height) {}
  HBITMAP Handle() const { return bitmap_.get(); }
  // Reads the pixels through GetDIBits as 24-bit bottom-up rows.
  void ReadRows24(std::span<std::uint8_t> rows) const override;

 private:
  UniqueHbitmap bitmap_;
  int width_, height_;
};

// A new bitmap compatible with the screen, of the given size. Throws the
// system's message (or "Out of system resources") when it cannot be had.
std::unique_ptr<ScreenBitmap> CreateScreenBitmap(int width, int height);

// The screen bitmap of a capture in the device format, else null.
const ScreenBitmap* ScreenBitmapOf(const CaptureImage& image);

// The platform's 256-colour halftone palette for the screen, as a colour table.
ColorTable ScreenHalftonePalette();

}  // namespace tessory
