#include "capture/window_stack_win32.h"

#include "framework/handles_win32.h"

namespace tessory {
namespace {

bool IsCloaked(HWND window) {
  using AttributeFn = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const UniqueHmodule library(LoadLibraryW(L"dwmapi.dll"));
  static const auto attribute = ProcAddress<AttributeFn>(library.get(), "DwmGetWindowAttribute");
  constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
  DWORD cloaked = 0;
  return attribute && SUCCEEDED(attribute(window, kCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

}  // namespace

bool IsOwnWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process == GetCurrentProcessId();
}

bool IsPickCandidate(HWND window) {
  if (!window || window == GetDesktopWindow() || window == GetShellWindow()) return false;
  if (!IsWindowVisible(window) || IsIconic(window) || IsOwnWindow(window)) return false;
  const auto style = GetWindowLongPtrW(window, GWL_STYLE), exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if ((style & WS_CHILD) || ((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_APPWINDOW))) return false;
  RECT rect;
  if (!GetWindowRect(window, &rect) || IsRectEmpty(&rect)) return false;
  return !IsCloaked(window);
}

std::vector<HWND> PickCandidatesInStackingOrder() {
  std::vector<HWND> candidates;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (IsPickCandidate(window)) candidates.push_back(window);
  }
  return candidates;
}

HWND ActiveWindowTarget() {
  HWND window = GetForegroundWindow();
  if (window) window = GetAncestor(window, GA_ROOT);
  if (window && !IsOwnWindow(window) && window != GetDesktopWindow() && window != GetShellWindow()) return window;
  const std::vector<HWND> candidates = PickCandidatesInStackingOrder();
  return candidates.empty() ? nullptr : candidates.front();
}

HWND TopLevelWindowAt(POINT point, HWND self) {
  HWND window = WindowFromPoint(point);
  if (!window || window == self) return window;
  while (window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
  return window;
}

}  // namespace tessory
