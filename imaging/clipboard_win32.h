// The capture on the system clipboard, as a bitmap in the screen's format.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"
#include "imaging/capture_image.h"
#include "imaging/clipboard_content.h"

namespace tessory {

// The program's one clipboard object: nested opens reach the system only at
// the first open and the last close. Its owner is the application window
// (or, without one, a hidden window of its own).
class ClipboardOwner {
 public:
  static ClipboardOwner& Instance();
  // Waits about a second while another program holds the clipboard; then
  // throws Error "Cannot open clipboard", with the holder's program name
  // on a second line when the system tells it.
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

// Replaces the clipboard's contents with `content`, in one open: the image
// as CF_BITMAP (a copy in the screen's format; the capture has no palette,
// so CF_PALETTE is never placed), CF_DIB at 24 bits and "PNG"; files as
// CF_HDROP with the drop effect "copy"; text as CF_UNICODETEXT. When the
// clipboard cannot be opened its contents stay as they were.
void CopyToClipboard(const ClipboardContent& content);
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
