// Window layouts are drawn up in pixels at the design DPI and scaled to the
// DPI of the window or monitor they show on.
#pragma once

#include <windows.h>

namespace tessory {

inline constexpr int kDesignDpi = 96;

// `pixels` at the design DPI, in `dpi`.
inline int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kDesignDpi); }
// `pixels` in `dpi`, at the design DPI.
inline int ScaleFromDpi(int pixels, int dpi) { return MulDiv(pixels, kDesignDpi, dpi); }

}  // namespace tessory
