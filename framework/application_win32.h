// The application object: the program's title and help file, its own
// top-level window (which carries the taskbar button and owns the main
// window), the message loop, and the error box every handler reports to.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace tessory {

class Form;
class IHelpSystem;

// Told when a help request finds no viewer that takes it.
inline constexpr char kNoHelpViewerText[] = "Help is not available: no help viewer is installed.";

class Application {
 public:
  // The one application object of the process.
  static Application& Instance();

  // Registers the window classes and creates the application window.
  void Initialize(HINSTANCE instance);
  HINSTANCE ModuleInstance() const { return instance_; }
  // The application window (null before Initialize).
  HWND Handle() const { return window_; }

  void SetTitle(const std::string& title);
  const std::string& Title() const { return title_; }
  void SetHelpFile(const std::string& path) { helpFile_ = path; }
  const std::string& HelpFile() const { return helpFile_; }

  // The main window: closing it ends the message loop.
  void SetMainForm(Form* form) { mainForm_ = form; }

  // Runs the message loop until the main window closes; the exit code.
  // The application window (the taskbar button) shows unless `shown` is false.
  int Run(bool shown = true);
  // Dispatches one message, giving the active form its keyboard handling
  // (Tab, Enter, Escape). False once WM_QUIT arrives.
  bool ProcessMessage(MSG& message);

  // The help system every help request of the program goes through.
  static IHelpSystem& HelpSystem();
  // A help command for `form` (F1 comes this way): its FormHelp handler
  // first, then, unless the handler stopped it, the help system
  // (HELP_CONTEXT with the context number, HELP_FINDER or HELP_CONTENTS for
  // the contents). True when the form or a viewer answered.
  bool HelpCommand(Form& form, UINT command, ULONG_PTR data);

  // The standard error box: the message text, titled with the application
  // title, error icon, owned by the active window.
  void ShowError(const std::string& message);
  void ShowException(const std::exception& error);
  // Reports the exception in flight; call from a catch block.
  void ShowCurrentException() noexcept;

  // The running executable's full path, however long.
  static std::string ExecutablePath();
  // The folder of the running executable, with its trailing "\".
  static std::string ExecutableFolder();

 private:
  Application() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  std::string title_;
  std::string helpFile_;
  Form* mainForm_ = nullptr;
};

}  // namespace tessory
