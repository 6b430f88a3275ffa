// The capture on the system clipboard, as a bitmap in the screen's format.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"

namespace tessory {

// The program's one clipboard object: nested opens reach the system only at
// the first open and the last close. Its owner is the application window
// (or, without one, a hidden window of its own).
class ClipboardOwner {
 public:
  static ClipboardOwner& Instance();
  // Throws Error "Cannot open clipboard" when another program holds it.
  void Open();
  void Close() noexcept;
  // Empties the clipboard once per outermost open.
  void EmptyOnce();
  int OpenCount() const { return openCount_; }

 private:
  ClipboardOwner() = default;
  int openCount_ = 0;
  bool emptied_ = false;
  HWND owner_ = nullptr;
  UniqueHwnd ownWindow_;  // the hidden owner, when it is one of ours
};

// Replaces the clipboard's contents with a copy of `image` (CF_BITMAP; the
// capture has no palette, so CF_PALETTE is never placed).
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
