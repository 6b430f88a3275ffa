#include "app/window_placement_win32.h"

#include <algorithm>

namespace tessory {

bool MoveOntoMonitor(HWND window, int left, int top) {
  RECT rect;
  GetWindowRect(window, &rect);
  OffsetRect(&rect, left - rect.left, top - rect.top);
  if (!MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return false;
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

// The monitor the user works on is the one under the pointer.
void PlaceLikeNewWindow(HWND window, UINT dpi) {
  POINT pointer{};
  GetCursorPos(&pointer);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  const int step = GetSystemMetricsForDpi(SM_CYCAPTION, dpi) + GetSystemMetricsForDpi(SM_CYSIZEFRAME, dpi) +
                   GetSystemMetricsForDpi(SM_CXPADDEDBORDER, dpi);
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const int left = std::max<int>(work.left, std::min<int>(work.left + step, work.right - width));
  const int top = std::max<int>(work.top, std::min<int>(work.top + step, work.bottom - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tessory
