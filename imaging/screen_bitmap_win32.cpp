#include "imaging/screen_bitmap_win32.h"

#include "framework/error.h"
#include "framework/win32_error_win32.h"

namespace tessory {

void ScreenBitmap::ReadRows24(std::span<std::uint8_t> rows) const {
  if (width_ <= 0 || height_ <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = height_;  // positive: bottom row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  if (rows.size() < RowStride(width_, 24) * static_cast<std::size_t>(height_)) {
    throw EConvertError("Invalid image size");
  }
  const WindowDc screen = ScreenDc();
  if (!screen) RaiseOutOfResources();
  if (GetDIBits(screen.get(), bitmap_.get(), 0, static_cast<UINT>(height_), rows.data(), &info, DIB_RGB_COLORS) !=
      height_) {
    RaiseOutOfResources();
  }
}

std::unique_ptr<ScreenBitmap> CreateScreenBitmap(int width, int height) {
  const WindowDc screen = ScreenDc();
  if (!screen) RaiseOutOfResources();
  UniqueHbitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!bitmap) RaiseOutOfResources();
  return std::make_unique<ScreenBitmap>(std::move(bitmap), width, height);
}

const ScreenBitmap* ScreenBitmapOf(const CaptureImage& image) {
  return dynamic_cast<const ScreenBitmap*>(image.Device());
}

ColorTable ScreenHalftonePalette() {
  const WindowDc screen = ScreenDc();
  UniqueHpalette palette(screen ? CreateHalftonePalette(screen.get()) : nullptr);
  if (!palette) RaiseOutOfResources();
  PALETTEENTRY entries[256]{};
  const UINT count = GetPaletteEntries(palette.get(), 0, 256, entries);
  ColorTable table{};
  for (UINT i = 0; i < count && i < 256; ++i) table[i] = {entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0};
  return table;
}

}  // namespace tessory
