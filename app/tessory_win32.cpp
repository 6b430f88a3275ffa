// Program start: the application object, its title and help file, the main
// window, then the message loop until the main window closes.
#include <windows.h>

#include "app/capture_win32.h"
#include "app/registry_store_win32.h"
#include "framework/application_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tessory;
  Application& application = Application::Instance();
  try {
    application.SetTitle("Tessory");
    application.Initialize(instance);
    application.SetHelpFile("tessory.chm");
    Win32RegistryStore store(HKEY_CURRENT_USER, kSettingsKeyPath);
    TMainForm mainForm(store);
    application.SetMainForm(&mainForm);
    mainForm.Show();
    const int exitCode = application.Run();
    application.SetMainForm(nullptr);
    return exitCode;
  } catch (...) {
    application.ShowCurrentException();
    return 1;
  }
}
