// Program start: COM and the help viewer, the application object, its
// title and help file, the main window, then the message loop until the
// main window closes. The help viewer closes its windows and COM ends last.
// With arguments, the program runs the command they give instead, without
// a window, and ends with its exit code. One copy with a window runs per
// session: a later start brings it forward and ends.
#include <windows.h>

#include <string>
#include <vector>

#include "app/main_form_win32.h"
#include "app/one_copy_win32.h"
#include "app/script_capture_win32.h"
#include "app/start_with_windows_win32.h"
#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "help/html_help_viewer_win32.h"
#include "settings/registry_store_win32.h"

namespace {

// The start at login: the tool window waits in the tray when it is on.
constexpr char kBackground[] = "--background";

int RunWindow(HINSTANCE instance, bool background) {
  using namespace tessory;
  Application& application = Application::Instance();
  const HtmlHelpSession help;
  try {
    application.SetTitle("Tessory");
    application.Initialize(instance);
    application.SetHelpFile("tessory.chm");
    Win32RegistryStore store(HKEY_CURRENT_USER, kSettingsKeyPath);
    TMainForm mainForm(store);
    application.SetMainForm(&mainForm);
    const bool inTray = background && mainForm.Settings().ShowInTray;
    if (!inTray) mainForm.Show();
    try {
      CorrectStartWithWindows();
    } catch (...) {
      application.ShowCurrentException();
    }
    mainForm.TellUntakenHotkeys();
    const int exitCode = application.Run(!inTray);
    application.SetMainForm(nullptr);
    return exitCode;
  } catch (...) {
    application.ShowCurrentException();
    return 1;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tessory;
  const ComInit com;  // the folder browser needs it on this thread
  const std::vector<std::string> args = ProgramArguments();
  const bool background = args == std::vector<std::string>{kBackground};
  if (!args.empty() && !background) return RunCommandLine(args);
  const OneCopy oneCopy;
  if (!oneCopy.IsFirst()) {
    oneCopy.BringRunningCopyForward();
    return 0;
  }
  return RunWindow(instance, background);
}
