#include "app/tray_icon_win32.h"

#include <algorithm>

#include "app/main_menus_win32.h"
#include "app/one_copy_win32.h"
#include "framework/application_win32.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"

namespace tessory {

TrayIcon::TrayIcon(HWND owner, const std::string& tip) : owner_(owner), tip_(Widen(tip)) {
  Restore();
}

TrayIcon::~TrayIcon() {
  NOTIFYICONDATAW data = Data();
  if (shown_) Shell_NotifyIconW(NIM_DELETE, &data);
}

NOTIFYICONDATAW TrayIcon::Data() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  // A shared icon of the module: the system keeps it, nobody destroys it.
  data.hIcon = LoadIconW(Application::Instance().ModuleInstance(), L"MAINICON");
  const std::size_t length = std::min(tip_.size(), std::size(data.szTip) - 1);
  std::copy_n(tip_.begin(), length, data.szTip);
  return data;
}

void TrayIcon::Restore() {
  NOTIFYICONDATAW data = Data();
  // Without a notification area (no shell yet) the icon comes with the
  // taskbar's "TaskbarCreated".
  shown_ = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

UINT TrayIcon::TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

UINT TrackTrayMenu(HWND owner, bool toolWindowShown) {
  UniqueHmenu menu(CreatePopupMenu());
  AppendMenuW(menu.get(), MF_STRING, kTrayCaptureCommand, L"Capture the active window");
  AppendMenuW(menu.get(), MF_STRING, kTrayPickCommand, L"Pick a window...");
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING, kTrayOptionsCommand, L"Options...");
  AppendMenuW(menu.get(), MF_STRING, kMoreOptionsCommand, L"More options...");
  AppendMenuW(menu.get(), MF_STRING, kTrayShowHideCommand,
              toolWindowShown ? L"Hide the tool window" : L"Show the tool window");
  AppendMenuW(menu.get(), MF_STRING, kHelpCommand, L"Help");
  AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu.get(), MF_STRING, kTrayExitCommand, L"Exit");
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only while its owner is
  // in the foreground.
  SetForegroundWindow(owner);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen;
}

void TrayPresence::Apply(bool showInTray) {
  if (showInTray && !icon_) icon_ = std::make_unique<TrayIcon>(window_, "Tessory");
  if (!showInTray && icon_) {
    icon_.reset();
    ShowToolWindow(true);
  }
}

void TrayPresence::ShowToolWindow(bool show) {
  if (application_) ShowWindow(application_, show ? SW_SHOW : SW_HIDE);
  ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
  if (show) SetForegroundWindow(window_);
}

TrayPresence::Outcome TrayPresence::Handle(UINT message, WPARAM, LPARAM lParam) {
  if (message == OneCopy::ShowMessage()) {
    ShowToolWindow(true);
    return {true};
  }
  if (!icon_) return {};
  if (message == TrayIcon::TaskbarCreatedMessage()) {
    icon_->Restore();
    return {};  // others may want it too
  }
  if (message == WM_CLOSE && !exiting_) {
    ShowToolWindow(false);
    return {true};
  }
  if (message != TrayIcon::kCallbackMessage) return {};
  // While a dialog of the program is open the window is disabled: the icon
  // starts nothing, as the window's own menu does not.
  if (!IsWindowEnabled(window_)) return {true};
  if (LOWORD(lParam) == WM_LBUTTONUP) return {true, kTrayPickCommand};
  if (LOWORD(lParam) != WM_RBUTTONUP && LOWORD(lParam) != WM_CONTEXTMENU) return {true};
  const UINT command = TrackTrayMenu(window_, IsWindowVisible(window_) != FALSE);
  if (command == kTrayShowHideCommand) {
    ShowToolWindow(!IsWindowVisible(window_));
    return {true};
  }
  if (command == kTrayExitCommand) {
    exiting_ = true;
    PostMessageW(window_, WM_CLOSE, 0, 0);
    return {true};
  }
  return {true, command};
}

}  // namespace tessory
