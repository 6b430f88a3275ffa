// Program start: COM and the help viewer, the application object, its
// title and help file, the main window, then the message loop until the
// main window closes. The help viewer closes its windows and COM ends last.
// One copy runs per session: a later start brings it forward and ends.
#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/main_form_win32.h"
#include "app/one_copy_win32.h"
#include "app/start_with_windows_win32.h"
#include "framework/application_win32.h"
#include "framework/com_win32.h"
#include "help/html_help_viewer_win32.h"
#include "settings/registry_store_win32.h"

namespace {

// Started at login ("--background"): the tool window waits in the tray.
bool StartedInBackground(PCWSTR commandLine) {
  struct LocalFreer {
    void operator()(void* block) const { LocalFree(block); }
  };
  int count = 0;
  const std::unique_ptr<LPWSTR, LocalFreer> words(CommandLineToArgvW(commandLine, &count));
  for (int i = 1; words && i < count; ++i) {
    if (lstrcmpiW(words.get()[i], L"--background") == 0) return true;
  }
  return false;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tessory;
  const OneCopy oneCopy;
  if (!oneCopy.IsFirst()) {
    oneCopy.BringRunningCopyForward();
    return 0;
  }
  const ComInit com;  // the folder browser needs it on this thread
  Application& application = Application::Instance();
  const HtmlHelpSession help;
  try {
    application.SetTitle("Tessory");
    application.Initialize(instance);
    application.SetHelpFile("tessory.chm");
    Win32RegistryStore store(HKEY_CURRENT_USER, kSettingsKeyPath);
    TMainForm mainForm(store);
    application.SetMainForm(&mainForm);
    const bool inTray = mainForm.Settings().ShowInTray && StartedInBackground(GetCommandLineW());
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
