// The two settings dialogs as the main window opens them, with what "More
// Options" needs of the running program: the hotkeys checked and taken
// anew, the names a pattern gives, and the start with Windows.
#pragma once

#include <functional>
#include <string>

#include "settings/settings.h"

namespace tessory {

struct SettingsDialogHooks {
  // Takes the hotkeys of the confirmed settings; what to tell of the keys
  // that could not be taken ("" when all were).
  std::function<std::string()> hotkeysApplied;
  // Tries again the hotkeys not taken, as More Options opens.
  std::function<void()> opening;
};

// Runs the dialog; true when it changed the settings, which it has written
// into `settings` itself.
bool ShowOptionsDialog(CaptureSettings& settings, const SettingsDialogHooks& hooks);
bool ShowMoreOptionsDialog(CaptureSettings& settings, const SettingsDialogHooks& hooks);

}  // namespace tessory
