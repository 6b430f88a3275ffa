// Where the main window opens: at its stored place while that lies on a
// monitor, else where a new top-level window would.
#pragma once

#include <windows.h>

namespace tessory {

// The window's rectangle on the screen.
inline RECT WindowRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

// Moves `window` to (left, top) when it then lies on a monitor; false,
// and the window unmoved, when that place is on no monitor any more.
bool MoveOntoMonitor(HWND window, int left, int top);
// Places `window` at the first cascade step into the work area of the
// monitor under the pointer, wholly on it.
void PlaceLikeNewWindow(HWND window, UINT dpi);

}  // namespace tessory
