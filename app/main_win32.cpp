// Program start: COM and the help viewer, the application object, its
// title and help file, the main window, then the message loop until the
// main window closes. The help viewer closes its windows and COM ends last.
// With arguments, the program runs the command they give instead, without
// a window, and ends with its exit code.
#include <windows.h>

#include "app/main_form_win32.h"
#include "app/script_capture_win32.h"
#include "settings/registry_store_win32.h"
#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "help/html_help_viewer_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tessory;
  const ComInit com;  // the folder browser needs it on this thread
  if (const std::vector<std::string> args = ProgramArguments(); !args.empty()) return RunCommandLine(args);
  Application& application = Application::Instance();
  const HtmlHelpSession help;
  try {
    application.SetTitle("Tessory");
    application.Initialize(instance);
    application.SetHelpFile("tessory.chm");
    Win32RegistryStore store(HKEY_CURRENT_USER, kSettingsKeyPath);
    TMainForm mainForm(store);
    application.SetMainForm(&mainForm);
    mainForm.Show();
    mainForm.TellUntakenHotkeys();
    const int exitCode = application.Run();
    application.SetMainForm(nullptr);
    return exitCode;
  } catch (...) {
    application.ShowCurrentException();
    return 1;
  }
}
