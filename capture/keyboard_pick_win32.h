// Picking a window from the keyboard: the outline and label of the drag go
// round one window at a time; Tab, Down and Right move to the next
// top-level window in stacking order, Shift+Tab, Up and Left back; Enter
// captures the window outlined; Escape cancels. The keys are taken,
// wherever the keyboard focus is, only while the pick lasts. The target
// icon takes the keyboard focus, shows it, and starts a pick on Enter or
// Space.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "capture/pick_outline_win32.h"
#include "capture/window_grab_win32.h"
#include "framework/handles_win32.h"

namespace tessory {

class KeyboardPick {
 public:
  // What a key asks for, posted to the owner as kKeyMessage's wParam.
  enum class Request : WPARAM { Next, Previous, Capture, Cancel };
  static constexpr UINT kKeyMessage = WM_APP + 22;

  // Starts a pick for `owner` among `windows` (top of the stacking order
  // first), at `first` when it is one of them, else at the top, drawn with
  // the owner's `outline`, which the pick hides as it ends.
  KeyboardPick(HWND owner, PickOutline& outline, std::vector<HWND> windows, HWND first);
  ~KeyboardPick();
  KeyboardPick(const KeyboardPick&) = delete;
  KeyboardPick& operator=(const KeyboardPick&) = delete;

  // Moves `step` windows along, round at the ends.
  void Move(int step);
  // The window outlined (null once it has closed).
  HWND Current() const;

 private:
  static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
  void ShowCurrent();

  HWND owner_;
  std::vector<HWND> windows_;
  std::size_t index_ = 0;
  PickOutline& outline_;
  UniqueHhook keys_;
};

// Makes the target icon `icon` a keyboard stop named `name` (for screen
// readers) that draws its focus and sends `startMessage` to its parent on
// Enter or Space.
void MakeIconKeyboardReachable(HWND icon, const std::string& name, UINT startMessage);

}  // namespace tessory
