#include "framework/tooltips_win32.h"

#include <commctrl.h>

#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {

// The control copies the text, which need not outlive the message.
void Tooltips::Send(UINT message, UINT_PTR id, UINT flags, const std::string& text, const RECT& area) const {
  const std::wstring wide = Widen(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = flags;
  tool.hwnd = owner_;
  tool.uId = id;
  tool.rect = area;
  tool.lpszText = const_cast<wchar_t*>(wide.c_str());
  SendMessageW(window_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::Create(HWND owner) {
  owner_ = owner;
  window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            Application::Instance().ModuleInstance(), nullptr);
}

void Tooltips::AddArea(UINT_PTR id, const RECT& area, const std::string& text) {
  Send(TTM_ADDTOOLW, id, TTF_SUBCLASS, text, area);
}

void Tooltips::AddControl(HWND control, const std::string& text) {
  Send(TTM_ADDTOOLW, reinterpret_cast<UINT_PTR>(control), TTF_SUBCLASS | TTF_IDISHWND, text);
}

void Tooltips::SetAreaText(UINT_PTR id, const std::string& text) { Send(TTM_UPDATETIPTEXTW, id, 0, text); }

void Tooltips::SetControlText(HWND control, const std::string& text) {
  Send(TTM_UPDATETIPTEXTW, reinterpret_cast<UINT_PTR>(control), TTF_IDISHWND, text);
}

void Tooltips::Activate(bool active) {
  SendMessageW(window_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

}  // namespace tessory
