#include "capture/popup_windows_win32.h"

#include "capture/window_stack_win32.h"

namespace tessory {
namespace {

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

// Whether two rectangles overlap or share an edge.
bool Touch(const RECT& a, const RECT& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

}  // namespace

bool IsOpenPopup(HWND window) {
  if (!IsWindowVisible(window)) return false;
  const auto style = GetWindowLongPtrW(window, GWL_STYLE);
  return (style & WS_POPUP) && !(style & WS_CHILD) && (style & WS_CAPTION) != WS_CAPTION;
}

std::vector<HWND> PopupsOf(HWND target) {
  const DWORD process = ProcessOf(target);
  std::vector<HWND> candidates;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (window != target && ProcessOf(window) == process && IsOpenPopup(window)) candidates.push_back(window);
  }
  std::vector<RECT> reached(1);
  GetWindowRect(target, &reached.front());
  std::vector<HWND> popups;
  // Each round takes the popups that touch what has been reached so far.
  for (bool grew = true; grew;) {
    grew = false;
    for (HWND& candidate : candidates) {
      if (!candidate) continue;
      RECT rect;
      GetWindowRect(candidate, &rect);
      if (IsRectEmpty(&rect)) continue;
      for (const RECT& part : reached) {
        if (!Touch(rect, part)) continue;
        popups.push_back(candidate);
        reached.push_back(rect);
        candidate = nullptr;
        grew = true;
        break;
      }
    }
  }
  return popups;
}

HWND WindowOrPopupOwnerAt(POINT point) {
  HWND window = WindowFromPoint(point);
  if (window) window = GetAncestor(window, GA_ROOT);
  // A submenu's owner may be its menu: climb until a window that is no popup.
  for (int depth = 0; window && IsOpenPopup(window) && depth < 16; ++depth) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (!owner) {
      // An unowned menu belongs to the window that is active while it is open.
      HWND active = GetForegroundWindow();
      if (active && ProcessOf(active) == ProcessOf(window) && active != window) owner = active;
    }
    if (!owner) break;
    window = GetAncestor(owner, GA_ROOT);
  }
  if (!window || IsOwnWindow(window)) return nullptr;
  return window;
}

}  // namespace tessory
