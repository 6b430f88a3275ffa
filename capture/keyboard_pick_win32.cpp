#include "capture/keyboard_pick_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "capture/pick_outline.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

// The owner of the pick whose key watch is installed; one pick at a time
// runs on the user-interface thread, as does the hook.
HWND gPickOwner = nullptr;

constexpr UINT_PTR kIconSubclass = 1;

LRESULT CALLBACK IconProc(HWND icon, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR startMessage) {
  switch (message) {
    case WM_GETDLGCODE: {
      // Enter and Space come here instead of going to a default button.
      const auto* key = reinterpret_cast<const MSG*>(lParam);
      if (key && key->message == WM_KEYDOWN && (key->wParam == VK_RETURN || key->wParam == VK_SPACE)) {
        return DLGC_WANTMESSAGE;
      }
      return DefSubclassProc(icon, message, wParam, lParam);
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN || wParam == VK_SPACE) {
        PostMessageW(GetParent(icon), static_cast<UINT>(startMessage), 0, 0);
        return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(icon, nullptr, TRUE); break;
    case WM_PAINT: {
      const LRESULT result = DefSubclassProc(icon, message, wParam, lParam);
      if (GetFocus() == icon) {
        WindowDc dc(icon, GetDC(icon));
        RECT client;
        GetClientRect(icon, &client);
        DrawFocusRect(dc.get(), &client);
      }
      return result;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(icon, &IconProc, kIconSubclass); break;
  }
  return DefSubclassProc(icon, message, wParam, lParam);
}

}  // namespace

void MakeIconKeyboardReachable(HWND icon, const std::string& name, UINT startMessage) {
  SetWindowLongPtrW(icon, GWL_STYLE, GetWindowLongPtrW(icon, GWL_STYLE) | WS_TABSTOP);
  // The name a screen reader gives the icon. A picture's own WM_SETTEXT
  // would load a picture of that name: the text is set beside it.
  DefWindowProcW(icon, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Widen(name).c_str()));
  SetWindowSubclass(icon, &IconProc, kIconSubclass, startMessage);
}

KeyboardPick::KeyboardPick(HWND owner, PickOutline& outline, std::vector<HWND> windows, HWND first)
    : owner_(owner), windows_(std::move(windows)), outline_(outline) {
  const auto at = std::find(windows_.begin(), windows_.end(), first);
  index_ = at == windows_.end() ? 0 : static_cast<std::size_t>(at - windows_.begin());
  keys_.reset(SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardPick::KeyboardProc, GetModuleHandleW(nullptr), 0));
  gPickOwner = owner;
  ShowCurrent();
}

KeyboardPick::~KeyboardPick() {
  outline_.Hide();
  gPickOwner = nullptr;
}

void KeyboardPick::Move(int step) {
  if (windows_.empty()) return;
  const auto count = static_cast<long long>(windows_.size());
  index_ = static_cast<std::size_t>(((static_cast<long long>(index_) + step) % count + count) % count);
  ShowCurrent();
}

HWND KeyboardPick::Current() const {
  if (windows_.empty() || !IsWindow(windows_[index_])) return nullptr;
  return windows_[index_];
}

void KeyboardPick::ShowCurrent() {
  HWND window = Current();
  if (!window) return outline_.Hide();
  const RECT rect = GrabRect(window);
  std::wstring title(256, L'\0');
  title.resize(std::max(0, GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
  // The label goes inside the window's top-left corner, as if the pointer were there.
  outline_.Show(rect, PickLabelText(Narrow(title), rect.right - rect.left, rect.bottom - rect.top),
                {rect.left, rect.top});
}

LRESULT CALLBACK KeyboardPick::KeyboardProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
  const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code != HC_ACTION || !gPickOwner) return CallNextHookEx(nullptr, code, wParam, lParam);
  Request request;
  switch (key->vkCode) {
    case VK_TAB: request = (GetAsyncKeyState(VK_SHIFT) & 0x8000) ? Request::Previous : Request::Next; break;
    case VK_DOWN:
    case VK_RIGHT: request = Request::Next; break;
    case VK_UP:
    case VK_LEFT: request = Request::Previous; break;
    case VK_RETURN: request = Request::Capture; break;
    case VK_ESCAPE: request = Request::Cancel; break;
    default: return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  // Acted on from the message loop, not inside the hook; the key, down and
  // up, goes to no other window.
  if (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN) {
    PostMessageW(gPickOwner, kKeyMessage, static_cast<WPARAM>(request), 0);
  }
  return 1;
}

}  // namespace tessory
