#include "capture/countdown_win32.h"

namespace tessory {
namespace {

constexpr UINT kTickMs = 100;

// The owner of the countdown whose Escape watch is installed; one
// countdown at a time runs on the user-interface thread, as does the hook.
HWND gCountdownOwner = nullptr;

}  // namespace

CaptureCountdown::CaptureCountdown(HWND owner, int seconds)
    : owner_(owner), deadline_(GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000), label_(owner) {
  escapeWatch_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &CaptureCountdown::KeyboardProc, GetModuleHandleW(nullptr), 0));
  gCountdownOwner = owner;
  SetTimer(owner_, kTimerId, kTickMs, nullptr);
  Show();
}

CaptureCountdown::~CaptureCountdown() {
  KillTimer(owner_, kTimerId);
  label_.Hide();
  gCountdownOwner = nullptr;
}

int CaptureCountdown::SecondsLeft() const {
  const ULONGLONG now = GetTickCount64();
  return now >= deadline_ ? 0 : static_cast<int>((deadline_ - now + 999) / 1000);
}

bool CaptureCountdown::Tick() {
  if (SecondsLeft() == 0) {
    label_.Hide();
    return true;
  }
  Show();
  return false;
}

void CaptureCountdown::Show() {
  POINT pointer{};
  GetCursorPos(&pointer);
  const int seconds = SecondsLeft();
  if (seconds == shownSeconds_) return label_.FollowPointer(pointer);
  shownSeconds_ = seconds;
  label_.ShowLabel(std::to_string(seconds), pointer);
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
