#include "framework/tooltips_win32.h"

#include <commctrl.h>

#include "framework/application_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

// A tool of `owner`; the control copies the text, which need not outlive
// the message.
TTTOOLINFOW Tool(HWND owner, UINT_PTR id, UINT flags, const std::wstring& text) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = flags;
  tool.hwnd = owner;
  tool.uId = id;
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  return tool;
}

}  // namespace

void Tooltips::Create(HWND owner) {
  owner_ = owner;
  window_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            Application::Instance().ModuleInstance(), nullptr);
}

void Tooltips::AddArea(UINT_PTR id, const RECT& area, const std::string& text) {
  const std::wstring wide = Widen(text);
  TTTOOLINFOW tool = Tool(owner_, id, TTF_SUBCLASS, wide);
  tool.rect = area;
  SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::AddControl(HWND control, const std::string& text) {
  const std::wstring wide = Widen(text);
  TTTOOLINFOW tool = Tool(owner_, reinterpret_cast<UINT_PTR>(control), TTF_SUBCLASS | TTF_IDISHWND, wide);
  SendMessageW(window_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::SetAreaText(UINT_PTR id, const std::string& text) {
  const std::wstring wide = Widen(text);
  TTTOOLINFOW tool = Tool(owner_, id, 0, wide);
  SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::SetControlText(HWND control, const std::string& text) {
  const std::wstring wide = Widen(text);
  TTTOOLINFOW tool = Tool(owner_, reinterpret_cast<UINT_PTR>(control), TTF_IDISHWND, wide);
  SendMessageW(window_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Tooltips::Activate(bool active) {
  SendMessageW(window_, TTM_ACTIVATE, active ? TRUE : FALSE, 0);
}

}  // namespace tessory
