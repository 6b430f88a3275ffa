#include "app/countdown_win32.h"

#include <algorithm>

#include "app/pick_outline.h"

namespace tessory {
namespace {

constexpr wchar_t kLabelClass[] = L"TessoryCountdown";
constexpr DWORD kLabelExStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
constexpr UINT kTickMs = 100;
constexpr COLORREF kAccent = RGB(255, 176, 0);
constexpr COLORREF kDark = RGB(24, 24, 24);
constexpr COLORREF kText = RGB(250, 250, 250);
// Sizes at 96 DPI.
constexpr int kGap = 16, kSide = 28, kFontHeight = 18;

// The owner of the countdown whose Escape watch is installed; one
// countdown at a time runs on the user-interface thread, as does the hook.
HWND gCountdownOwner = nullptr;

}  // namespace

CaptureCountdown::CaptureCountdown(HWND owner, int seconds)
    : owner_(owner), deadline_(GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000) {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &CaptureCountdown::LabelProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kLabelClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  label_.reset(CreateWindowExW(kLabelExStyle, kLabelClass, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                               GetModuleHandleW(nullptr), this));
  if (label_) SetLayeredWindowAttributes(label_.get(), 0, 255, LWA_ALPHA);
  escapeWatch_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &CaptureCountdown::KeyboardProc, GetModuleHandleW(nullptr), 0));
  gCountdownOwner = owner;
  SetTimer(owner_, kTimerId, kTickMs, nullptr);
  Show();
}

CaptureCountdown::~CaptureCountdown() {
  KillTimer(owner_, kTimerId);
  gCountdownOwner = nullptr;
}

int CaptureCountdown::SecondsLeft() const {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline_ ? 0 : static_cast<int>((deadline_ - now + 999) / 1000);
}

bool CaptureCountdown::Tick() {
  if (SecondsLeft() == 0) {
    ShowWindow(label_.get(), SW_HIDE);
    return true;
  }
  Show();
  return false;
}

void CaptureCountdown::Show() {
  POINT pointer{};
  GetCursorPos(&pointer);
  const int dpi = static_cast<int>(GetDpiForSystem());
  const std::wstring text = std::to_wstring(SecondsLeft());
  if (text != text_ || !font_) {
    text_ = text;
    SetWindowTextW(label_.get(), text_.c_str());  // also for screen readers
    if (!font_) {
      LOGFONTW font{};
      font.lfHeight = -MulDiv(kFontHeight, dpi, 96);
      font.lfWeight = FW_BOLD;
      lstrcpynW(font.lfFaceName, L"Arial", LF_FACESIZE);
      font_.reset(CreateFontIndirectW(&font));
    }
    InvalidateRect(label_.get(), nullptr, FALSE);
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
  const int side = MulDiv(kSide, dpi, 96);
  const RECT& work = monitor.rcWork;
  const PixelRect place = LabelPlacement(pointer.x, pointer.y, side, side, {work.left, work.top, work.right, work.bottom},
                                         MulDiv(kGap, dpi, 96));
  SetWindowPos(label_.get(), HWND_TOPMOST, place.left, place.top, place.Width(), place.Height(),
               SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_SHOWWINDOW);
}

LRESULT CALLBACK CaptureCountdown::LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  const auto* countdown = reinterpret_cast<const CaptureCountdown*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      SetBkColor(dc, kAccent);
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
      RECT inside = client;
      InflateRect(&inside, -1, -1);
      SetBkColor(dc, kDark);
      ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &inside, nullptr, 0, nullptr);
      if (countdown) {
        SelectedObject font(dc, countdown->font_.get());
        SetTextColor(dc, kText);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, countdown->text_.c_str(), -1, &inside, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
      }
      EndPaint(window, &paint);
      return 0;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK CaptureCountdown::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && gCountdownOwner && key->vkCode == VK_ESCAPE) {
    // Ended from the message loop, not inside the hook.
    if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) PostMessageW(gCountdownOwner, kCancelMessage, 0, 0);
    return 1;  // the key was meant for the countdown, not for a menu the user opened
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tessory
