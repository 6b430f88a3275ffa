// One drag of the target icon, from the press to its end: the pointer
// captured for the main window, the cross pointer, the outline of the window
// a release would capture, and Escape watched wherever the keyboard focus
// is. Ending the session, on any path, puts every one of them back; the
// outline's windows are only hidden, since they outlive the drag.
#pragma once

#include <windows.h>

#include <string>

#include "capture/pick_outline_win32.h"
#include "framework/handles_win32.h"

namespace tessory {

class DragSession {
 public:
  // Starts the drag for `owner`. Escape, pressed while the session lasts,
  // posts WM_CANCELMODE to `owner` and goes to no other window. `outline`
  // is the owner's, hidden between drags.
  DragSession(HWND owner, PickOutline& outline);
  ~DragSession();
  DragSession(const DragSession&) = delete;
  DragSession& operator=(const DragSession&) = delete;

  // Outlines `target` (its rectangle in screen pixels) and labels it with
  // `label` beside `pointer`; a null target takes the outline away.
  void Outline(HWND target, const RECT& rect, const std::string& label, POINT pointer);
  void FollowPointer(POINT pointer) { outline_.FollowPointer(pointer); }
  HWND OutlinedWindow() const { return outlined_; }
  const PickOutline& OutlineWindows() const { return outline_; }

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

  // The session whose Escape watch is installed. The hook procedure takes
  // no context, so the session registers itself here while it lasts. Drags
  // run on the one user-interface thread, one at a time; the hook runs on
  // that thread too.
  static DragSession* watching_;

  HWND owner_;
  MouseCapture capture_;
  CursorOverride cursor_;
  UniqueHhook escapeWatch_;
  PickOutline& outline_;
  HWND outlined_ = nullptr;
};

}  // namespace tessory
