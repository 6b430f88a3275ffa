// The capture on the system clipboard, as a bitmap in the screen's format.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"

namespace tessory {

// Replaces the clipboard's contents with a copy of `image` (CF_BITMAP; the
// capture has no palette, so CF_PALETTE is never placed). The clipboard is
// opened for the application window (or, without one, a hidden window of its
// own) and closed again on every path. Throws Error "Cannot open clipboard"
// when another program holds it, and "Cannot set clipboard data" when the
// system refuses the bitmap.
void CopyImageToClipboard(const CaptureImage& image);

// A bitmap of an image that can be selected into a DC, and the bitmap
// made for it if it had to be made.
struct SelectableBitmap {
  HBITMAP handle = nullptr;
  UniqueHbitmap made;
};

// The capture's own screen bitmap, or a DIB section made from its stored rows.
SelectableBitmap SelectableBitmapOf(const CaptureImage& image);

}  // namespace tessory
