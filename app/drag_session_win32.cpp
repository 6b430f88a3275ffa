#include "app/drag_session_win32.h"

namespace tessory {
namespace {

// The window of the drag whose Escape watch is installed. Drags run on the
// one user-interface thread, one at a time; the hook runs on that thread too.
HWND gWatchingOwner = nullptr;

}  // namespace

DragSession::DragSession(HWND owner) : capture_(owner), cursor_(LoadCursorW(nullptr, IDC_CROSS)), outline_(owner) {
  // A low-level hook sees the key whichever window has the focus. Without
  // it (hooks refused) Escape still ends the drag where the window has it.
  escapeWatch_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &DragSession::KeyboardProc, GetModuleHandleW(nullptr), 0));
  gWatchingOwner = owner;
}

DragSession::~DragSession() {
  outline_.Hide();
  gWatchingOwner = nullptr;
}

void DragSession::Outline(HWND target, const RECT& rect, const std::string& label, POINT pointer) {
  outlined_ = target;
  if (!target) return outline_.Hide();
  outline_.Show(rect, label, pointer);
}

LRESULT CALLBACK DragSession::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && gWatchingOwner && key->vkCode == VK_ESCAPE) {
    // Ended from the message loop, not inside the hook: the session
    // unhooks itself as it ends.
    if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) PostMessageW(gWatchingOwner, WM_CANCELMODE, 0, 0);
    return 1;  // the key was meant for the drag
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tessory
