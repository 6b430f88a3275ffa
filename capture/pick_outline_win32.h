// The outline a drag draws around the window its release would capture,
// with a label of the window's title and size beside the pointer. Both are
// windows of their own that never take focus, clicks or the pointer's pick:
// layered, click-through, topmost tool windows. The outline is one window
// shaped to its ring, so that ending a pick hides two windows, not five.
#pragma once

#include <windows.h>

#include <string>

#include "capture/pick_outline.h"
#include "framework/handles_win32.h"

namespace tessory {

class PickOutline {
 public:
  // The windows are created hidden, owned by `owner`.
  explicit PickOutline(HWND owner);
  PickOutline(const PickOutline&) = delete;
  PickOutline& operator=(const PickOutline&) = delete;

  // Outlines `target`, a window rectangle in screen pixels, and shows the
  // label `text` beside `pointer`.
  void Show(const RECT& target, const std::string& text, POINT pointer);
  // Shows the label `text` beside `pointer`, the outline as it was.
  void ShowLabel(const std::string& text, POINT pointer);
  // Keeps the label beside the pointer.
  void FollowPointer(POINT pointer);
  // Hides outline and label; the windows they covered repaint that part.
  void Hide();
  // The outline's windows, for checks that they stay out of the pick.
  HWND Frame() const { return frame_.get(); }
  HWND Label() const { return label_.get(); }

 private:
  // The band and label windows' procedure: paints them, lets clicks through.
  static LRESULT CALLBACK PartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HWND CreatePart(const wchar_t* windowClass, HWND owner);
  void PaintFrame(HDC dc) const;
  void PaintLabel(HDC dc) const;
  void PlaceLabel(POINT pointer);

  UniqueHwnd frame_;
  UniqueHwnd label_;
  UniqueHfont font_;
  PixelRect ring_;
  int thickness_ = 4, edge_ = 1, padding_ = 4;
  std::wstring text_;
  SIZE labelSize_{};
  bool visible_ = false;
};

}  // namespace tessory
