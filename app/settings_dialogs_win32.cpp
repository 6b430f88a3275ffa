#include "app/settings_dialogs_win32.h"

#include <windows.h>

#include "app/start_with_windows_win32.h"
#include "capture/hotkeys.h"
#include "delivery/autosave_names.h"
#include "framework/application_win32.h"
#include "options/more_options_form_win32.h"
#include "options/options_form_win32.h"

namespace tessory {
namespace {

// The window is not known before the capture: the preview names an
// example captured now.
std::string NamePreview(const CaptureSettings& settings, const std::string& pattern) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return ExamplePreviewFileName(settings, pattern,
                                {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

MoreOptionsHooks MoreOptionsHooksFor(const CaptureSettings& settings, const SettingsDialogHooks& hooks) {
  return {.applied = hooks.hotkeysApplied,
          .opening = hooks.opening,
          .hotkeyCheck = HotkeyChoiceProblem,
          .namePreview = [&settings](const std::string& pattern) { return NamePreview(settings, pattern); },
          .startsWithWindows = StartsWithWindows,
          .setStartWithWindows = SetStartWithWindows};
}

}  // namespace

bool ShowOptionsDialog(CaptureSettings& settings, const SettingsDialogHooks& hooks) {
  const CaptureSettings before = settings;
  TOptionsForm options(settings);
  options.SetMoreOptionsHooks(MoreOptionsHooksFor(settings, hooks));
  options.ShowModal();  // OK, here or in More Options, has updated the settings itself
  return !(settings == before);
}

bool ShowMoreOptionsDialog(CaptureSettings& settings, const SettingsDialogHooks& hooks) {
  const CaptureSettings before = settings;
  TMoreOptionsForm more(settings, Application::Instance().Handle());
  more.SetHooks(MoreOptionsHooksFor(settings, hooks));
  more.ShowModal();
  return !(settings == before);
}

}  // namespace tessory
