#include "app/one_copy_win32.h"

#include <string>

#include "framework/form_win32.h"

namespace tessory {
namespace {

// Local\: one copy per session; the user's name keeps two users of one
// session (run as another user) apart.
std::wstring MutexName() {
  wchar_t user[257] = L"";
  DWORD length = 257;
  if (!GetUserNameW(user, &length)) user[0] = L'\0';
  return std::wstring(L"Local\\Tessory.OneCopy.") + user;
}

BOOL CALLBACK FindMainWindow(HWND window, LPARAM found) {
  wchar_t title[32];
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() || !Form::IsFormWindow(window)) return TRUE;
  // The tool window is the one top-level form that is always on top.
  if (!(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) return TRUE;
  if (!GetWindowTextW(window, title, 32) || lstrcmpW(title, L"Tessory") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The main window of another running copy of this program, or null.
HWND RunningCopyWindow() {
  HWND found = nullptr;
  EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

OneCopy::OneCopy() : mutex_(CreateMutexW(nullptr, FALSE, MutexName().c_str())) {
  // Without a mutex (no rights, no memory) every start counts as the first.
  first_ = !mutex_ || GetLastError() != ERROR_ALREADY_EXISTS;
}

UINT OneCopy::ShowMessage() {
  static const UINT message = RegisterWindowMessageW(L"Tessory.ShowToolWindow");
  return message;
}

bool OneCopy::BringRunningCopyForward() const {
  // The running copy may still be making its window.
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (HWND window = RunningCopyWindow()) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      AllowSetForegroundWindow(process);  // this start has the user's attention to give
      return PostMessageW(window, ShowMessage(), 0, 0) != FALSE;
    }
    Sleep(100);
  }
  return false;
}

}  // namespace tessory
