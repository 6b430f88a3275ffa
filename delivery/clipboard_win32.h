// The capture on the system clipboard: the image as a bitmap in the screen's
// format, as a 24-bit DIB and as PNG, and beside it a saved file and its
// path when asked.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"
#include "delivery/clipboard_content.h"

namespace tessory {

// Replaces the clipboard's contents with `content`, in one open: the image
// as CF_BITMAP (a copy in the screen's format; the capture has no palette,
// so CF_PALETTE is never placed), CF_DIB at 24 bits and "PNG"; files as
// CF_HDROP with the drop effect "copy"; text as CF_UNICODETEXT. The
// clipboard is opened for the application window (or, without one, a hidden
// window of its own) and closed again on every path. While another program
// holds it, the open is retried for about a second; then Error "Cannot open
// clipboard", with the holder's program on a second line when the system
// tells it, and the clipboard's contents stay as they were. A block the
// system refuses raises "Cannot set clipboard data".
void CopyToClipboard(const ClipboardContent& content);
// The same for the clipboard window `owner`. Without one (nullptr) it raises
// "Cannot open clipboard" before the clipboard is opened, so that what the
// user had copied stays.
void CopyToClipboardOwnedBy(HWND owner, const ClipboardContent& content);
// The same with the image alone.
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
