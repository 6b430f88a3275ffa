#include "framework/application_win32.h"

#include <commctrl.h>

#include "framework/error.h"
#include "framework/form_win32.h"
#include "framework/help_manager_win32.h"
#include "framework/utf8.h"

namespace tessory {
namespace {

constexpr wchar_t kApplicationClass[] = L"TessoryApplication";

}  // namespace

Application& Application::Instance() {
  static Application application;
  return application;
}

void Application::Initialize(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Application::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, L"MAINICON");
  windowClass.hIconSm = windowClass.hIcon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kApplicationClass;
  RegisterClassExW(&windowClass);
  Form::RegisterWindowClass(instance);

  // A zero-size window at the centre of the screen: invisible itself, it
  // carries the taskbar button and owns the program's windows.
  const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
  window_ = CreateWindowExW(0, kApplicationClass, Widen(title_).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0, nullptr,
                            nullptr, instance, nullptr);
}

void Application::SetTitle(const std::string& title) {
  title_ = title;
  if (window_) SetWindowTextW(window_, Widen(title).c_str());
}

int Application::Run(bool shown) {
  if (window_ && shown) ShowWindow(window_, SW_SHOW);
  MSG message;
  while (ProcessMessage(message)) {
  }
  return static_cast<int>(message.wParam);
}

bool Application::ProcessMessage(MSG& message) {
  if (GetMessageW(&message, nullptr, 0, 0) <= 0) return false;
  const HWND active = GetActiveWindow();
  if (message.message == WM_KEYDOWN && message.wParam == VK_F1 && Form::FromHandle(active)) {
    // F1 anywhere in a form asks for the form's help context.
    HELPINFO info{sizeof info, HELPINFO_WINDOW, 0, message.hwnd, 0, {}};
    SendMessageW(active, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
    return true;
  }
  if (active && Form::FromHandle(active) && IsDialogMessageW(active, &message)) return true;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

IHelpSystem& Application::HelpSystem() {
  return HelpManager::Instance();
}

bool Application::HelpCommand(Form& form, UINT command, ULONG_PTR data) {
  bool callHelp = true;
  const bool answered = form.FormHelp(command, data, callHelp);
  if (!callHelp) return answered;
  IHelpSystem& help = HelpSystem();
  switch (command) {
    case HELP_CONTEXT: return help.ShowContextHelp(static_cast<int>(data), helpFile_) || answered;
    case HELP_FINDER:
    case HELP_CONTENTS: return help.ShowTableOfContents() || answered;
  }
  return answered;
}

void Application::ShowError(const std::string& message) {
  HWND owner = GetActiveWindow();
  if (!owner || !IsWindowVisible(owner)) owner = window_;
  MessageBoxW(owner, Widen(message).c_str(), Widen(title_).c_str(), MB_OK | MB_ICONERROR);
}

void Application::ShowException(const std::exception& error) { ShowError(UserMessage(error)); }

void Application::ShowCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowError("Unexpected error");
  }
}

std::string Application::ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return Narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

std::string Application::ExecutableFolder() {
  std::string path = ExecutablePath();
  path.erase(path.find_last_of("\\/") + 1);
  return path;
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_CLOSE:
      // Closing the taskbar button closes the main window, which ends the program.
      if (Form* main = Instance().mainForm_) PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tessory
