// Conversions of real screen-compatible bitmaps.
#include "imaging/screen_bitmap_win32.h"

#include <gtest/gtest.h>

#include "imaging/pixel_formats.h"
#include "support/bmp_reader.h"

namespace tessory {
namespace {

using test::Rgb;

constexpr int kWidth = 7, kHeight = 5;

COLORREF ColorAt(int x, int y) {
  if (y == 0) return RGB(255, 0, 0);  // a red top row
  if (y == kHeight - 1) return RGB(0, 0, 255);  // a blue bottom row
  return RGB(x * 30, y * 50, 128);
}

// A screen bitmap painted pixel by pixel through a memory DC.
CaptureImage PaintedCapture() {
  auto bitmap = CreateScreenBitmap(kWidth, kHeight);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  {
    SelectedObject selected(dc.get(), bitmap->Handle());
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) SetPixel(dc.get(), x, y, ColorAt(x, y));
  }
  return CaptureImage(kWidth, kHeight, std::move(bitmap));
}

Rgb Expected(int x, int y) {
  const COLORREF c = ColorAt(x, y);
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

TEST(ScreenBitmap, ReadsTheDisplaysPixelsAt24Bits) {
  const CaptureImage capture = PaintedCapture();
  ASSERT_NE(ScreenBitmapOf(capture), nullptr);
  const CaptureImage rows = CopyAtDepth24(capture);
  EXPECT_EQ(capture.Format(), PixelFormat::Device);  // the source is left alone
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const std::uint8_t* p = rows.Rows().data() + rows.Stride() * (kHeight - 1 - y) + 3 * x;
      ASSERT_EQ((Rgb{p[2], p[1], p[0]}), Expected(x, y)) << x << "," << y;
    }
  }
}

TEST(ScreenBitmap, ConvertsInPlaceToEachDepth) {
  for (int bits : {16, 24, 32}) {
    CaptureImage capture = PaintedCapture();
    ConvertPixelDepth(capture, bits, ScreenHalftonePalette());
    EXPECT_EQ(ScreenBitmapOf(capture), nullptr);
    EXPECT_EQ(BitsPerPixel(capture.Format()), bits);
    if (bits == 16) {
      const std::uint8_t* topLeft = capture.Rows().data() + capture.Stride() * (kHeight - 1);
      EXPECT_EQ(topLeft[0] | topLeft[1] << 8, 0xF800);  // pure red
    } else {
      const std::uint8_t* bottomLeft = capture.Rows().data();
      EXPECT_EQ(bottomLeft[0], 255);  // the first stored pixel is the bottom row's blue
      EXPECT_EQ(bottomLeft[2], 0);
    }
  }
}

TEST(ScreenBitmap, EightBitsUseTheHalftonePaletteExactlyForItsOwnColours) {
  const ColorTable halftone = ScreenHalftonePalette();
  // A bitmap holding the first 7 x 5 halftone colours.
  auto bitmap = CreateScreenBitmap(kWidth, kHeight);
  UniqueHdc dc(CreateCompatibleDC(nullptr));
  {
    SelectedObject selected(dc.get(), bitmap->Handle());
    for (int i = 0; i < kWidth * kHeight; ++i) {
      const RgbQuad& c = halftone[i * 7];
      SetPixel(dc.get(), i % kWidth, i / kWidth, RGB(c.red, c.green, c.blue));
    }
  }
  CaptureImage capture(kWidth, kHeight, std::move(bitmap));
  ConvertPixelDepth(capture, 8, halftone);
  EXPECT_EQ(capture.Colors(), halftone);
  for (int i = 0; i < kWidth * kHeight; ++i) {
    const int x = i % kWidth, y = i / kWidth;
    const std::uint8_t index = capture.Rows()[capture.Stride() * (kHeight - 1 - y) + x];
    EXPECT_EQ(halftone[index], halftone[i * 7]) << "pixel " << i;
  }
}

TEST(ScreenBitmap, HalftonePaletteHas256Entries) {
  const ColorTable halftone = ScreenHalftonePalette();
  int white = 0;
  for (const RgbQuad& c : halftone) white += c.red == 255 && c.green == 255 && c.blue == 255;
  EXPECT_GE(white, 1);
  EXPECT_EQ(halftone[0], (RgbQuad{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tessory
