#include "capture/drag_session_win32.h"

namespace tessory {

DragSession* DragSession::watching_ = nullptr;

DragSession::DragSession(HWND owner, PickOutline& outline)
    : owner_(owner), capture_(owner), cursor_(LoadCursorW(nullptr, IDC_CROSS)), outline_(outline) {
  // A low-level hook sees the key whichever window has the focus. Without
  // it (hooks refused) Escape still ends the drag where the window has it.
  watching_ = this;
  escapeWatch_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &DragSession::KeyboardProc, GetModuleHandleW(nullptr), 0));
}

DragSession::~DragSession() {
  outline_.Hide();  // first: gone before anything else is put back
  if (watching_ == this) watching_ = nullptr;
}

void DragSession::Outline(HWND target, const RECT& rect, const std::string& label, POINT pointer) {
  outlined_ = target;
  if (!target) return outline_.Hide();
  outline_.Show(rect, label, pointer);
}

LRESULT CALLBACK DragSession::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && watching_ && key->vkCode == VK_ESCAPE) {
    // Ended from the message loop, not inside the hook: the session
    // unhooks itself as it ends.
    if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) PostMessageW(watching_->owner_, WM_CANCELMODE, 0, 0);
    return 1;  // the key was meant for the drag
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tessory
